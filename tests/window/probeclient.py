"""Reads and drives zorkMIX.exe through one zorkprobe.exe serving a connection, on Windows and
under Wine: the probe, the program's windows and controls, the clipboard, screenshots, and the
paths and folders the programs are started from. Standard library only: the Windows runner's
Python runs it as it is, beside native_checks.py."""
import contextlib
import json
import os
import shutil
import socket
import struct
import subprocess
import time
import zlib

from controls import GENERATE, NAMES, PASSWD

MAIN_TITLE = "zorkMIX"
ABOUT_TITLE = "O aplikaci"
IMAGE = "zorkMIX.exe"
PRIVATE_FORMATS = ("ExcludeClipboardContentFromMonitorProcessing", "CanIncludeInClipboardHistory",
                   "CanUploadToCloudClipboard")


class Timeout(AssertionError):
    pass


class ProbeError(RuntimeError):
    pass


class Busy(ProbeError):
    """Another program holds the clipboard."""


def wait_for(condition, what, timeout=10.0, last=None):
    """Polls condition() until it returns something true; fails after timeout seconds. A busy
    clipboard is "not yet", as the program itself retries; the wait fails with it at the end."""
    deadline = time.monotonic() + timeout
    while True:
        busy = None
        try:
            value = condition()
        except Busy as e:
            value, busy = None, e
        if value:
            return value
        if time.monotonic() > deadline:
            detail = (f"; {busy}" if busy else "") + (f"; last seen: {last()}" if last else "")
            raise Timeout(f"timed out after {timeout:.0f} s waiting for {what}{detail}")
        time.sleep(0.02)


def windows_path(path, wine):
    """The path as the Windows programs see it: Wine shows the Unix tree as drive Z:."""
    path = os.path.abspath(path)
    return "Z:" + path.replace("/", "\\") if wine else path


def stop(proc, grace=0.0):
    """Gives the process grace seconds to end, then kills it."""
    try:
        proc.wait(timeout=grace)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def copy_exe(exe, folder, specchar=None, also=()):
    """A copy of the exe in folder, with SpecChar.txt holding specchar (bytes) or none, and copies
    of the files also; returns the copy's path."""
    os.makedirs(folder, exist_ok=True)
    for path in (exe,) + tuple(also):
        shutil.copy2(path, folder)
    if specchar is not None:
        with open(os.path.join(folder, "SpecChar.txt"), "wb") as f:
            f.write(specchar)
    return os.path.join(folder, os.path.basename(exe))


class Probe:
    """One zorkprobe.exe answering commands over a connection to 127.0.0.1. spawn(args) starts a
    Windows program and returns its Popen; with retry, a probe that ends early is started again
    (on a Wine desktop that is not there yet)."""

    def __init__(self, spawn, args, retry=False, log="its log"):
        listener = socket.create_server(("127.0.0.1", 0), backlog=1)
        listener.settimeout(0.5)
        args = list(args) + ["serve", str(listener.getsockname()[1])]
        self.proc, self.sock = spawn(args), None
        deadline = time.monotonic() + 180  # a new Wine prefix takes a while to set up
        try:
            while not self.sock:
                try:
                    self.sock, _ = listener.accept()
                except socket.timeout:
                    ended, late = self.proc.poll() is not None, time.monotonic() > deadline
                    if ended and retry and not late:
                        self.proc = spawn(args)
                    elif ended or late:
                        raise ProbeError(f"the probe did not start; see {log}")
        finally:
            listener.close()
        self.sock.settimeout(120)
        self.reader = self.sock.makefile("r", encoding="utf-8", newline="\n")

    def __call__(self, *args):
        """Runs one command and returns its answer; a refusal raises ProbeError (Busy: the clipboard)."""
        self.sock.sendall(("\t".join(str(a) for a in args) + "\n").encode("utf-8"))
        line = self.reader.readline()
        if not line:
            raise ProbeError("the probe has gone")
        answer = json.loads(line)
        if "error" in answer:
            kind = Busy if answer["error"] == "clipboard busy" else ProbeError
            raise kind(f"the probe's {args[0]}: {answer['error']}")
        return answer

    def clipboard(self, timeout=10.0):
        return wait_for(lambda: self("clipboard"), "the clipboard", timeout)

    def clear_clipboard(self, timeout=10.0):
        wait_for(lambda: self("clear-clipboard")["ok"], "the clipboard emptied", timeout)

    def close(self):
        with contextlib.suppress(OSError):  # a probe that has gone
            self.sock.sendall(b"quit\n")
        self.sock.close()
        stop(self.proc, 10)


