"""Finding and loading the shared library, with every function's signature."""

from __future__ import annotations

import ctypes
import ctypes.util
import os
from pathlib import Path

from ._vocabulary import COMMANDS

_NAME = "libKivraLibrary.so"
_SOVERSIONS = ("1",)

c_int = ctypes.c_int
c_char_p = ctypes.c_char_p

# Arguments and result of each kind of device function, after the handle.
_KINDS: dict[str, tuple[object, list[object]]] = {
    "set": (c_int, [c_int]),
    "get": (c_int, []),
    "frequency": (ctypes.c_float, []),
    "text-read": (c_int, [c_char_p, c_int]),
    "text-write": (c_int, [c_char_p, c_int]),
    "tuning": (c_int, [c_int]),
    "debug": (c_int, [c_int, c_int, ctypes.c_void_p]),
}

# (name, result type, argument types): the port functions, then every device
# function of the vocabulary. The full build's own functions are missing from
# a reduced library, which is left as it is.
_SIGNATURES: list[tuple[str, object, list[object]]] = [
    ("listPorts", c_int, [c_char_p, c_int]),
    ("openSerial", c_int, [c_char_p]),
    ("isSerialOpen", c_int, [c_char_p]),
    ("closeSerial", c_int, [c_int]),
    *[(name, _KINDS[command.kind][0], [c_int, *_KINDS[command.kind][1]])
      for name, command in COMMANDS.items()],
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
