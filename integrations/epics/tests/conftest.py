"""kivra-ioc on a kivra-sim process, for the Channel Access and pvAccess tests.

ctest hands over KIVRA_SIM, KIVRA_IOC, the example startup script
KIVRA_IOC_EXAMPLE, the database KIVRA_IOC_DB, base's tools in
KIVRA_EPICS_BIN, and the library's build with stretched budgets
(LD_LIBRARY_PATH). The IOC and its clients meet on the loopback, on ports
free at the start, so parallel runs do not see each other.
"""

from __future__ import annotations

import os
import shutil
import socket
import subprocess
import tempfile
from typing import Iterator

import pytest


def _free_port() -> int:
    """A loopback port free for TCP and UDP alike (CA and pvAccess use both)."""
    for _ in range(100):
        with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as tcp:
            tcp.bind(("127.0.0.1", 0))
            port = tcp.getsockname()[1]
            try:
                with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as udp:
                    udp.bind(("127.0.0.1", port))
            except OSError:
                continue
            return port
    raise RuntimeError("no free loopback port")


# Set before libca is loaded, which reads them once; the IOC inherits them.
os.environ.update({
    "EPICS_CA_ADDR_LIST": "127.0.0.1", "EPICS_CA_AUTO_ADDR_LIST": "NO",
    "EPICS_CA_SERVER_PORT": str(_free_port()), "EPICS_CA_REPEATER_PORT": str(_free_port()),
    "EPICS_CAS_INTF_ADDR_LIST": "127.0.0.1", "EPICS_CAS_BEACON_ADDR_LIST": "127.0.0.1",
    "EPICS_CAS_AUTO_BEACON_ADDR_LIST": "NO",
    "EPICS_PVA_ADDR_LIST": "127.0.0.1", "EPICS_PVA_AUTO_ADDR_LIST": "NO",
    "EPICS_PVA_SERVER_PORT": str(_free_port()), "EPICS_PVA_BROADCAST_PORT": str(_free_port()),
    "EPICS_PVAS_INTF_ADDR_LIST": "127.0.0.1",
})
PORT_DIR = tempfile.mkdtemp(prefix="kivra-ioc-ports-")
os.environ["KIVRA_PORT_DIR"] = PORT_DIR

try:
    import epics  # Debian's python3-pyepics; test_ioc.py skips without it
except ImportError:
    epics = None

# The example's record names with this run's own first part, so that two
# runs never answer each other's searches, even on one port.
PREFIX = f"KIVRA{os.getpid()}:SHUTTER1:"


def pytest_unconfigure(config: object) -> None:
    shutil.rmtree(PORT_DIR, ignore_errors=True)


class Sim:
    """A kivra-sim process under one port name, which can be unplugged
    (killed) and plugged in again."""

    def __init__(self, name: str) -> None:
        self.name = name
        self.start()

    def start(self) -> None:
        self.process = subprocess.Popen(
            [os.environ["KIVRA_SIM"], "--port-dir", PORT_DIR, "--name", self.name],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        line = self.process.stdout.readline() if self.process.stdout else ""
        if "port" not in line:
            self.process.kill()
            raise RuntimeError(f"kivra-sim did not start: {line!r}")

    def kill(self) -> None:
        self.process.kill()
        self.process.wait(timeout=10)

    def stop(self) -> None:
        if self.process.poll() is None:
            self.process.terminate()
        self.process.wait(timeout=10)


class Ioc:
    """The example startup script with its device and record names' first part changed."""

    def __init__(self, device: str, folder: str) -> None:
        with open(os.environ["KIVRA_IOC_EXAMPLE"], encoding="utf-8") as f:
            script = f.read()
        assert '"ttyUSB0"' in script and "P=KIVRA:," in script, "the example as documented"
        st = os.path.join(folder, "st.cmd")
        with open(st, "w", encoding="utf-8") as f:
            f.write(script.replace('"ttyUSB0"', f'"{device}"')
                    .replace("P=KIVRA:,", "P=" + PREFIX.split(":")[0] + ":,"))
        self.log_path = os.path.join(folder, "ioc.log")
        self.log = open(self.log_path, "w", encoding="utf-8")
        self.process = subprocess.Popen([os.environ["KIVRA_IOC"], st], stdin=subprocess.PIPE,
                                        stdout=self.log, stderr=subprocess.STDOUT, text=True)

    def output(self) -> str:
        with open(self.log_path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def stop(self) -> int:
        if self.process.poll() is None:
            self.process.communicate("exit\n", timeout=60)
        self.log.close()
        return self.process.returncode


@pytest.fixture(scope="session")
def sim() -> Iterator[Sim]:
    controller = Sim(f"EPX{os.getpid()}")
    yield controller
    controller.stop()


@pytest.fixture(scope="session")
def ioc(sim: Sim, tmp_path_factory: pytest.TempPathFactory) -> Iterator[Ioc]:
    running = Ioc(sim.name, str(tmp_path_factory.mktemp("ioc")))
    pv = epics.PV(PREFIX + "Connected")
    if not pv.wait_for_connection(timeout=60):
        running.stop()
        pytest.fail("the IOC did not serve its records:\n" + running.output())
    yield running
    status = running.stop()
    output = running.output()
    assert "AddressSanitizer" not in output and status == 0, output
