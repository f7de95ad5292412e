"""Simulated controllers for the tests, each in a private port directory.

The build hands over where its pieces are: KIVRA_SIM (the simulator),
KIVRA_CLI (the kivra tool) and KIVRA_LIBRARY (the shared library), which is
the build whose exchange budgets are KIVRA_TEST_BUDGET_STRETCH times the
controller's, so that a busy machine changes nothing the tests see.
"""

from __future__ import annotations

import os
import subprocess
import tempfile
from typing import Callable, Iterator

import pytest

PORT_DIR = tempfile.mkdtemp(prefix="kivra-test-ports-")
# Set before the package is imported anywhere, so the library reads it.
os.environ["KIVRA_PORT_DIR"] = PORT_DIR
# Times measured against a budget (a late reply, the budget a trace prints)
# scale with it.
STRETCH = max(1, int(os.environ.get("KIVRA_TEST_BUDGET_STRETCH", "1")))


def _required(name: str) -> str:
    value = os.environ.get(name)
    if not value:
        pytest.skip(f"{name} not set (run through ctest)")
    return value


class Sim:
    def __init__(self, name: str, options: list[str]) -> None:
        self.name = name
        self.process = subprocess.Popen(
            [_required("KIVRA_SIM"), "--port-dir", PORT_DIR, "--name", name, *options],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline() if self.process.stdout else ""
        if "port" not in line:
            self.process.kill()
            raise RuntimeError(f"kivra-sim did not start: {line!r}")
        self.link = os.path.join(PORT_DIR, name)

    def stop(self) -> None:
        self.process.terminate()
        self.process.wait(timeout=5)


@pytest.fixture
def sim() -> Iterator[Callable[..., Sim]]:
    """Starts simulators: sim("--silent") gives a running one with its port."""
    started: list[Sim] = []
    count = [0]

    def start(*options: str) -> Sim:
        count[0] += 1
        s = Sim(f"T{os.getpid()}x{count[0]}", list(options))
        started.append(s)
        return s

    yield start
    for s in started:
        s.stop()
