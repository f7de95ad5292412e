"""Finding and loading the shared library, with every function's signature.

The library is looked for, in order: KIVRA_LIBRARY; beside the package; the
installed program's folder (Linux: the one the build recorded; Windows: the
one the installer records in the registry); the loader's own search path.
A file of the other bitness or the reduced build is passed over and named as
such; when nothing loads, the error lists every place tried and why.
"""

from __future__ import annotations

import ctypes
import ctypes.util
import ntpath
import os
import posixpath
import struct
import sys
from pathlib import Path
from typing import Callable, NamedTuple, Optional

from ._vocabulary import COMMANDS

_POSIX_NAME = "libKivraLibrary.so"
_SOVERSIONS = ("1",)
_WINDOWS_NAME = "KivraLibrary.dll"
# Where the Windows installer records its folder (packaging/windows/kivra.nsi).
REGISTRY_KEY = r"Software\Kivra"
REGISTRY_VALUE = "InstallDir"
_REGISTRY_NAME = rf"HKLM\{REGISTRY_KEY}"

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
# function of the vocabulary.
_SIGNATURES: list[tuple[str, object, list[object]]] = [
    ("listPorts", c_int, [c_char_p, c_int]),
    ("openSerial", c_int, [c_char_p]),
    ("isSerialOpen", c_int, [c_char_p]),
    ("closeSerial", c_int, [c_int]),
    *[(name, _KINDS[command.kind][0], [c_int, *_KINDS[command.kind][1]])
      for name, command in COMMANDS.items()],
]

# The package drives IO1 and IO2, which only the full build exports.
_FULL_BUILD_ONLY = sorted(name for name, command in COMMANDS.items() if command.full_build_only)

# The machine field of a PE file's header, by bitness.
_PE_MACHINE_BITS = {0x014C: 32, 0x8664: 64, 0xAA64: 64}
_ELF_CLASS_BITS = {1: 32, 2: 64}


class Candidate(NamedTuple):
    """A place the library is looked for: a file, or a bare name for the loader."""
    path: str
    where: str


def _installed_dir() -> str | None:
    try:
        from . import _installed  # written by the build when the package is installed
    except ImportError:
        return None
    return getattr(_installed, "LIBRARY_DIR", None)


def _registry_dir() -> str | None:
    """The installed program's folder as the Windows installer recorded it."""
    try:
        import winreg
    except ImportError:
        return None
    # The installer writes the 64-bit view; a 32-bit Python reads it too, to
    # be told the library there is of the other bitness.
    for view in (winreg.KEY_WOW64_64KEY, 0):
        try:
            with winreg.OpenKey(winreg.HKEY_LOCAL_MACHINE, REGISTRY_KEY, 0,
                                winreg.KEY_READ | view) as key:
                return str(winreg.QueryValueEx(key, REGISTRY_VALUE)[0])
        except OSError:
            continue
    return None


def candidates(platform: str = sys.platform, environ: Optional[dict[str, str]] = None,
               package_dir: Optional[str] = None,
               installed_dir: Optional[Callable[[], Optional[str]]] = None,
               find_library: Callable[[str], Optional[str]] = ctypes.util.find_library,
               ) -> list[Candidate]:
    """Where the library is looked for, in order, on platform (sys.platform's
    names); the rest defaults to this process's."""
    windows = platform == "win32"
    paths = ntpath if windows else posixpath
    environ = os.environ if environ is None else environ
    here = package_dir or str(Path(__file__).resolve().parent)
    installed = (installed_dir or (_registry_dir if windows else _installed_dir))()
    names = [_WINDOWS_NAME] if windows else [f"{_POSIX_NAME}.{v}" for v in _SOVERSIONS] + [
        _POSIX_NAME]

    found: list[Candidate] = []
    own = environ.get("KIVRA_LIBRARY")
    if own:
        found.append(Candidate(own, "KIVRA_LIBRARY"))
    found += [Candidate(paths.join(here, name), "beside the package") for name in names]
    if installed:
        where = f"the installed program's folder ({_REGISTRY_NAME})" if windows else (
            "the installed library's folder")
        found += [Candidate(paths.join(installed, name), where) for name in names]
    found += [Candidate(name, "the loader's search path") for name in names]
    system = find_library("KivraLibrary")
    if system:
        found.append(Candidate(system, "PATH" if windows else "the system's libraries"))
    return found


def library_bits(path: str) -> int | None:
    """32 or 64 for a PE (DLL) or ELF file by its header, else None."""
    try:
        with open(path, "rb") as f:
            head = f.read(64)
            if head[:4] == b"\x7fELF":
                return _ELF_CLASS_BITS.get(head[4])
            if head[:2] != b"MZ" or len(head) < 64:
                return None
            f.seek(struct.unpack_from("<I", head, 0x3C)[0])
            pe = f.read(6)
    except OSError:
        return None
    if len(pe) < 6 or pe[:4] != b"PE\0\0":
        return None
    return _PE_MACHINE_BITS.get(struct.unpack_from("<H", pe, 4)[0])


def _names_a_file(path: str) -> bool:
    return any(sep in path for sep in ("/", "\\"))


def load(found: list[Candidate], loader: Callable[[str], ctypes.CDLL] = ctypes.CDLL,
         bits: int = struct.calcsize("P") * 8) -> tuple[ctypes.CDLL, Candidate]:
    """The first of found that is there, of this Python's bitness and the full
    build, loaded; OSError naming every place tried and why, when none is."""
    tried: list[str] = []
    for candidate in found:
        place = f"{candidate.where} {candidate.path}"
        # A path that names a file must exist; a bare name goes to the loader.
        if _names_a_file(candidate.path):
            if not os.path.isfile(candidate.path):
                tried.append(f"{place} (not there)")
                continue
            other = library_bits(candidate.path)
            if other is not None and other != bits:
                tried.append(f"{place} (a {other}-bit library; this Python is {bits}-bit)")
                continue
        try:
            lib = loader(candidate.path)
        except OSError as error:
            tried.append(f"{place} ({error})")
            continue
        missing = [name for name in _FULL_BUILD_ONLY if getattr(lib, name, None) is None]
        if missing:
            tried.append(f"{place} (the reduced build, without {', '.join(missing)}; "
                         "the package needs the full build)")
            continue
        return lib, candidate
    raise OSError("KivraLibrary not found; tried, in order: " + "; ".join(tried) +
                  f". Set KIVRA_LIBRARY to the path of the full {bits}-bit library.")


def _path_of(lib: ctypes.CDLL, fallback: str) -> str:
    """The file the loader actually mapped (a bare name resolves somewhere)."""
    if sys.platform == "win32":
        buffer = ctypes.create_unicode_buffer(32768)
        if ctypes.windll.kernel32.GetModuleFileNameW(ctypes.c_void_p(lib._handle), buffer,
                                                     len(buffer)):
            return buffer.value
        return fallback
    try:
        with open("/proc/self/maps", encoding="utf-8") as maps:
            for line in maps:
                parts = line.split(None, 5)
                if len(parts) == 6 and os.path.basename(parts[5].strip()).startswith(_POSIX_NAME):
                    return parts[5].strip()
    except OSError:
        pass
    return os.path.abspath(fallback) if _names_a_file(fallback) else fallback


def _declare(lib: ctypes.CDLL) -> None:
    for name, restype, argtypes in _SIGNATURES:
        function = getattr(lib, name)
        function.restype = restype
        function.argtypes = argtypes


lib, _found = load(candidates())
path = _path_of(lib, _found.path)
_declare(lib)
