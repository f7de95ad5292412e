"""kivra-ioc as an EPICS client meets it: Channel Access through Debian's
pyepics and libca, pvAccess through base's pvget and pvput."""

from __future__ import annotations

import os
import re
import subprocess
import threading
import time
from typing import Any, Callable

import pytest

epics = pytest.importorskip("epics", reason="python3-pyepics is not installed")

from conftest import PREFIX, Ioc, Sim

TIMEOUT = 30.0  # for what a busy machine may hold up; a healthy IOC answers at once
SCAN_S = 1.0    # the example's readback scan
NO_ALARM, INVALID, COMM = 0, 3, 9  # base's alarm.h: severities, and the status COMM


def _records() -> list[tuple[str, str, dict[str, str]]]:
    """(type, name, fields) of every record in the database the IOC loads."""
    with open(os.environ["KIVRA_IOC_DB"], encoding="utf-8") as f:
        text = f.read()
    return [(kind, name, dict(re.findall(r'field\((\w+), "([^"]*)"\)', body)))
            for kind, name, body in
            re.findall(r'record\((\w+), "\$\(P\)\$\(R\)(\w+)"\) \{(.*?)\n\}', text, re.S)]


class Watched:
    """A PV's monitor, waited on for a value or an alarm."""

    def __init__(self, name: str) -> None:
        self._changed = threading.Condition()
        self.pv = epics.PV(PREFIX + name, form="time", callback=self._event)
        assert self.pv.wait_for_connection(timeout=TIMEOUT), name
        assert self.pv.get(timeout=TIMEOUT) is not None, name  # a first value to test

    def _event(self, **_: Any) -> None:
        with self._changed:
            self._changed.notify_all()

    def wait(self, test: Callable[[epics.PV], bool], timeout: float = TIMEOUT) -> bool:
        deadline = time.monotonic() + timeout
        with self._changed:
            while not test(self.pv):
                left = deadline - time.monotonic()
                if left <= 0:
                    return False
                self._changed.wait(left)
        return True

    def wait_value(self, value: Any, timeout: float = TIMEOUT) -> None:
        assert self.wait(lambda pv: pv.value == value and pv.severity == NO_ALARM, timeout), \
            f"{self.pv.pvname}: {self.pv.value!r} (severity {self.pv.severity}), not {value!r}; " \
            f"setpoint severity {epics.caget(self.pv.pvname[:-4] + '.SEVR')}, " \
            f"status {epics.caget(PREFIX + 'Status', as_string=True)!r}"


def _put(name: str, value: Any) -> None:
    assert epics.caput(PREFIX + name, value, wait=True, timeout=TIMEOUT) == 1, name


def test_every_setpoint_and_readback_round_trips(ioc: Ioc) -> None:
    records = _records()
    readbacks = {name for _, name, _ in records}
    outputs = [(kind, name, fields) for kind, name, fields in records
               if kind in ("bo", "mbbo", "longout")]
    assert len(outputs) == 14
    for kind, name, fields in outputs:
        assert name + "_RBV" in readbacks
        rbv = Watched(name + "_RBV")
        if kind == "bo":
            values = [1, 0]
            words = epics.PV(PREFIX + name).get_ctrlvars(timeout=TIMEOUT)["enum_strs"]
            assert words[:2] == ("Closed", "Open"), words
        elif kind == "mbbo":
            states = [k for k in ("ZRST", "ONST", "TWST", "THST") if k in fields]
            values = list(range(len(states))) + [0]  # ends on the first: Manual for Mode
        else:
            values = [int(fields["DRVL"]), int(fields["DRVH"]), int(fields["DRVL"])]
        for value in values:
            _put(name, value)
            rbv.wait_value(value)
        rbv.pv.clear_callbacks()


def test_a_put_outside_the_range_is_clamped(ioc: Ioc) -> None:
    rbv = Watched("OpenTime_RBV")
    _put("OpenTime", 500)
    rbv.wait_value(500)
    _put("OpenTime", 5)
    rbv.wait_value(20)
    assert epics.caget(PREFIX + "OpenTime") == 20
    _put("OpenTime", 10**7)
    rbv.wait_value(100000)


def test_a_state_change_is_seen_by_a_monitor_and_the_controller_reports(ioc: Ioc) -> None:
    state = Watched("State_RBV")
    _put("State", "Open")
    state.wait_value(1)
    assert state.pv.get(as_string=True) == "Open"
    _put("State", "Closed")
    state.wait_value(0)

    # Read now, not at their next scan: a put to PROC completes once read.
    for name, text in (("DeviceName", "KIVRA-SHUTTER"), ("SerialNumber", "KS20240001"),
                       ("FirmwareVersion", "V2.0.3")):
        _put(name + ".PROC", 1)
        assert epics.caget(PREFIX + name, timeout=TIMEOUT) == text, name
    assert epics.caget(PREFIX + "Connected", as_string=True) == "Connected"

    # An automatic run of 50 + 50 ms cycles: 10 Hz while it runs.
    frequency = Watched("Frequency")
    for name, value in (("OpenTime", 50), ("CloseTime", 50), ("CycleCount", 1000),
                        ("Mode", "Auto"), ("State", "Open")):
        _put(name, value)
    assert frequency.wait(lambda pv: abs(pv.value - 10.0) < 0.01), frequency.pv.value
    _put("State", "Closed")
    frequency.wait_value(0.0)
    _put("Mode", "Manual")


def test_a_lost_controller_alarms_its_records_until_it_returns(ioc: Ioc, sim: Sim) -> None:
    rbv = Watched("OpenTime_RBV")
    connected = Watched("Connected")
    status = Watched("Status")
    connected.wait_value(1)

    sim.kill()
    # The next scan's call fails (the open with it): two scan periods, and
    # the stretched budget of the call under way, are enough.
    assert rbv.wait(lambda pv: pv.severity == INVALID, 2 * SCAN_S + 2), \
        f"OpenTime_RBV severity {rbv.pv.severity} two scans after the controller went"
    assert rbv.pv.status == COMM
    assert connected.wait(lambda pv: pv.value == 0)
    assert status.wait(lambda pv: "get " in str(pv.char_value)), status.pv.char_value
    # The IOC keeps answering.
    assert epics.caget(PREFIX + "Mode_RBV.SEVR", timeout=TIMEOUT) is not None
    put_failed = Watched("CloseTime")
    _put("CloseTime", 300)
    assert put_failed.wait(lambda pv: pv.severity == INVALID)

    sim.start()
    assert rbv.wait(lambda pv: pv.severity == NO_ALARM), rbv.pv.severity
    connected.wait_value(1)
    assert status.wait(lambda pv: pv.char_value == "ok"), status.pv.char_value


def _tool(name: str, *args: str) -> str:
    run = subprocess.run([os.path.join(os.environ["KIVRA_EPICS_BIN"], name), "-w", "10", *args],
                         capture_output=True, text=True, timeout=60, check=False)
    assert run.returncode == 0, run.stdout + run.stderr
    return run.stdout


def test_state_and_a_setpoint_over_pvaccess(ioc: Ioc) -> None:
    state = Watched("State_RBV")
    _put("State", "Open")
    state.wait_value(1)
    assert "Open" in _tool("pvget", PREFIX + "State_RBV")

    rbv = Watched("OpenTime_RBV")
    _tool("pvput", PREFIX + "OpenTime", "321")
    rbv.wait_value(321)
    assert re.search(r"\b321\b", _tool("pvget", PREFIX + "OpenTime_RBV"))
    _put("State", "Closed")
