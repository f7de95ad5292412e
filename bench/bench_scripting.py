#!/usr/bin/python3
"""Cost of scripting the shutter, against a line-rate simulated controller.

Prints the median of one Python property read against one raw ctypes call,
and the wall time of a one-shot `kivra get PORT on-time` process against the
exchange itself. Run by hand: bench/bench_scripting.py [BUILD_DIR]
"""

from __future__ import annotations

import os
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROUNDS = 300
PROCESS_ROUNDS = 40


def median_ms(samples: list[float]) -> float:
    return statistics.median(samples) * 1000


def timed(call, rounds: int) -> list[float]:
    samples = []
    for _ in range(rounds):
        start = time.perf_counter()
        call()
        samples.append(time.perf_counter() - start)
    return samples


def main() -> None:
    root = Path(__file__).resolve().parents[1]
    build = Path(sys.argv[1] if len(sys.argv) > 1 else root / "build").resolve()
    port_dir = tempfile.mkdtemp(prefix="kivra-bench-")
    os.environ["KIVRA_PORT_DIR"] = port_dir
    os.environ.setdefault("KIVRA_LIBRARY", str(build / "library" / "libKivraLibrary.so"))
    sys.path.insert(0, str(build / "python" / "package"))
    sim = subprocess.Popen([build / "simulator" / "kivra-sim", "--line-rate", "--name", "BENCH"],
                           stdout=subprocess.PIPE, text=True)
    try:
        sim.stdout.readline()
        import kivra
        from kivra import _library

        with kivra.Shutter("BENCH") as s:
            raw = _library.lib.getShutterOnTime
            handle = s.handle
            # Interleaved, so drift on a shared machine hits both alike.
            raw_samples, prop_samples = [], []
            for _ in range(ROUNDS):
                raw_samples += timed(lambda: raw(handle), 1)
                prop_samples += timed(lambda: s.on_time_ms, 1)
        raw_ms, prop_ms = median_ms(raw_samples), median_ms(prop_samples)
        print(f"raw ctypes getShutterOnTime  median {raw_ms:.3f} ms")
        print(f"Shutter.on_time_ms property  median {prop_ms:.3f} ms"
              f"  ratio {prop_ms / raw_ms:.3f} (goal <= 1.05)")

        # The package's own share, without the line: the same property over a
        # getter that returns at once, against that getter called bare.
        from kivra import shutter as module

        class Stub:
            getShutterOnTime = staticmethod(lambda handle: 100)
            setShutterOnTime = staticmethod(lambda handle, value: 0)

        real, module._lib = module._lib, Stub
        try:
            class Fake:
                handle = 1
                on_time_ms = module._param("on-time")
        finally:
            module._lib = real
        fake, bare = Fake(), Stub.getShutterOnTime
        n = 100000
        start = time.perf_counter()
        for _ in range(n):
            fake.on_time_ms
        wrapped = (time.perf_counter() - start) / n
        start = time.perf_counter()
        for _ in range(n):
            bare(1)
        plain = (time.perf_counter() - start) / n
        print(f"package overhead per read    {(wrapped - plain) * 1e6:.2f} us"
              f" = {(wrapped - plain) * 1000 / raw_ms * 100:.2f} % of the exchange")

        kivra_tool = str(build / "cli" / "kivra")
        empty = timed(lambda: subprocess.run(["/bin/true"], check=True), PROCESS_ROUNDS)
        version = timed(lambda: subprocess.run([kivra_tool, "--version"], check=True,
                                               stdout=subprocess.DEVNULL), PROCESS_ROUNDS)
        one_shot = timed(lambda: subprocess.run([kivra_tool, "get", "BENCH", "on-time"],
                                                check=True, stdout=subprocess.DEVNULL),
                         PROCESS_ROUNDS)
        shot_ms = median_ms(one_shot)
        print(f"/bin/true process            median {median_ms(empty):.2f} ms"
              " (start and exit of any process)")
        print(f"kivra --version process      median {median_ms(version):.2f} ms"
              " (loading the tool, the library and Qt Core; no exchange)")
        print(f"kivra get BENCH on-time      median {shot_ms:.2f} ms, beyond the exchange "
              f"{shot_ms - raw_ms:.2f} ms (goal < 20)")
    finally:
        sim.terminate()
        sim.wait()


if __name__ == "__main__":
    main()
