"""Shows zorkMIX.exe on an Xvfb of its own, inside a Wine desktop so that the window has its title
bar, and saves screenshots of the main window: in Czech as it starts, and in English after the
pointer has passed over every control and clicked "EN"; then as Windows shows it moved to a monitor
of another DPI (144, or 96 on a 144-dpi system) and back. Prints the paths of the files.

python3 run_session.py --exe build/win/zorkMIX.exe --probe build/win/tests/window/zorkprobe.exe \
    --wine scripts/wine.sh --prefix build/win/wineprefix --shots build/win/zorkMIX
writes build/win/zorkMIX.png, zorkMIX-en.png, zorkMIX-en-moved.png and zorkMIX-en-back.png there.
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
    paths = [shots + name for name in (".png", "-en.png", "-en-moved.png", "-en-back.png")]
    app = App(session, exe)  # returns with the main window shown and painted
    main = app.main()
    app.screenshot(main, paths[0])
    for control in main.children:
        if control["visible"]:
            left, top, right, bottom = control["rect"]
            session.xdotool("mousemove", (left + right) // 2, (top + bottom) // 2)
            app.wait_idle(main)
    app.click(main.child(EN))
    app.wait(lambda: app.main().child(CS)["visible"], "the English captions")
    app.screenshot(main, paths[1])
    # The client area is 440 pixels wide at 96 dpi.
    left, _, right, _ = main.client
    dpi = round(96 * (right - left) / 440)
    for there, path in [(96 if dpi == 144 else 144, paths[2]), (dpi, paths[3])]:
        session.probe("dpi-changed", main.hwnd, there)
        app.screenshot(app.main(), path)
    session.probe("close", main.hwnd)
    return paths


def main():
    parser = argparse.ArgumentParser()
    for name in ("--exe", "--probe", "--wine", "--prefix"):
        parser.add_argument(name, required=True)
    parser.add_argument("--shots", required=True, help="the screenshots are SHOTS.png, SHOTS-en.png, SHOTS-en-moved.png and SHOTS-en-back.png")
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
