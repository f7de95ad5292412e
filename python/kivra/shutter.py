"""The shutter controller on one port, with readable parameters."""

from __future__ import annotations

import ctypes
import os
import sys
import time
from enum import IntEnum
from typing import Callable, Optional, Type, TypeVar, Union

from . import _library
from ._vocabulary import (KIVRA_DEBUG_DATA_MAX, KIVRA_TEXT_FIELD_SIZE, PARAMETERS,
                          PORT_LIST_BYTES, Edge, IOMode, Level, Mode, State, Valve)
from .errors import KivraError, PortError, check, error_for

_lib = _library.lib

PortName = Union[str, bytes, os.PathLike]

_POLL_SECONDS = 0.1  # the program's monitor tick
_DIAGNOSE_SECONDS = 10


E = TypeVar("E", bound=IntEnum)


def _port_bytes(port: PortName) -> bytes:
    return os.fsencode(port)


def list_ports() -> list[str]:
    """The port names the library offers."""
    buffer = ctypes.create_string_buffer(PORT_LIST_BYTES)
    check(_lib.listPorts(buffer, PORT_LIST_BYTES), "list ports")
    return [os.fsdecode(name) for name in buffer.value.split(b",") if name]


def _tool() -> Optional[str]:
    """The kivra tool: $KIVRA_CLI, the one installed with the package, or the one on PATH."""
    import shutil  # only on the way to an error, so importing the package stays lean

    own = os.environ.get("KIVRA_CLI")
    if own:
        return own
    try:
        from . import _installed  # written by the build when the package is installed
        installed = getattr(_installed, "TOOL", None)
    except ImportError:
        installed = None
    if installed and os.access(installed, os.X_OK):
        return installed
    return shutil.which("kivra")


def reason_from_library(name: str, listed: Optional[list[str]], free: int) -> str:
    """Why an open failed, told from the library's own answers: whether the
    port is listed and what isSerialOpen() says (1 in use or absent, 0 free).
    In the kivra tool's words, for Windows, where the package may come
    without the tool (the wheel alone)."""
    if not name:
        return "'' is not a port name"
    if "://" in name:
        return (f"port {name} cannot be reached: "
                "the connection was refused or the server did not answer")
    if free == 0:
        return f"port {name} could not be opened, though it is free now"
    if listed is not None and name in listed:
        return f"port {name} is in use by another program"
    return f"port {name} is absent (not among the system's ports)"


def _open_failure(port: bytes) -> str:
    """Why an open failed; the library only says -1.

    On POSIX in the kivra tool's words: it knows where a port name leads (the
    library's own rule) and what the system says of it: absent, in use by
    which process, no permission. On Windows from the library's answers.
    """
    name = os.fsdecode(port)
    if sys.platform == "win32":
        try:
            listed: Optional[list[str]] = list_ports()
        except KivraError:
            listed = None
        return reason_from_library(name, listed, _lib.isSerialOpen(port))
    import subprocess

    tool = _tool()
    if tool:
        try:
            done = subprocess.run([tool, "diagnose", "--", name], capture_output=True,
                                  timeout=_DIAGNOSE_SECONDS, check=False)
            cause = os.fsdecode(done.stdout).strip()
            if done.returncode == 0 and cause:
                return cause
        except (OSError, subprocess.TimeoutExpired):
            pass
    return f"port {name} could not be opened (the kivra tool, which tells why, is not at hand)"


class Parameter(property):
    """A controller parameter of Shutter: the property, with the range its
    writes accept (low to high) and, for coded values, the enum of its codes."""

    def __init__(self, fget: Callable, fset: Callable, doc: str, low: int, high: int,
                 kind: Optional[type]) -> None:
        super().__init__(fget, fset, None, doc)
        self.__doc__ = doc  # a subclass's own docstring would shadow it
        self.low = low
        self.high = high
        self.kind = kind


def parameters() -> "dict[str, Parameter]":
    """Shutter's parameters by attribute name, in the order they are declared."""
    return {name: p for name, p in vars(Shutter).items() if isinstance(p, Parameter)}


