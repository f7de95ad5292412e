"""The Python package against the simulated controller."""

from __future__ import annotations

import os
import subprocess
import sys

import pytest

import kivra
from kivra import Edge, IOMode, Level, Mode, State, Valve


def test_library_found_through_the_environment() -> None:
    assert os.path.samefile(kivra.library_path(), os.environ["KIVRA_LIBRARY"])


def test_every_function_declared() -> None:
    from kivra import _library
    missing = [name for name, _, _ in _library._SIGNATURES
               if getattr(_library.lib, name).argtypes is None]
    assert missing == []
    assert _library.lib.getFrequency.restype is __import__("ctypes").c_float


def test_ports_listed_and_opened_by_str_and_bytes(sim) -> None:
    s = sim()
    assert s.name in kivra.list_ports()
    for port in (s.name, s.name.encode()):
        with kivra.Shutter(port) as shutter:
            assert shutter.device_name == "KIVRA-SHUTTER"
            assert shutter.serial_number == "KS20240001"
            assert shutter.firmware_version == "V2.0.3"


# (property, value written, value read back as)
ROUND_TRIPS = [
    ("mode", Mode.TRIGGER, Mode.TRIGGER),
    ("on_time_ms", 50, 50),
    ("off_time_ms", 100000, 100000),
    ("cycles", 1, 1),
    ("valve", Valve.KD2_40, Valve.KD2_40),
    ("initial_state", State.OPEN, State.OPEN),
    ("trigger_in", Edge.FALLING, Edge.FALLING),
    ("trigger_out", Level.LOW, Level.LOW),
    ("io1", IOMode.OUTPUT, IOMode.OUTPUT),
    ("io2", IOMode.INPUT, IOMode.INPUT),
    ("light_level", 0, 0),
    ("light_idle_level", 100, 100),
    ("light_timeout_min", 480, 480),
]


def test_properties_round_trip(sim) -> None:
    with kivra.Shutter(sim().name) as s:
        for name, value, expected in ROUND_TRIPS:
            setattr(s, name, value)
            got = getattr(s, name)
            assert got == expected and type(got) is type(expected), name


@pytest.mark.parametrize("name,value", [
    ("on_time_ms", 19), ("off_time_ms", 100001), ("cycles", 0), ("mode", 5),
    ("light_level", -1), ("light_timeout_min", 481), ("valve", 3)])
def test_out_of_range_refused_before_sending(sim, name: str, value: int) -> None:
    # A silent controller would turn any request into NoAnswer.
    with kivra.Shutter(sim("--silent").name) as s:
        with pytest.raises(ValueError):
            setattr(s, name, value)


def test_advertised_ranges_are_the_ones_writes_enforce(sim) -> None:
    params = kivra.parameters()
    assert params["on_time_ms"].low == 20 and params["on_time_ms"].high == 100000
    assert params["mode"].kind is Mode
    with kivra.Shutter(sim("--silent").name) as s:
        for name, param in params.items():
            for outside in (param.low - 1, param.high + 1):
                with pytest.raises(ValueError):
                    setattr(s, name, outside)


def test_run_and_wait_until_idle(sim) -> None:
    with kivra.Shutter(sim().name) as s:
        s.run(20, 20, 3)
        assert s.frequency == pytest.approx(25.0)
        assert s.mode is Mode.AUTO
        assert 0.1 < s.wait_until_idle(timeout=5) < 2
        assert s.frequency == 0
        s.run(20, 20, 1000)
        with pytest.raises(TimeoutError):
            s.wait_until_idle(timeout=0.2)
        s.close()
        assert s.frequency == 0 and s.state is State.CLOSED


# (simulator options, exception, code)
FAULTS = [
    (["--silent"], kivra.NoAnswer, -2),
    (["--corrupt", "start"], kivra.BadReply, -3),
    (["--corrupt", "length"], kivra.BadReply, -4),
    (["--corrupt", "status"], kivra.Refused, -5),
    (["--corrupt", "check"], kivra.BadReply, -6),
]


@pytest.mark.parametrize("options,error,code", FAULTS)
def test_failures_raise_their_exception(sim, options, error, code) -> None:
    with kivra.Shutter(sim(*options).name) as s:
        for call in (lambda: s.on_time_ms, lambda: s.frequency, lambda: s.device_name,
                     lambda: setattr(s, "light_level", 5)):
            with pytest.raises(error) as caught:
                call()
            assert caught.value.code == code
            assert isinstance(caught.value, kivra.KivraError)
            assert f"(code {code})" in str(caught.value)


def test_status_238_counts_as_good(sim) -> None:
    with kivra.Shutter(sim("--status238").name) as s:
        s.on_time_ms = 30
        assert s.on_time_ms == 30


def test_released_port_fails(sim) -> None:
    with kivra.Shutter(sim().name) as s:
        s.on_time_ms = 40
    with pytest.raises(kivra.NoAnswer):
        s.on_time_ms  # released: the handle is no longer open


def test_open_failures_raise_port_error(sim) -> None:
    with pytest.raises(kivra.PortError, match="absent") as caught:
        kivra.Shutter("NO-SUCH-PORT")
    assert caught.value.code == -1
    # The kivra tool's words, where the name leads by the library's own rule.
    assert caught.value.meaning == "port NO-SUCH-PORT is absent (no /dev/NO-SUCH-PORT)"
    s = sim()
    with kivra.Shutter(s.name):
        with pytest.raises(kivra.PortError, match="in use"):
            kivra.Shutter(s.name)


def test_open_failure_without_the_tool_says_so(monkeypatch) -> None:
    monkeypatch.setenv("KIVRA_CLI", "/nonexistent/kivra")
    with pytest.raises(kivra.PortError, match="could not be opened") as caught:
        kivra.Shutter("NO-SUCH-PORT")
    assert caught.value.code == -1


def test_library_beside_the_package_is_preferred(tmp_path) -> None:
    # A copy of the package with the library next to it finds that one when
    # no variable points elsewhere.
    import shutil
    package = tmp_path / "kivra"
    shutil.copytree(os.path.dirname(kivra.__file__), package)
    shutil.copy(os.environ["KIVRA_LIBRARY"], package / "libKivraLibrary.so")
    env = {k: v for k, v in os.environ.items() if k not in ("KIVRA_LIBRARY", "PYTHONPATH")}
    out = subprocess.run([sys.executable, "-c", "import kivra; print(kivra.library_path())"],
                         cwd=tmp_path, env=env, capture_output=True, text=True, check=True)
    assert out.stdout.strip() == str(package / "libKivraLibrary.so")
