"""The generated vocabulary against the library itself: its function names
are the library's exports, and each call sends the code and spends the
budget the vocabulary gives it (read from the frame trace, so nothing here
depends on how fast the machine is)."""

from __future__ import annotations

import os
import subprocess
import sys
from pathlib import Path

import pytest

from kivra._vocabulary import COMMANDS, KIVRA_CMD_CALLERS_CODE
from conftest import STRETCH

EXPORT_LISTS = Path(__file__).resolve().parents[2] / "tests" / "library"
PORT_FUNCTIONS = {"listPorts", "openSerial", "isSerialOpen", "closeSerial"}


def export_list(build: str) -> set[str]:
    lines = (EXPORT_LISTS / f"exports_{build}.txt").read_text().split()
    return set(lines)


def test_commands_are_the_device_exports_of_each_build() -> None:
    assert set(COMMANDS) | PORT_FUNCTIONS == export_list("full")
    reduced = {name for name, c in COMMANDS.items() if not c.full_build_only}
    assert reduced | PORT_FUNCTIONS == export_list("reduced")


# Every device function once, through the package's declarations, against a
# silent controller: the trace shows each request and the budget it waited.
SCRIPT = """
import ctypes, sys
from kivra import _library
from kivra._vocabulary import COMMANDS
lib = _library.lib
h = lib.openSerial(sys.argv[1].encode())
text = ctypes.create_string_buffer(64)
args = {
    "set": (0x01020304,), "tuning": (0x01020304,), "get": (), "frequency": (),
    "text-read": (text, 64), "text-write": (b"AB", 2), "debug": (0x0E, 2, b"\\x01\\x02"),
}
for name, command in COMMANDS.items():
    print(name, getattr(lib, name)(h, *args[command.kind]))
"""

DATA = {  # request data each kind sends
    "set": "04 03 02 01", "tuning": "04 03 02 01", "get": "00 00 00 00",
    "frequency": "00 00 00 00", "text-read": " ".join(["00"] * 32),
    "text-write": " ".join(["41", "42"] + ["00"] * 30), "debug": "01 02",
}


def word(value: int) -> str:
    return f"{value & 0xFF:02X} {value >> 8 & 0xFF:02X}"


@pytest.fixture(scope="module")
def traced() -> tuple[list[str], list[str]]:
    from conftest import Sim
    sim = Sim(f"V{os.getpid()}", ["--silent"])
    try:
        env = dict(os.environ, KIVRA_TRACE="1")
        out = subprocess.run([sys.executable, "-c", SCRIPT, sim.name], env=env,
                             capture_output=True, text=True, timeout=300, check=True)
    finally:
        sim.stop()
    return out.stdout.splitlines(), out.stderr.splitlines()


@pytest.mark.parametrize("name", list(COMMANDS))
def test_each_call_sends_its_code_and_spends_its_budget(traced, name: str) -> None:
    results, trace = traced
    command = COMMANDS[name]
    # Declared by its kind, each call returns the silent controller's -2.
    assert f"{name} {-2.0 if command.kind == 'frequency' else -2}" in results
    debug = command.code == KIVRA_CMD_CALLERS_CODE
    code = 0x0E if debug else command.code
    label = f"-> {name}" + (f" code={code}" if debug else "")
    at = next(i for i, line in enumerate(trace) if line.startswith(label + " "))
    data = DATA[command.kind]
    assert trace[at].startswith(f"{label} 55 AA {word(code)} {word(len(data.split()))} {data} ")
    assert trace[at + 1] == f"<- timeout: no reply within {command.attempts * STRETCH} ms (-2)"