def private_clipboard(probe, text, timeout=30.0):
    """Waits for text on the clipboard, kept from clipboard monitors, history and the cloud
    clipboard; returns what the clipboard holds."""
    seen = [None]

    def arrived():
        seen[0] = probe("clipboard")
        return seen[0]["text"] == text and seen[0]
    board = wait_for(arrived, f"{text[:40]!r} on the clipboard", timeout,
                     last=lambda: seen[0] and {"text": (seen[0]["text"] or "")[:40], "formats": seen[0]["formats"]})
    missing = [f for f in PRIVATE_FORMATS if f not in board["formats"]]
    if missing:
        raise AssertionError(f"the clipboard lacks {', '.join(missing)}; it has {board['formats']}")
    for name in PRIVATE_FORMATS[1:]:
        if board["values"].get(name) != 0:
            raise AssertionError(f"{name} is {board['values'].get(name)}, not 0")
    return board


def write_png(path, width, height, bgr):
    """Writes pixels given as blue, green, red bytes, rows top first, as an 8-bit RGB PNG file."""
    rgb = bytearray(len(bgr))
    rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
    stride = width * 3
    rows = b"".join(b"\0" + rgb[y * stride:(y + 1) * stride] for y in range(height))  # filter 0 on each row

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8 bits a sample, truecolour
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9))
                + chunk(b"IEND", b""))


class Window(dict):
    """A snapshot of one top-level window as the probe reported it, its fields also as attributes."""

    def __getattr__(self, name):
        try:
            return self[name]
        except KeyError:
            raise AttributeError(name)

    def child(self, control_id):
        """The child control with this ID (controls.py names them)."""
        found = next((c for c in self.children if c["id"] == control_id), None)
        if found is None:
            raise LookupError(f"no control {NAMES.get(control_id, '?')} (ID {control_id}) in the window {self.title!r},"
                              f" whose controls have the IDs {[c['id'] for c in self.children]}")
        return found

    def focus_id(self):
        return next((c["id"] for c in self.children if c["hwnd"] == self.focus), None)

    def text(self):
        return "\n".join(c["text"] or "" for c in self.children)

    def values(self):
        """Everything a user can see of the controls: text, check, enabled, visible."""
        return [(c["text"], c["check"], c["enabled"], c["visible"]) for c in self.children]


class Program:
    """One running zorkMIX.exe, read through the probe. proc is the process started for it (in a
    Wine desktop, the explorer that starts it there)."""

    def __init__(self, probe, proc):
        self.probe, self.proc = probe, proc

    def windows(self):
        return [Window(w) for w in self.probe("state", IMAGE)["windows"]]

    def main(self, visible=None):
        return next((w for w in self.windows() if w["class"] == "#32770" and (visible is None or w.visible == visible)
                     and any(c["id"] == GENERATE for c in w.children)), None)

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

    def wait_main(self, timeout=30.0):
        """The main window, once shown and painted."""
        return self.wait_idle(self.wait(lambda: self.main(visible=True), "the main window", timeout))

    def summary(self):
        """The shown windows in short, for failure messages."""
        return [{"title": w.title, "enabled": w.enabled, "foreground": w.foreground, "focus": w.focus_id(),
                 "controls": [(c["id"], (c["text"] or "")[:40], c["check"], c["enabled"], c["visible"])
                              for c in w.children]}
                for w in self.windows() if w.visible]

    def wait_idle(self, window, timeout=10.0):
        wait_for(lambda: self.probe("idle", window.hwnd)["idle"], f"window {window.title!r} idle", timeout)
        return window

    def screenshot(self, window, path):
        """Saves a top-level window as the system draws it as a PNG file, once painted; returns its pixels."""
        self.wait_idle(window, 30)
        shot = self.probe("capture", window.hwnd)
        width, height, bgr = shot["width"], shot["height"], bytes.fromhex(shot["pixels"])
        if width <= 0 or height <= 0 or bgr == bgr[:3] * (width * height):
            name = os.path.basename(path)
            raise AssertionError(f"{name}: the capture of {width}x{height} pixels is empty (all one colour)")
        write_png(path, width, height, bgr)
        return bgr

    def wait_exit(self, timeout=10.0):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Timeout(f"the program did not end within {timeout:.0f} s")

    def close(self):
        stop(self.proc)
