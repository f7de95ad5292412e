"""The frame trace: KIVRA_TRACE=1 at load writes every frame to stderr."""

from __future__ import annotations

import os
import subprocess
import sys

import pytest

from conftest import STRETCH

SCRIPT = """
import ctypes, os, sys, time
lib = ctypes.CDLL(os.environ["KIVRA_LIBRARY"])
lib.getFrequency.restype = ctypes.c_float
h = lib.openSerial(sys.argv[1].encode())
print("on", lib.getShutterOnTime(h))
if len(sys.argv) > 2:
    time.sleep(float(sys.argv[2]))  # let a late reply arrive
print("hz", lib.getFrequency(h))
buf = ctypes.create_string_buffer(64)
print("name", lib.getDeviceName(h, buf, 64))
print("mode", lib.setShutterMode(h, 9))
print("raw", lib.sendDebugData(h, 5, 4, None))
"""


def traced(port: str, trace: str | None, *extra: str) -> subprocess.CompletedProcess:
    env = dict(os.environ)
    env.pop("KIVRA_TRACE", None)
    if trace is not None:
        env["KIVRA_TRACE"] = trace
    return subprocess.run([sys.executable, "-c", SCRIPT, port, *extra], env=env,
                          capture_output=True, text=True, timeout=120)


def test_trace_lines(sim) -> None:
    out = traced(sim().name, "1")
    assert out.stdout.split() == ["on", "100", "hz", "0.0", "name", "0", "mode", "-5",
                                  "raw", "-2"]
    lines = out.stderr.splitlines()
    assert lines[0] == "-> getShutterOnTime 55 AA 0E 00 04 00 00 00 00 00 5F AA"
    assert lines[1].startswith("<- 14 bytes ok value=100 | AA 55 0E 00 01 00 04 00 64 00")
    assert lines[2].startswith("-> getFrequency 55 AA 17 00")
    assert lines[3].startswith("<- 14 bytes ok value=0 |")
    assert lines[5].startswith('<- 42 bytes ok text="KIVRA-SHUTTER" |')
    assert lines[6] == "-> setShutterMode 55 AA 02 00 04 00 09 00 00 00 5A AA"
    assert lines[7].startswith("<- 14 bytes the controller refused the request (-5) |")
    # The frame builder's own debug line stays as it is, beside the trace.
    assert "DataLen > 0, but pData == nullptr" in lines
    assert "-> sendDebugData code=5 (nothing sent: data missing)" in lines
    assert lines[-1] == f"<- timeout: no reply within {28 * STRETCH} ms (-2)"


@pytest.mark.parametrize("trace", [None, "0", ""])
def test_off_writes_only_the_debug_line(sim, trace) -> None:
    out = traced(sim().name, trace)
    assert out.stderr.splitlines() == ["DataLen > 0, but pData == nullptr"]


# (simulator options, the reply line's start)
FAULTS = [
    (["--silent"], f"<- timeout: no reply within {30 * STRETCH} ms (-2)"),
    (["--corrupt", "check"], "<- 14 bytes reply check word wrong (-6) |"),
    (["--corrupt", "start"], "<- 14 bytes reply start word wrong (-3) |"),
    (["--chunk", "5", "--chunk-gap", str(40 * STRETCH)],
     f"<- 5 bytes, timeout: 5 of 14 within {30 * STRETCH} ms (-2) |"),
]


@pytest.mark.parametrize("options,reply", FAULTS)
def test_faults_traced(sim, options, reply) -> None:
    out = traced(sim(*options).name, "1")
    assert out.stderr.splitlines()[1].startswith(reply)


def test_stale_bytes_reported(sim) -> None:
    # Late replies (50 ms after a 30 ms budget) are waiting when the next
    # request goes out.
    out = traced(sim("--delay", str(50 * STRETCH)).name, "1", str(0.1 * STRETCH))
    lines = out.stderr.splitlines()
    assert lines[1] == f"<- timeout: no reply within {30 * STRETCH} ms (-2)"
    assert lines[2] == "-- discarding 14 stale bytes"
    assert lines[3].startswith("-> getFrequency")