def _param(name: str, kind: Optional[Type[E]] = None) -> property:
    """The vocabulary's parameter of that name, read and written whole."""
    about = PARAMETERS[name]
    getter, setter, low, high = about.getter, about.setter, about.min, about.max
    get_fn: Callable[[int], int] = getattr(_lib, getter)
    set_fn: Callable[[int, int], int] = getattr(_lib, setter)

    def read(self: "Shutter") -> Union[int, E]:
        value = check(get_fn(self.handle), getter)
        if kind is not None:
            try:
                return kind(value)
            except ValueError:
                return value  # a code this package does not know; shown as it is
        return value

    def write(self: "Shutter", value: int) -> None:
        number = int(value)
        if not low <= number <= high:
            raise ValueError(f"{setter}: {number} is outside {low} to {high}")
        check(set_fn(self.handle, number), setter)

    unit = f" in {about.unit}" if about.unit else ""
    doc = f"{about.description}{unit} ({low} to {high})"
    return Parameter(read, write, doc, low, high, kind)


class Shutter:
    """The controller on one port. Opened on creation; ``with`` releases the port.

    ``open()`` and ``close()`` move the shutter; ``release()`` gives the port
    back (``with`` does it on leaving).
    """

    def __init__(self, port: PortName) -> None:
        self.port = _port_bytes(port)
        self.handle = 0
        handle = _lib.openSerial(self.port)
        if handle <= 0:
            raise PortError(handle, f"open {os.fsdecode(self.port)}", _open_failure(self.port))
        self.handle = handle

    def __enter__(self) -> "Shutter":
        return self

    def __exit__(self, *exc: object) -> None:
        self.release()

    def __del__(self) -> None:
        self.release()

    def release(self) -> None:
        """Closes the port (not the shutter); later calls fail."""
        if self.handle > 0:
            _lib.closeSerial(self.handle)
            self.handle = 0

    state = _param("state", State)
    mode = _param("mode", Mode)
    on_time_ms = _param("on-time")
    off_time_ms = _param("off-time")
    cycles = _param("cycles")
    valve = _param("valve", Valve)
    initial_state = _param("initial-state", State)
    trigger_in = _param("trigger-in", Edge)
    trigger_out = _param("trigger-out", Level)
    io1 = _param("io1", IOMode)
    io2 = _param("io2", IOMode)
    light_level = _param("light")
    light_idle_level = _param("light-idle")
    light_timeout_min = _param("light-timeout")

    def open(self) -> None:
        """Opens the shutter (in automatic mode: starts the sequence)."""
        self.state = State.OPEN

    def close(self) -> None:
        """Closes the shutter, ending a running sequence."""
        self.state = State.CLOSED

    @property
    def frequency(self) -> float:
        """The shutter frequency in Hz; 0 when idle."""
        value = _lib.getFrequency(self.handle)
        if value < 0:
            raise error_for(int(value), "getFrequency")
        return float(value)

    def _text(self, name: str) -> str:
        buffer = ctypes.create_string_buffer(KIVRA_TEXT_FIELD_SIZE + 1)
        check(getattr(_lib, name)(self.handle, buffer, KIVRA_TEXT_FIELD_SIZE), name)
        return buffer.value.decode("utf-8", errors="replace")

    @property
    def device_name(self) -> str:
        return self._text("getDeviceName")

    @property
    def serial_number(self) -> str:
        return self._text("getSerialNumber")

    @property
    def firmware_version(self) -> str:
        return self._text("getDeviceSoftVersion")

    def run(self, on_ms: int, off_ms: int, cycles: int) -> None:
        """Sets automatic mode, the times and the count, then starts the sequence."""
        self.mode = Mode.AUTO
        self.on_time_ms = on_ms
        self.off_time_ms = off_ms
        self.cycles = cycles
        self.open()

    def wait_until_idle(self, timeout: Optional[float] = None) -> float:
        """Polls the frequency until it reads 0; returns the seconds waited.

        Raises TimeoutError when timeout seconds pass first.
        """
        start = time.monotonic()
        while self.frequency > 0:
            waited = time.monotonic() - start
            if timeout is not None and waited >= timeout:
                raise TimeoutError(f"still running after {waited:.1f} s")
            time.sleep(_POLL_SECONDS)
        return time.monotonic() - start

    def send_debug(self, code: int, data: bytes = b"") -> None:
        """Factory use: a raw request with command code and up to 56 data bytes
        (KIVRA_DEBUG_DATA_MAX)."""
        if not 0 <= code <= 0xFFFF or len(data) > KIVRA_DEBUG_DATA_MAX:
            raise ValueError("code must be 0 to 65535 and data at most "
                             f"{KIVRA_DEBUG_DATA_MAX} bytes")
        check(_lib.sendDebugData(self.handle, code, len(data), data or None), "sendDebugData")


__all__ = ["Shutter", "State", "Mode", "Valve", "Edge", "Level", "IOMode", "list_ports",
           "KivraError", "Parameter", "parameters"]
