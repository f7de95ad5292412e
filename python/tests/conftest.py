"""Simulated controllers for the tests, each in a private port directory.

The build hands over where its pieces are: KIVRA_SIM (the simulator),
KIVRA_CLI (the kivra tool) and KIVRA_LIBRARY (the shared library), which is
the build whose exchange budgets are KIVRA_TEST_BUDGET_STRETCH times the
controller's, so that a busy machine changes nothing the tests see.

With KIVRA_WINE set (tests/windows) the two programs are kivra.exe and
kivra-sim.exe, run under that wine loader, and only the tests marked
"shared", whose results do not depend on the platform, are meant to run.
"""

from __future__ import annotations

import os
import subprocess
import tempfile
from typing import Callable, Iterator

import pytest

WINE = os.environ.get("KIVRA_WINE")
if WINE:
    # A folder of the wine prefix, not made yet: the Windows programs make it
    # private to the user as they first publish. PORT_DIR is its path here.
    _name = f"kivra-test-ports-{os.getpid()}"
    PORT_DIR = os.path.join(os.environ["WINEPREFIX"], "drive_c", _name)
    os.environ["KIVRA_PORT_DIR"] = "C:\\" + _name
else:
    PORT_DIR = tempfile.mkdtemp(prefix="kivra-test-ports-")
    # Set before the package is imported anywhere, so the library reads it.
    os.environ["KIVRA_PORT_DIR"] = PORT_DIR
# Times measured against a budget (a late reply, the budget a trace prints)
# scale with it.
STRETCH = max(1, int(os.environ.get("KIVRA_TEST_BUDGET_STRETCH", "1")))


def pytest_configure(config) -> None:
    config.addinivalue_line("markers", "shared: the same on every platform (run under wine too)")


def program(variable: str) -> list[str]:
    """The command that starts the program named by the environment variable."""
    return [WINE, _required(variable)] if WINE else [_required(variable)]


def _required(name: str) -> str:
    value = os.environ.get(name)
    if not value:
        pytest.skip(f"{name} not set (run through ctest)")
    return value


class Sim:
    def __init__(self, name: str | None, options: list[str]) -> None:
        self.name = name or "SIM1"  # the simulator's own default
        named = ["--name", name] if name else []
        self.process = subprocess.Popen(
            [*program("KIVRA_SIM"), "--port-dir", os.environ["KIVRA_PORT_DIR"], *named, *options],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline() if self.process.stdout else ""
        if "port" not in line:
            self.process.kill()
            raise RuntimeError(f"kivra-sim did not start: {line!r}")
        self.link = os.path.join(PORT_DIR, self.name)

    def stop(self) -> None:
        self.process.terminate()
        self.process.wait(timeout=5)


@pytest.fixture
def sim() -> Iterator[Callable[..., Sim]]:
    """Starts simulators: sim("--silent") gives a running one with its port;
    sim(named=False) one under the simulator's default name."""
    started: list[Sim] = []
    count = [0]

    def start(*options: str, named: bool = True) -> Sim:
        count[0] += 1
        s = Sim(f"T{os.getpid()}x{count[0]}" if named else None, list(options))
        started.append(s)
        return s

    yield start
    for s in started:
        s.stop()
