"""Speed of the Python module beside the runner's (not a test: nothing is asserted).

    PYTHONPATH=build/release/python python3 bench/python_bench.py [build/release/src/cli/vellmor-cli]

Prints the time of vellmor.run() of the default case (the best of 5 rounds of 200 calls), and
the cases per second of a 3000-case sweep from Python and from `vellmor-cli sweep`, each the
best of 3, on every core."""

import os
import subprocess
import sys
import tempfile
import time
import timeit

import vellmor

CLI = sys.argv[1] if len(sys.argv) > 1 else "build/release/src/cli/vellmor-cli"
VARY = "take-up-speed=3000:5999:1"  # 3000 cases


def best(seconds):
    return min(seconds)


def main():
    calls = 200
    rounds = timeit.repeat(lambda: vellmor.run(), number=calls, repeat=5)
    print(f"vellmor.run(), default case: {best(rounds) / calls * 1e3:.3f} ms per call")
    frames = timeit.repeat(lambda: vellmor.run().to_pandas(), number=50, repeat=3)
    print(f"  with .to_pandas(): {best(frames) / 50 * 1e3:.3f} ms per call")

    jobs = len(os.sched_getaffinity(0))
    python = []
    for _ in range(3):
        start = time.perf_counter()
        frame = vellmor.sweep(vary={"take_up_speed": "3000:5999:1"}, jobs=jobs)
        python.append(time.perf_counter() - start)
    assert len(frame) == 3000
    runner = []
    with tempfile.TemporaryDirectory() as scratch:
        summary = os.path.join(scratch, "summary.csv")
        for _ in range(3):
            start = time.perf_counter()
            subprocess.run([CLI, "sweep", "--vary", VARY, "--jobs", str(jobs), "--quiet",
                            "--summary", summary], check=True)
            runner.append(time.perf_counter() - start)
    print(f"3000-case sweep on {jobs} cores: Python {3000 / best(python):.0f} cases/s "
          f"(DataFrame included), vellmor-cli sweep {3000 / best(runner):.0f} cases/s")


if __name__ == "__main__":
    main()
