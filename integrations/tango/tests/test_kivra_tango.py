"""The KivraShutter Tango device against kivra-sim, through DeviceTestContext
(a device server without a Tango database)."""

from __future__ import annotations

import os
import subprocess
import sys
import time
from contextlib import contextmanager
from typing import Iterator

import pytest

tango = pytest.importorskip("tango", reason="PyTango (python3-tango) is not installed")
from tango import DevFailed, DevState  # noqa: E402
from tango.test_context import DeviceTestContext  # noqa: E402

import kivra  # noqa: E402
from kivra_tango.device import KivraShutter  # noqa: E402
from kivra_tango.vocabulary import PARAMETERS  # noqa: E402


@contextmanager
def device(port: str) -> Iterator[tango.DeviceProxy]:
    # A server process of its own per test: Tango starts once per process.
    with DeviceTestContext(KivraShutter, properties={"Port": port}, process=True,
                           timeout=15) as proxy:
        yield proxy


def wait_for_state(proxy: tango.DeviceProxy, wanted: DevState, seconds: float = 10) -> DevState:
    deadline = time.monotonic() + seconds
    state = proxy.state()
    while state != wanted and time.monotonic() < deadline:
        time.sleep(0.05)
        state = proxy.state()
    return state


def test_parameters_carry_the_packages_ranges_units_and_words(sim) -> None:
    with device(sim().name) as proxy:
        for row in PARAMETERS:
            param = kivra.parameters()[row.kivra_name]
            config = proxy.get_attribute_config(row.name)
            if row.labels:
                assert list(config.enum_labels) == row.labels, row.name
                assert len(row.labels) == param.high - param.low + 1, row.name
            else:
                assert (config.min_value, config.max_value) == (str(param.low),
                                                                str(param.high)), row.name
                assert config.unit == row.unit, row.name
        open_time = proxy.get_attribute_config("OpenTime")
        assert (open_time.unit, open_time.min_value, open_time.max_value) == ("ms", "20", "100000")
        assert list(proxy.get_attribute_config("Mode").enum_labels) == [
            "manual", "single", "auto", "trigger"]
        assert proxy.get_attribute_config("Frequency").unit == "Hz"


def test_every_parameter_round_trips_through_the_controller(sim) -> None:
    s = sim()
    with device(s.name) as proxy:
        for row in PARAMETERS:
            param = kivra.parameters()[row.kivra_name]
            values = range(len(row.labels)) if row.labels else (param.low, param.high)
            for value in values:
                proxy.write_attribute(row.name, value)
                assert proxy.read_attribute(row.name).value == value, row.name
        assert proxy.DeviceName == "KIVRA-SHUTTER"
        assert proxy.SerialNumber == "KS20240001"
        assert proxy.FirmwareVersion == "V2.0.3"
    # What the device wrote is what the controller holds.
    with kivra.Shutter(s.name) as shutter:
        assert shutter.light_timeout_min == 480 and shutter.valve is kivra.Valve.KD2_40


def test_out_of_range_writes_are_refused_and_change_nothing(sim) -> None:
    with device(sim().name) as proxy:
        proxy.OpenTime = 50
        for name, value in (("OpenTime", 19), ("CycleCount", 1000001),
                            ("BacklightSleepTime", 481)):
            with pytest.raises(DevFailed):
                proxy.write_attribute(name, value)
        with pytest.raises(DevFailed):
            proxy.write_attribute("Mode", 4)  # labels 0 to 3
        assert proxy.OpenTime == 50


def test_commands_move_the_state(sim) -> None:
    with device(sim().name) as proxy:
        assert proxy.state() == DevState.CLOSE
        proxy.Open()
        assert proxy.state() == DevState.OPEN
        proxy.Close()
        assert proxy.state() == DevState.CLOSE

        proxy.OpenTime, proxy.CloseTime, proxy.CycleCount = 20, 20, 1000
        proxy.Run()
        assert proxy.state() == DevState.RUNNING
        assert proxy.Mode == 2  # auto
        assert proxy.Frequency == pytest.approx(25.0)
        proxy.Stop()
        assert proxy.state() == DevState.CLOSE

        proxy.CycleCount = 3
        proxy.Run()
        assert wait_for_state(proxy, DevState.CLOSE) == DevState.CLOSE, "the sequence ends"


def test_a_silent_controller_gives_fault_and_recovers_without_a_restart(sim) -> None:
    silent = sim("--silent")
    with device(silent.name) as proxy:
        assert proxy.state() == DevState.FAULT
        assert "no answer" in proxy.status()
        with pytest.raises(DevFailed) as failure:
            proxy.Open()
        assert failure.value.args[0].reason == "KIVRA_ERR_NO_REPLY"

        silent.stop()
        sim(name=silent.name)  # the controller answers again on the same port
        proxy.Open()
        assert proxy.state() == DevState.OPEN


def test_a_controller_lost_mid_session_is_reopened_by_the_next_command(sim) -> None:
    first = sim()
    with device(first.name) as proxy:
        proxy.Open()
        first.kill()
        assert proxy.state() == DevState.FAULT
        assert first.name in proxy.status()
        sim(name=first.name)
        proxy.Close()
        assert proxy.state() == DevState.CLOSE


def test_no_port_gives_fault_with_the_reason(sim) -> None:
    with device("") as proxy:
        assert proxy.state() == DevState.FAULT
        assert "Port" in proxy.status()
    with device("NOSUCHPORT") as proxy:
        assert proxy.state() == DevState.FAULT
        assert "NOSUCHPORT is absent" in proxy.status()


def test_the_launcher_explains_itself() -> None:
    launcher = os.path.join(os.path.dirname(__file__), os.pardir, "kivra-tango")
    out = subprocess.run([sys.executable, launcher, "--help"], capture_output=True, text=True,
                         timeout=30)
    assert out.returncode == 0
    assert "tango_admin --add-server kivra-tango/" in out.stdout
    no_args = subprocess.run([sys.executable, launcher], capture_output=True, text=True,
                             timeout=30)
    assert no_args.returncode == 2
