"""Drives zorkMIX.exe under Wine on an Xvfb of our own: real input through xdotool,
window state through zorkprobe.exe running in the same Wine prefix, screenshots through ImageMagick."""
import ctypes
import json
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time

import controls
from controls import GENERATE, PASSWD

MAIN_TITLE = "zorkMIX"
ABOUT_TITLE = "O aplikaci"
IMAGE = "zorkMIX.exe"
SCREEN = "1024x768"


class Timeout(AssertionError):
    pass


def wait_for(condition, what, timeout=10.0, last=None):
    """Polls condition() until it returns something true; fails after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            detail = f"; last seen: {last()}" if last else ""
            raise Timeout(f"timed out after {timeout:.0f} s waiting for {what}{detail}")
        time.sleep(0.02)


def _die_with_parent():
    """Ends a helper with the test run, even when the run itself is killed (a ctest timeout)."""
    ctypes.CDLL(None).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def start_xvfb(stderr):
    """An Xvfb on the first free display, ended with us; returns it and its DISPLAY."""
    read, write = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write), "-screen", "0", SCREEN + "x24", "-nolisten", "tcp"],
        pass_fds=(write,), preexec_fn=_die_with_parent, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
        stderr=stderr)
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


def unix_to_windows(path):
    """The name Wine gives a Unix path through its Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


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
        self.xvfb = self.probe_proc = self.sock = None
        try:
            self._start_xvfb()
            # A server left from a run on another display would hand us its desktop.
            self.stop_wine()
            if desktop:
                self.spawn(["explorer", f"/desktop={desktop},{SCREEN}"], "desktop")
            self._start_probe()
        except BaseException:
            self.close()
            raise

    def _start_xvfb(self):
        self.xvfb, self.env["DISPLAY"] = start_xvfb(self.log("xvfb"))

    def _start_probe(self):
        listener = socket.socket()
        listener.bind(("127.0.0.1", 0))
        listener.listen(1)
        listener.settimeout(0.5)
        args = [self.probe_exe] + (["--desktop", self.desktop] if self.desktop else [])
        args += ["serve", str(listener.getsockname()[1])]
        self.probe_proc = self.spawn(args, "probe")
        deadline = time.monotonic() + 180  # a new prefix takes a while to set up
        try:
            while not self.sock:
                try:
                    self.sock, _ = listener.accept()
                except socket.timeout:
                    ended, late = self.probe_proc.poll() is not None, time.monotonic() > deadline
                    # The probe ends when it cannot open the desktop, which may not be there yet.
                    if ended and self.desktop and not late:
                        self.probe_proc = self.spawn(args, "probe")
                    elif ended or late:
                        raise RuntimeError(f"the probe did not start; see {self.logdir}/probe.log")
        finally:
            listener.close()
        self.sock.settimeout(120)
        self.reader = self.sock.makefile("r", encoding="utf-8", newline="\n")

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

    def probe(self, *args):
        self.sock.sendall(("\t".join(str(a) for a in args) + "\n").encode("utf-8"))
        line = self.reader.readline()
        if not line:
            raise RuntimeError("the probe has gone")
        return json.loads(line)

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True, timeout=20,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)

    def screenshot(self, window, path):
        """Saves what the screen shows of a top-level window (its rectangle is in screen coordinates)."""
        left, top, right, bottom = window.rect
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", "-crop",
                        f"{right - left}x{bottom - top}+{left}+{top}", "+repage", path], env=self.env, check=True,
                       timeout=60, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)

    def stop_wine(self):
        stop_wine(self.env)

    def close(self):
        if self.sock:
            try:
                self.sock.sendall(b"quit\n")
            except OSError:
                pass
            self.sock.close()
        for proc in self.spawned:
            try:
                proc.wait(timeout=10 if proc is self.probe_proc else 0)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
        if "DISPLAY" in self.env:
            self.stop_wine()
        if self.xvfb:
            self.xvfb.send_signal(signal.SIGTERM)
            self.xvfb.wait(timeout=10)
        for f in self.logs:
            f.close()


class Window:
    """A snapshot of one top-level window as the probe reported it."""

    def __init__(self, data):
        self.data = data
        self.children = data["children"]

    def __getitem__(self, key):
        return self.data[key]

    def __getattr__(self, name):
        try:
            return self.data[name]
        except KeyError:
            raise AttributeError(name)

    def child(self, id):
        return controls.child(self.data, id)

    def focus_id(self):
        return next((c["id"] for c in self.children if c["hwnd"] == self.data["focus"]), None)

    def text(self):
        return "\n".join(c["text"] or "" for c in self.children)

    def values(self):
        """Everything a user can see of the controls: text, check, enabled, visible."""
        return [(c["text"], c["check"], c["enabled"], c["visible"]) for c in self.children]


