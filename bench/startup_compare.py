"""Start-up of two builds of zorkMIX.exe side by side under Wine; prints medians, never fails on time.
Each run alternates the two exes start by start, and every second run starts the other one first,
so that neither a busier moment nor the order favours one of them.

python3 startup_compare.py BUILD_DIR BEFORE_EXE AFTER_EXE   (BUILD_DIR holds bench/zorkbenchprobe.exe
                                                            and wineprefix; each exe with its SpecChar.txt)
"""
import os
import statistics
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "window"))
from probeclient import MAIN_TITLE, windows_path  # noqa: E402
from zorkwin import Session  # noqa: E402

RUNS, ROUNDS = 6, 21


def main():
    build, before_exe, after_exe = sys.argv[1:4]
    session = Session(os.path.join(HERE, "..", "scripts", "wine.sh"), os.path.join(build, "wineprefix"),
                      os.path.join(build, "bench", "zorkbenchprobe.exe"))
    before, after = [], []
    try:
        for run in range(RUNS):
            exes = [before_exe, after_exe] if run % 2 == 0 else [after_exe, before_exe]
            args = [a for exe in exes for a in (windows_path(exe, True), MAIN_TITLE)]
            times = session.probe("launch-timed", ROUNDS, *args)["times"]
            b, a = times if run % 2 == 0 else reversed(times)
            before += b
            after += a
            print(f"run {run + 1}: before {statistics.median(b):.1f} ms, after {statistics.median(a):.1f} ms")
    finally:
        session.close()
    b, a = statistics.median(before), statistics.median(after)
    print(f"all {len(before)} starts each: before {b:.1f} ms, after {a:.1f} ms ({(a / b - 1) * 100:+.1f} %)")


if __name__ == "__main__":
    main()
