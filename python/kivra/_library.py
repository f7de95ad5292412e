"""Finding and loading the shared library, with every function's signature."""

from __future__ import annotations

import ctypes
import ctypes.util
import os
from pathlib import Path

_NAME = "libKivraLibrary.so"
_SOVERSIONS = ("1",)

c_int = ctypes.c_int
c_char_p = ctypes.c_char_p

# (name, result type, argument types). The last six exist in the full build
# only; a reduced library simply lacks them.
_SIGNATURES: list[tuple[str, object, list[object]]] = [
    ("listPorts", c_int, [c_char_p, c_int]),
    ("openSerial", c_int, [c_char_p]),
    ("isSerialOpen", c_int, [c_char_p]),
    ("closeSerial", c_int, [c_int]),
    *[
        (name, c_int, [c_int, c_int])
        for name in (
            "setShutterState", "setShutterMode", "setShutterOnTime", "setShutterOffTime",
            "setShutterCycleCount", "setShutterTriggerInMode", "setShutterTriggerOutMode",
            "setLightLevel", "setLightTimeOut", "setLightIdleLevel", "setValveType",
            "setInitialState", "setPwmDuty", "setPwmHz",
            "setEndPointPwm", "setEndPointTime", "setIO1TriggerMode", "setIO2TriggerMode",
        )
    ],
    *[
        (name, c_int, [c_int])
        for name in (
            "getShutterState", "getShutterMode", "getShutterOnTime", "getShutterOffTime",
            "getShutterCycleCount", "getShutterTriggerInMode", "getShutterTriggerOutMode",
            "getLightLevel", "getLightTimeOut", "getLightIdleLevel", "getValveType",
            "getInitialState", "getIO1TriggerMode", "getIO2TriggerMode",
        )
    ],
    ("getFrequency", ctypes.c_float, [c_int]),
    ("getDeviceName", c_int, [c_int, ctypes.c_char_p, c_int]),
    ("getDeviceSoftVersion", c_int, [c_int, ctypes.c_char_p, c_int]),
    ("getSerialNumber", c_int, [c_int, ctypes.c_char_p, c_int]),
    ("writeDevName", c_int, [c_int, c_char_p, c_int]),
    ("writeDevSerial", c_int, [c_int, c_char_p, c_int]),
    ("sendDebugData", c_int, [c_int, c_int, c_int, ctypes.c_void_p]),
]


def _installed_dir() -> str | None:
    try:
        from . import _installed  # written by the build when the package is installed
    except ImportError:
        return None
    return getattr(_installed, "LIBRARY_DIR", None)


def candidates() -> list[str]:
    """Where the library is looked for, in order."""
    found: list[str] = []
    own = os.environ.get("KIVRA_LIBRARY")
    if own:
        found.append(own)
    here = Path(__file__).resolve().parent
    found += [str(here / f"{_NAME}.{v}") for v in _SOVERSIONS] + [str(here / _NAME)]
    installed = _installed_dir()
    if installed:
        found += [os.path.join(installed, f"{_NAME}.{v}") for v in _SOVERSIONS]
        found.append(os.path.join(installed, _NAME))
    found += [f"{_NAME}.{v}" for v in _SOVERSIONS] + [_NAME]
    system = ctypes.util.find_library("KivraLibrary")
    if system:
        found.append(system)
    return found


def _load() -> tuple[ctypes.CDLL, str]:
    tried: list[str] = []
    for path in candidates():
        # A path that names a file must exist; a bare name goes to the loader.
        if os.sep in path and not os.path.exists(path):
            tried.append(path)
            continue
        try:
            lib = ctypes.CDLL(path)
        except OSError as error:
            tried.append(f"{path} ({error})")
            continue
        return lib, _path_of(lib, path)
    raise OSError("KivraLibrary not found; tried: " + ", ".join(tried) +
                  ". Set KIVRA_LIBRARY to the library's path.")


def _path_of(lib: ctypes.CDLL, fallback: str) -> str:
    """The file the loader actually mapped (a bare name resolves somewhere)."""
    try:
        with open("/proc/self/maps", encoding="utf-8") as maps:
            for line in maps:
                parts = line.split(None, 5)
                if len(parts) == 6 and os.path.basename(parts[5].strip()).startswith(_NAME):
                    return parts[5].strip()
    except OSError:
        pass
    return os.path.abspath(fallback) if os.sep in fallback else fallback


def _declare(lib: ctypes.CDLL) -> None:
    for name, restype, argtypes in _SIGNATURES:
        function = getattr(lib, name, None)
        if function is None:
            continue
        function.restype = restype
        function.argtypes = argtypes


lib, path = _load()
_declare(lib)
