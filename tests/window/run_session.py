"""Shows zorkMIX.exe on an Xvfb of its own, inside a Wine desktop so that the window has its title
bar, and saves two screenshots of the main window: in Czech as it starts, and in English after the
pointer has passed over every control and clicked "EN". Prints the paths of the two files.

python3 run_session.py --exe build/win/zorkMIX.exe --probe build/win/tests/window/zorkprobe.exe \
    --wine scripts/wine.sh --prefix build/win/wineprefix --shots build/win/zorkMIX
writes build/win/zorkMIX.png and build/win/zorkMIX-en.png.
"""
import argparse
import shutil
import signal
import subprocess
import sys
import tempfile

from controls import CS, EN
from zorkwin import App, Session

DESKTOP = "zork"


def show(session, exe, shots):
    """Runs the program through the screenshots and closes it; returns the screenshots' paths."""
    czech, english = shots + ".png", shots + "-en.png"
    app = App(session, exe)  # returns with the main window shown and painted
    main = app.main()
    session.screenshot(main, czech)
    for control in main.children:
        if control["visible"]:
            left, top, right, bottom = control["rect"]
            session.xdotool("mousemove", (left + right) // 2, (top + bottom) // 2)
            app.wait_idle(main)
    app.click(main.child(EN))
    app.wait(lambda: app.main().child(CS)["visible"], "the English captions")
    app.wait_idle(main)
    session.screenshot(main, english)
    session.probe("close", main.hwnd)
    return czech, english


def main():
    parser = argparse.ArgumentParser()
    for name in ("--exe", "--probe", "--wine", "--prefix"):
        parser.add_argument(name, required=True)
    parser.add_argument("--shots", required=True, help="the screenshots are SHOTS.png and SHOTS-en.png")
    args = parser.parse_args()
    # A plain kill still ends Wine and Xvfb through the clean-up below.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("run: stopped"))
    logdir = tempfile.mkdtemp(prefix="zorkMIX-run-")
    session = None
    try:
        session = Session(args.wine, args.prefix, args.probe, logdir=logdir, desktop=DESKTOP)
        paths = show(session, args.exe, args.shots)
    except (AssertionError, RuntimeError, OSError, subprocess.SubprocessError) as e:
        sys.exit(f"run: {e}\nrun: the logs of Xvfb, Wine and the probe are in {logdir}")
    finally:
        if session:
            session.close()
    shutil.rmtree(logdir)
    print(*paths, sep="\n")


if __name__ == "__main__":
    main()
