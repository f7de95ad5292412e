"""Where the package looks for the library, and what it says when none will do.

No Windows Python is at hand here: the Windows order is checked with Windows'
names given to the function, and the checks of bitness and of the reduced
build run on files of this machine (a DLL header, the reduced build)."""

from __future__ import annotations

import os
import struct

import pytest

from kivra import _library
from kivra._library import Candidate
from kivra.shutter import reason_from_library

PACKAGE = r"C:\Python311\Lib\site-packages\kivra"


def test_windows_order() -> None:
    found = _library.candidates("win32", {"KIVRA_LIBRARY": r"D:\lab\KivraLibrary.dll"}, PACKAGE,
                                lambda: r"C:\Program Files\Kivra",
                                lambda name: r"C:\Tools\KivraLibrary.dll")
    assert found == [
        (r"D:\lab\KivraLibrary.dll", "KIVRA_LIBRARY"),
        (PACKAGE + r"\KivraLibrary.dll", "beside the package"),
        (r"C:\Program Files\Kivra\KivraLibrary.dll",
         r"the installed program's folder (HKLM\Software\Kivra)"),
        ("KivraLibrary.dll", "the loader's search path"),
        (r"C:\Tools\KivraLibrary.dll", "PATH"),
    ]
    # Nothing set, nothing installed, nothing on PATH.
    bare = _library.candidates("win32", {}, PACKAGE, lambda: None, lambda name: None)
    assert [c.where for c in bare] == ["beside the package", "the loader's search path"]


def _dll(path, machine: int) -> str:
    """A file with a PE header of that machine, as a DLL starts."""
    path.parent.mkdir(parents=True, exist_ok=True)
    header = bytearray(0x80)
    header[:2] = b"MZ"
    struct.pack_into("<I", header, 0x3C, 0x40)
    header[0x40:0x46] = b"PE\0\0" + struct.pack("<H", machine)
    path.write_bytes(bytes(header))
    return str(path)


def test_failure_names_every_place_tried_and_why(tmp_path) -> None:
    reduced = os.environ.get("KIVRA_REDUCED_LIBRARY")
    if not reduced:
        pytest.skip("KIVRA_REDUCED_LIBRARY not set (run through ctest)")
    wrong = _dll(tmp_path / "x86" / "KivraLibrary.dll", 0x014C)
    absent = str(tmp_path / "kivra" / "KivraLibrary.dll")
    found = [Candidate(wrong, "KIVRA_LIBRARY"), Candidate(absent, "beside the package"),
             Candidate(reduced, "the installed program's folder"),
             Candidate("KivraLibrary.dll", "the loader's search path")]
    with pytest.raises(OSError) as failed:
        _library.load(found, bits=64)
    reasons = [f"KIVRA_LIBRARY {wrong} (a 32-bit library; this Python is 64-bit)",
               f"beside the package {absent} (not there)",
               f"the installed program's folder {reduced} (the reduced build, without "
               "getIO1TriggerMode, getIO2TriggerMode, ",
               "the loader's search path KivraLibrary.dll ("]
    message = str(failed.value)
    at = [message.find(reason) for reason in reasons]
    assert -1 not in at and at == sorted(at), message
    assert message.endswith("Set KIVRA_LIBRARY to the path of the full 64-bit library.")

    # The first that fits is taken, past those that do not.
    full = os.environ["KIVRA_LIBRARY"]
    _, taken = _library.load([*found[:3], Candidate(full, "KIVRA_LIBRARY")], bits=64)
    assert taken.path == full
    assert _library.library_bits(_dll(tmp_path / "x64" / "KivraLibrary.dll", 0x8664)) == 64


def test_reasons_from_the_library_in_the_tools_words() -> None:
    # Windows tells why an open failed from listPorts and isSerialOpen alone.
    assert reason_from_library("COM3", ["COM1", "COM3"], 1) == "port COM3 is in use by another program"
    assert reason_from_library("COM4", ["COM1"], 1) == "port COM4 is absent (not among the system's ports)"
    assert reason_from_library("COM3", ["COM3"], 0) == "port COM3 could not be opened, though it is free now"
    assert reason_from_library("socket://lab:4001", None, 1).startswith(
        "port socket://lab:4001 cannot be reached")
