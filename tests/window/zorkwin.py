"""What only Linux has: an Xvfb of our own, the Wine prefix's server and its processes, and real
input through xdotool. The window tests drive zorkMIX.exe with it; the probe's client
(probeclient.py) reads the windows.

WINEPREFIX=... python3 zorkwin.py COMMAND ARGS... runs a command on an Xvfb of its own, for a Wine
prefix of its own, whose server is stopped before (one left from another display would hand over
its desktop) and after (Wine keeps it running); it exits with the command's status.
"""
import ctypes
import os
import signal
import subprocess
import sys
import tempfile
import time

from controls import NAMES
from probeclient import Probe, Program, stop, windows_path

SCREEN = "1024x768"


def start_xvfb(stderr):
    """An Xvfb on the first free display, ended with us; returns it and its DISPLAY."""
    read, write = os.pipe()
    # PR_SET_PDEATHSIG: Xvfb ends with the test run, even when the run itself is killed (a ctest timeout).
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write), "-screen", "0", SCREEN + "x24", "-nolisten", "tcp"],
        pass_fds=(write,), preexec_fn=lambda: ctypes.CDLL(None).prctl(1, signal.SIGKILL), stdin=subprocess.DEVNULL,
        stdout=subprocess.DEVNULL, stderr=stderr)
    os.close(write)
    with os.fdopen(read) as f:
        number = f.readline().strip()
    if not number:
        xvfb.kill()
        raise RuntimeError("Xvfb did not start")
    return xvfb, ":" + number


def stop_wine(env):
    """Stops the Wine server of env's prefix and waits until it has gone."""
    for flag in ("-k", "-w"):
        subprocess.run(["wineserver", flag], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)


class Session:
    """One Xvfb, the Wine prefix's server and one probe process for a whole test run.
    With desktop (a name) the programs run inside a Wine desktop filling the screen, where Wine
    draws the windows' title bars; without one there is no window manager to draw them."""

    def __init__(self, wine, prefix, probe, logdir=None, desktop=None):
        self.wine, self.probe_exe = os.path.abspath(wine), os.path.abspath(probe)
        self.desktop = desktop
        self.logdir = logdir or tempfile.mkdtemp(prefix="zorkwin-")
        self.logs, self.spawned = [], []
        self.last_click = (-100, -100, 0.0)
        self.env = dict(os.environ, WINEPREFIX=os.path.abspath(prefix), WINEDEBUG="-all")
        self.env.pop("DISPLAY", None)
        self.xvfb = self.probe = None
        try:
            self.xvfb, self.env["DISPLAY"] = start_xvfb(self.log("xvfb"))
            # A server left from a run on another display would hand us its desktop.
            stop_wine(self.env)
            if desktop:
                self.spawn(["explorer", f"/desktop={desktop},{SCREEN}"], "desktop")
            args = [self.probe_exe] + (["--desktop", desktop] if desktop else [])
            self.probe = Probe(lambda a: self.spawn(a, "probe"), args, retry=bool(desktop),
                               log=f"{self.logdir}/probe.log")
        except BaseException:
            self.close()
            raise

    def spawn(self, args, log, cwd=None, env=None):
        """Starts a Windows program; its streams never touch our pipes (Wine daemons would inherit them)."""
        proc = subprocess.Popen([self.wine] + list(args), cwd=cwd, env=dict(self.env, **(env or {})),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=self.log(log))
        self.spawned.append(proc)
        return proc

    def log(self, name):
        f = open(os.path.join(self.logdir, name + ".log"), "ab")
        self.logs.append(f)
        return f

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True, timeout=20,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)

    def close(self):
        if self.probe:
            self.probe.close()
        for proc in self.spawned:
            stop(proc)
        if "DISPLAY" in self.env:
            stop_wine(self.env)
        if self.xvfb:
            self.xvfb.send_signal(signal.SIGTERM)
            self.xvfb.wait(timeout=10)
        for f in self.logs:
            f.close()


class App(Program):
    """One running zorkMIX.exe, started in the session and driven by real input."""

    def __init__(self, session, exe, cwd=None, env=None):
        self.s = session
        args = [exe]
        if session.desktop:
            args = ["explorer", f"/desktop={session.desktop},{SCREEN}", windows_path(exe, True)]
        super().__init__(session.probe, session.spawn(args, "zorkMIX", cwd=cwd, env=env))
        self.wait_main()

    def click(self, control, from_left=None, button=1):
        """A real click at the control's middle, or from_left pixels from its left edge."""
        left, top, right, bottom = control["rect"]
        x, y = (left + right) // 2 - 3 if from_left is None else left + from_left, (top + bottom) // 2
        # Two clicks on one spot in quick succession make a double click, which an edit box or a
        # label takes differently; a few pixels aside is a click of its own.
        last_x, last_y, last_t = self.s.last_click
        if abs(x - last_x) <= 2 and abs(y - last_y) <= 2 and time.monotonic() - last_t < 1.0:
            x += 6
        self.s.last_click = (x, y, time.monotonic())
        self.s.xdotool("mousemove", x, y, "click", button)

    def press(self, window, control, how="mouse"):
        """Presses a button of the window: a click on it ("mouse"), or the keys how."""
        if how == "mouse":
            self.click(window.child(control))
        else:
            self.keys(window, how)

    def keys(self, window, *keys):
        """Real key presses into the X window of a top-level window."""
        self.s.xdotool("windowfocus", "--sync", window.xid)
        if keys:
            self.s.xdotool("key", "--delay", "20", *keys)

    def select_text(self, control_id):
        """Selects the whole text of a text box of the main window as a user would."""
        main = self.main()
        self.keys(main)  # keyboard focus to the window first
        self.click(main.child(control_id))
        self.wait(lambda: self.main().focus_id() == control_id, f"focus in control {NAMES[control_id]}")
        self.s.xdotool("key", "--delay", "20", "End", "shift+Home")

    def type_into(self, control_id, text):
        """Replaces the text of a text box of the main window as a user would."""
        self.select_text(control_id)
        names = {"-": "minus", ".": "period", " ": "space"}
        self.s.xdotool("key", "--delay", "20", "BackSpace", *[names.get(c, c) for c in text])
        name = NAMES[control_id]
        self.wait(lambda: self.main().child(control_id)["text"] == text, f"text {text!r} in control {name}")


def on_xvfb(command):
    if not os.environ.get("WINEPREFIX"):
        sys.exit("zorkwin: WINEPREFIX must name the Wine prefix")
    xvfb, display = start_xvfb(subprocess.DEVNULL)
    env = dict(os.environ, DISPLAY=display)
    try:
        stop_wine(env)
        return subprocess.run(command, env=env, stdin=subprocess.DEVNULL).returncode
    finally:
        stop_wine(env)
        xvfb.terminate()
        xvfb.wait(timeout=10)


if __name__ == "__main__":
    sys.exit(on_xvfb(sys.argv[1:]))