class App:
    """One running zorkMIX.exe. In a session's desktop, proc is the explorer that starts it there."""

    def __init__(self, session, exe, cwd=None, wait_main=True, env=None):
        self.s = session
        args = [exe]
        if session.desktop:
            args = ["explorer", f"/desktop={session.desktop},{SCREEN}", unix_to_windows(exe)]
        self.proc = session.spawn(args, "zorkMIX", cwd=cwd, env=env)
        if wait_main:
            self.wait_idle(self.wait(lambda: self.main(visible=True), "the main window"))

    # Reading

    def windows(self):
        return [Window(w) for w in self.s.probe("state", IMAGE)["windows"]]

    def main(self, visible=None):
        for w in self.windows():
            if w["class"] == "#32770" and any(c["id"] == GENERATE for c in w.children):
                if visible is None or w.visible == visible:
                    return w
        return None

    def about(self):
        return next((w for w in self.windows() if w.title == ABOUT_TITLE and w["class"] == "#32770"), None)

    def report(self):
        """The shown error report: a message box titled like the program."""
        return next((w for w in self.windows() if w.visible and w.title == MAIN_TITLE and w["class"] == "#32770"
                     and not any(c["id"] == GENERATE for c in w.children)), None)

    def password(self):
        return self.main().child(PASSWD)["text"]

    def wait(self, condition, what, timeout=10.0):
        return wait_for(condition, what, timeout, last=self.summary)

    def summary(self):
        """The shown windows in short, for failure messages."""
        return [{"title": w.title, "enabled": w.enabled, "foreground": w.foreground, "focus": w.focus_id(),
                 "controls": [(c["id"], (c["text"] or "")[:40], c["check"], c["enabled"], c["visible"])
                              for c in w.children]}
                for w in self.windows() if w.visible]

    def wait_idle(self, window, timeout=10.0):
        wait_for(lambda: self.s.probe("idle", window.hwnd)["idle"], f"window {window.title!r} idle", timeout)
        return window

    def wait_exit(self, timeout=10.0):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Timeout(f"the program did not end within {timeout:.0f} s")

    # Input

    def click(self, control, from_left=None):
        """A real click at the control's middle, or from_left pixels from its left edge."""
        left, top, right, bottom = control["rect"]
        x, y = (left + right) // 2 - 3 if from_left is None else left + from_left, (top + bottom) // 2
        # Two clicks on one spot in quick succession make a double click, which an edit box or a
        # label takes differently; a few pixels aside is a click of its own.
        last_x, last_y, last_t = self.s.last_click
        if abs(x - last_x) <= 2 and abs(y - last_y) <= 2 and time.monotonic() - last_t < 1.0:
            x += 6
        self.s.last_click = (x, y, time.monotonic())
        self.s.xdotool("mousemove", x, y, "click", "1")

    def keys(self, window, *keys):
        """Real key presses into the X window of a top-level window."""
        self.s.xdotool("windowfocus", "--sync", window.xid)
        if keys:
            self.s.xdotool("key", "--delay", "20", *keys)

    def type_into(self, id, text):
        """Replaces the text of a text box of the main window as a user would."""
        main = self.main()
        self.keys(main)  # keyboard focus to the window first
        self.click(main.child(id))
        self.wait(lambda: self.main().focus_id() == id, f"focus in control {controls.NAMES[id]}")
        names = {"-": "minus", ".": "period", " ": "space"}
        self.s.xdotool("key", "--delay", "20", "End", "shift+Home", "BackSpace", *[names.get(c, c) for c in text])
        self.wait(lambda: self.main().child(id)["text"] == text, f"text {text!r} in control {controls.NAMES[id]}")

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()


def copy_exe(exe, folder, specchar):
    """A copy of the exe alone in a folder, with SpecChar.txt holding specchar (bytes) or none."""
    shutil.copy2(exe, os.path.join(folder, os.path.basename(exe)))
    if specchar is not None:
        with open(os.path.join(folder, "SpecChar.txt"), "wb") as f:
            f.write(specchar)
    return os.path.join(folder, os.path.basename(exe))
