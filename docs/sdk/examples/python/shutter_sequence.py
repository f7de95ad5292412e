#!/usr/bin/env python3
"""Runs a short automatic sequence on a Kivra shutter controller and waits
until it has finished, through ctypes.

    python3 shutter_sequence.py [port]      (default: the first port listed)

The library is looked for in $KIVRA_LIBRARY, then in this SDK's lib folder,
then where the system keeps its libraries.
"""
import ctypes
import ctypes.util
import os
import sys
import time

# Named values of KivraLibrary.h, which ctypes cannot read.
KIVRA_MODE_MANUAL = 1
KIVRA_MODE_AUTO = 3
KIVRA_STATE_OPEN = 1
KIVRA_TEXT_FIELD_SIZE = 32


def load_library():
    here = os.path.dirname(os.path.abspath(__file__))
    candidates = [
        os.environ.get("KIVRA_LIBRARY"),
        os.path.join(here, "..", "..", "lib", "libKivraLibrary.so"),
        ctypes.util.find_library("KivraLibrary"),
    ]
    for path in candidates:
        if path and (os.path.exists(path) or not os.path.isabs(path)):
            try:
                return ctypes.CDLL(path)
            except OSError:
                continue
    sys.exit("cannot find libKivraLibrary")


lib = load_library()
lib.getFrequency.restype = ctypes.c_float
lib.openSerial.argtypes = [ctypes.c_char_p]
lib.listPorts.argtypes = [ctypes.c_char_p, ctypes.c_int]
lib.getSerialNumber.argtypes = [ctypes.c_int, ctypes.c_char_p, ctypes.c_int]


def check(what, result):
    if result < 0:
        raise RuntimeError(f"{what} failed: {result}")
    return result


def main():
    buffer = ctypes.create_string_buffer(1024)
    check("listPorts", lib.listPorts(buffer, len(buffer)))
    ports = [p for p in buffer.value.decode().split(",") if p]
    print("ports:", ", ".join(ports))
    port = sys.argv[1] if len(sys.argv) > 1 else (ports[0] if ports else "")

    handle = lib.openSerial(port.encode())
    if handle <= 0:
        sys.exit(f"cannot open {port!r} (in use, absent, or no permission)")
    try:
        field = ctypes.create_string_buffer(KIVRA_TEXT_FIELD_SIZE + 1)
        check("getSerialNumber", lib.getSerialNumber(handle, field, KIVRA_TEXT_FIELD_SIZE))
        print(f"opened {port}, serial number {field.value.decode()}")

        # A sequence: mode, times, count, then open.
        check("setShutterMode", lib.setShutterMode(handle, KIVRA_MODE_AUTO))
        check("setShutterOnTime", lib.setShutterOnTime(handle, 20))
        check("setShutterOffTime", lib.setShutterOffTime(handle, 30))
        check("setShutterCycleCount", lib.setShutterCycleCount(handle, 10))
        check("setShutterState", lib.setShutterState(handle, KIVRA_STATE_OPEN))
        print(f"running at {lib.getFrequency(handle):g} Hz")

        # The frequency reads 0 once the last cycle is over.
        start = time.monotonic()
        while True:
            hz = lib.getFrequency(handle)
            if hz < 0:
                raise RuntimeError(f"getFrequency failed: {hz:g}")
            if hz == 0:
                break
            if time.monotonic() - start > 5:
                raise RuntimeError("the sequence did not finish")
            time.sleep(0.05)
        print(f"finished after about {(time.monotonic() - start) * 1000:.0f} ms")
        check("setShutterMode", lib.setShutterMode(handle, KIVRA_MODE_MANUAL))
    finally:
        lib.closeSerial(handle)


if __name__ == "__main__":
    try:
        main()
    except RuntimeError as error:
        sys.exit(str(error))
