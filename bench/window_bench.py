"""Window benchmarks of zorkMIX.exe under Wine on an Xvfb of our own; prints medians, never fails on time.

python3 window_bench.py BUILD_DIR   (BUILD_DIR holds zorkMIX.exe, bench/zorkbenchprobe.exe, wineprefix)
"""
import os
import re
import statistics
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "window"))
from controls import BOTH, DIGITS, LETTERS, MAXIMUM, MINIMUM, SPECIAL  # noqa: E402
from probeclient import IMAGE, MAIN_TITLE, windows_path  # noqa: E402
from zorkwin import App, Session  # noqa: E402

GENERATE_CLICKS = 25
START_ROUNDS = 21


def generate_bench(session, exe):
    app = App(session, exe)
    try:
        app.type_into(MINIMUM, "32767")
        app.type_into(MAXIMUM, "32767")
        for index in (BOTH, SPECIAL):  # letters and digits are checked from the start
            app.click(app.main().child(index))
            app.wait(lambda: app.main().child(index)["check"] == 1, f"control {index} checked")
        checks = [app.main().child(i)["check"] for i in (LETTERS, BOTH, DIGITS, SPECIAL)]
        assert checks == [1, 1, 1, 1], checks
        result = session.probe("click-generate-timed", GENERATE_CLICKS, IMAGE)
        assert result["length"] == 32767, result["length"]
        return result["times"], result["click_times"]
    finally:
        app.close()


def start_bench(session, exe):
    notepad = "C:\\windows\\system32\\notepad.exe"
    # One round more than measured: the first start of each program fills caches.
    result = session.probe("launch-timed", START_ROUNDS + 1, windows_path(exe, True), MAIN_TITLE, notepad,
                           "Untitled - Notepad")
    ours, theirs = (times[1:] for times in result["times"])
    if min(ours) < 0 or min(theirs) < 0:
        raise RuntimeError(f"a start failed: {result['times']}")
    return ours, theirs


def imports(exe):
    # objdump reads both architectures' PE files, where the MinGW ones read only their own.
    dump = subprocess.run(["objdump", "-p", exe], check=True, capture_output=True, text=True)
    return re.findall(r"DLL Name: (\S+)", dump.stdout)


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build/win")
    exe = os.path.join(build, "zorkMIX.exe")
    root = os.path.join(HERE, "..")
    session = Session(os.path.join(root, "scripts", "wine.sh"), os.path.join(build, "wineprefix"),
                      os.path.join(build, "bench", "zorkbenchprobe.exe"))
    try:
        times, click_times = generate_bench(session, exe)
        print(f"generate 32767 characters, all pools: median {statistics.median(times):.1f} ms over {len(times)} "
              f"clicks (min {min(times):.1f}, max {max(times):.1f}; target <= 20 ms); of that the click "
              f"handler {statistics.median(click_times):.1f} ms, reading the text back the rest")
        ours, theirs = start_bench(session, exe)
        a, b = statistics.median(ours), statistics.median(theirs)
        print(f"start-up to window shown with its title and input idle: zorkMIX median {a:.1f} ms, notepad median {b:.1f} ms over "
              f"{len(ours)} runs each; ratio {a / b:.2f}x (target <= 1.1x)")
    finally:
        session.close()
    print(f"zorkMIX.exe size: {os.path.getsize(exe)} bytes ({os.path.getsize(exe) / 1024:.1f} KB; target <= 200 KB)")
    print("imported DLLs: " + ", ".join(imports(exe)))


if __name__ == "__main__":
    main()
