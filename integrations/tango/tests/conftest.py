"""kivra-sim processes for the Tango tests, each in a private port directory.

The build hands over KIVRA_SIM (the simulator) and KIVRA_LIBRARY (the
library); PYTHONPATH holds the kivra package and kivra_tango.
"""

from __future__ import annotations

import os
import shutil
import subprocess
import tempfile
from typing import Callable, Iterator, Optional

import pytest

PORT_DIR = tempfile.mkdtemp(prefix="kivra-tango-ports-")
# Set before the library is loaded anywhere, so every process reads it.
os.environ["KIVRA_PORT_DIR"] = PORT_DIR


def pytest_unconfigure(config: object) -> None:
    shutil.rmtree(PORT_DIR, ignore_errors=True)


class Sim:
    def __init__(self, name: str, options: list[str]) -> None:
        sim = os.environ.get("KIVRA_SIM")
        if not sim:
            pytest.skip("KIVRA_SIM not set (run through ctest)")
        self.name = name
        self.process = subprocess.Popen(
            [sim, "--port-dir", PORT_DIR, "--name", name, *options],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline() if self.process.stdout else ""
        if "port" not in line:
            self.process.kill()
            raise RuntimeError(f"kivra-sim did not start: {line!r}")

    def stop(self) -> None:
        if self.process.poll() is None:
            self.process.terminate()
        self.process.wait(timeout=5)

    def kill(self) -> None:
        """Ends it outright, as an unplugged controller."""
        self.process.kill()
        self.process.wait(timeout=5)


@pytest.fixture
def sim() -> Iterator[Callable[..., Sim]]:
    """sim("--silent") starts a simulator; sim(name="X") reuses a port name."""
    started: list[Sim] = []

    def start(*options: str, name: Optional[str] = None) -> Sim:
        s = Sim(name or f"TG{os.getpid()}x{len(started) + 1}", list(options))
        started.append(s)
        return s

    yield start
    for s in started:
        s.stop()
