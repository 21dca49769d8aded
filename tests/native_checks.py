"""The checks CI runs on Windows itself, run the same way here under Wine: the unit tests, the
in-process form checks, the accessible names through the system's property service, the DLL
search, the exit codes of the start-up errors, one Generate, copy and close, and screenshots of
the windows as the system draws them.

Everything it runs lies beside it (CI's artifact; build/win/windows-checks here):
    python native_checks.py --results DIR                                on Windows
    python3 native_checks.py --launcher scripts/wine.sh --results DIR    under Wine (WINEPREFIX, DISPLAY set)
The launcher is the only difference. DIR receives each test program's XML results and output,
and the screenshots main-cs.png, main-en.png (the main window in Czech and in English) and
about.png.
Prints one line per check (passed, failed, or skipped with the reason) and fails on any failure or
when no test ran. Standard library only (with controls.py and zorkwin.py of the window tests and
the ControlIds.h they read, copied beside it): the Windows runner's Python runs it as it is.
"""
import argparse
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET
import zlib

from controls import ABOUT, EN, GENERATE, PASSWD, child  # beside it, from tests/window
from zorkwin import ABOUT_TITLE, Timeout, wait_for

HERE = os.path.dirname(os.path.abspath(__file__))
EXE = "zorkMIX.exe"
TITLE = "zorkMIX"
ACCESSIBLE_NAMES = "Windows.NameTheTextBoxesForScreenReaders"
SCREENSHOTS = ("main-cs.png", "main-en.png", "about.png")
PRIVATE_FORMATS = ("ExcludeClipboardContentFromMonitorProcessing", "CanIncludeInClipboardHistory",
                   "CanUploadToCloudClipboard")


class Failed(Exception):
    pass


class Skipped(Exception):
    pass


def test_cases(xml_path, name, code):
    """(full name, outcome, message) of each test in a GoogleTest XML file; outcome is
    passed, failed or skipped."""
    try:
        root = ET.parse(xml_path).getroot()
    except FileNotFoundError:
        raise Failed(f"{name} ended with exit code {code} and wrote no XML results (a crash?)")
    except ET.ParseError as e:
        raise Failed(f"{name} ended with exit code {code} and wrote garbled XML results ({e})")
    cases = []
    for case in root.iter("testcase"):
        if case.get("status") != "run":
            continue
        full = f"{case.get('classname')}.{case.get('name')}"
        failure, skipped = case.find("failure"), case.find("skipped")
        if failure is not None:
            cases.append((full, "failed", failure.get("message", "")))
        elif skipped is not None or case.get("result") == "skipped":
            cases.append((full, "skipped", skipped.get("message", "") if skipped is not None else ""))
        else:
            cases.append((full, "passed", ""))
    return cases


def reason(message):
    """A GoogleTest message in one line, without the file:line it starts with."""
    lines = [line.strip() for line in message.strip().splitlines() if line.strip()]
    if lines and re.fullmatch(r".+:\d+:?", lines[0]):
        lines = lines[1:]
    text = " | ".join(lines)
    return text if len(text) <= 300 else text[:300] + "..."


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


class Checks:
    def __init__(self, launcher, results):
        self.launcher = [os.path.abspath(launcher)] if launcher else []
        self.system = "Wine" if launcher else "Windows"
        self.results = os.path.abspath(results)
        os.makedirs(self.results, exist_ok=True)
        self.rows = []
        self.tests_run = 0
        self.temp = tempfile.mkdtemp(prefix="zork checks ")  # a space in the path on purpose

    # Files and processes

    def beside(self, name):
        path = os.path.join(HERE, name)
        if not os.path.isfile(path):
            raise Failed(f"{name} is missing beside {os.path.basename(__file__)}")
        return path

    def system_path(self, path):
        """The path as the Windows programs see it: Wine shows the Unix tree as drive Z:."""
        path = os.path.abspath(path)
        return "Z:" + path.replace("/", "\\") if self.launcher else path

    def folder_with_exe(self, name):
        folder = os.path.join(self.temp, name)
        os.makedirs(folder)
        shutil.copy2(self.beside(EXE), folder)
        return folder

    def start(self, folder):
        return subprocess.Popen(self.launcher + [os.path.join(folder, EXE)], cwd=folder, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def probe(self, *args):
        done = subprocess.run(self.launcher + [self.beside("zorkprobe.exe")] + [str(a) for a in args],
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=120)
        lines = done.stdout.decode("utf-8", "replace").strip().splitlines()
        try:
            answer = json.loads(lines[-1])
        except (IndexError, ValueError):
            raise Failed(f"the probe gave no answer to {args[0]} (exit code {done.returncode})")
        if "error" in answer:
            raise Failed(f"the probe's {args[0]}: {answer['error']}")
        return answer

    def shown(self, report):
        """The shown main window (report=False) or error report (True) of the running program."""
        for w in self.probe("state", EXE)["windows"]:
            is_main = any(c["id"] == GENERATE for c in w["children"])
            if w["visible"] and w["class"] == "#32770" and is_main != report and (is_main or w["title"] == TITLE):
                return w
        return None

    def exit_code(self, proc, expected):
        try:
            code = proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            raise Failed("the program did not end within 30 s")
        if code != expected:
            raise Failed(f"exit code {code}, expected {expected}")
        return code

    # Running one check

    def check(self, name, run):
        try:
            status, detail = "passed", run() or ""
        except Skipped as e:
            status, detail = "skipped", str(e)
        except (Failed, AssertionError) as e:  # AssertionError: a wait that timed out
            status, detail = "failed", str(e)
        except Exception as e:  # a check that breaks is a failed check, and the others still run
            status, detail = "failed", f"{type(e).__name__}: {e}"
        self.rows.append((name, status, detail))
        print(f"{status:8} {name}: {detail}", flush=True)

    def app_check(self, run):
        """run(folder, start) in a folder of its own; the program it starts is killed if left running."""
        started = []

        def start(folder):
            started.append(self.start(folder))
            return started[-1]

        def wrapped():
            try:
                return run(start)
            finally:
                for proc in started:
                    if proc.poll() is None:
                        proc.kill()
                        proc.wait()
        return wrapped

    # The checks

    def gtest(self, name):
        """Runs NAME.exe; returns its test cases. Fails on a failed test, a crash or no test run."""
        exe = self.beside(name + ".exe")
        xml_path, log = (os.path.join(self.results, name + ext) for ext in (".xml", ".log"))
        if os.path.exists(xml_path):
            os.remove(xml_path)
        with open(log, "wb") as out:
            try:
                code = subprocess.run(self.launcher + [exe, "--gtest_output=xml:" + self.system_path(xml_path)],
                                      cwd=HERE, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                      timeout=600).returncode
            except subprocess.TimeoutExpired:
                raise Failed(f"{name} did not end within 600 s; its output: {log}")
        cases = test_cases(xml_path, name, code)
        failed = [f"{full}: {reason(message)}" for full, outcome, message in cases if outcome == "failed"]
        if failed:
            raise Failed(f"{name}: {len(failed)} failed: " + "; ".join(failed))
        if code != 0:
            raise Failed(f"{name} ended with exit code {code} (a crash?); its output: {log}")
        ran = [c for c in cases if c[1] == "passed"]
        if not ran:
            raise Failed(f"{name} ran no test")
        self.tests_run += len(ran)
        skipped = [f"{full} ({reason(message)})" for full, outcome, message in cases if outcome == "skipped"]
        return cases, f"{len(ran)} passed" + (f", {len(skipped)} skipped: " + "; ".join(skipped) if skipped else "")

    def accessible_names(self, formcheck_cases):
        outcome = {full: (o, message) for full, o, message in formcheck_cases}
        if ACCESSIBLE_NAMES not in outcome:
            raise Failed(f"formcheck has no test {ACCESSIBLE_NAMES}")
        result, message = outcome[ACCESSIBLE_NAMES]
        if result == "failed":
            raise Failed(reason(message))
        if result == "skipped":
            if self.system == "Windows":
                raise Failed(f"skipped on Windows, where the property service must answer: {reason(message)}")
            raise Skipped(f"{self.system}: {reason(message)}; on Windows it must run and pass")
        return "names read back through AccessibleObjectFromWindow in Czech and English"

    def dll_search(self, start):
        folder = self.folder_with_exe("dll search")
        with open(os.path.join(folder, "SpecChar.txt"), "wb") as f:
            f.write(b"#\r\n")
        shutil.copy2(self.beside("planted.dll"), folder)
        proc = start(folder)
        main = wait_for(lambda: self.shown(report=False), "the main window", 30)
        if self.probe("load-library", main["pid"], "planted.dll")["loaded"]:
            raise Failed("planted.dll beside the exe was loaded by its bare name")
        if not self.probe("load-library", main["pid"], self.system_path(os.path.join(folder, "planted.dll")))["loaded"]:
            raise Failed("planted.dll did not load even by its full path")
        self.probe("close", main["hwnd"])
        self.exit_code(proc, 0)
        return "not loaded by its bare name, loaded by its full path"

    def startup_error(self, how, number):
        def run(start):
            folder = self.folder_with_exe(f"start-up error {number}")
            specchar = os.path.join(folder, "SpecChar.txt")
            if how == "a folder":
                os.mkdir(specchar)
            elif how == "empty":
                open(specchar, "wb").close()
            proc = start(folder)
            report = wait_for(lambda: self.shown(report=True), "the error report", 30)
            text = "\n".join(c["text"] or "" for c in report["children"])
            if not re.search(rf"\b{number}\b", text):
                raise Failed(f"the report does not give the number {number}: {text!r}")
            self.probe("close", report["hwnd"])
            return f"report shown, exit code {self.exit_code(proc, number)}"
        return run

    def generate_copy_close(self, start):
        # The failing bcrypt.dll beside the exe must not be the one the program takes its random bytes from.
        folder = self.folder_with_exe("generate")
        shutil.copy2(self.beside("SpecChar.txt"), folder)
        shutil.copy2(self.beside("bcrypt.dll"), folder)
        proc = start(folder)
        main = wait_for(lambda: self.shown(report=False), "the main window", 30)
        box, generate = child(main, PASSWD), child(main, GENERATE)
        self.probe("clear-clipboard")

        def password():
            if self.shown(report=True):
                raise Failed("an error report instead of a password")
            main = self.shown(report=False)
            return main and child(main, PASSWD)["text"]
        # "If the dialog box is not active, the BM_CLICK message might fail", and a runner's console
        # may keep the foreground: then the button's WM_COMMAND is posted, which needs no activation.
        self.probe("click", generate["hwnd"])
        try:
            text, how = wait_for(password, "a password", 5), "BM_CLICK"
        except Timeout:
            self.probe("press", generate["hwnd"])
            text, how = wait_for(password, "a password", 30), "WM_COMMAND posted after BM_CLICK gave none in 5 s"
        if not 6 <= len(text) <= 10:
            raise Failed(f"a password of {len(text)} characters, not 6 to 10: {text!r}")
        if not self.probe("copy", box["hwnd"])["ok"]:
            raise Failed("the password box did not answer the copy")
        board = wait_for(lambda: (b := self.probe("clipboard"))["text"] == text and b, "the password on the clipboard", 30)
        missing = [f for f in PRIVATE_FORMATS if f not in board["formats"]]
        if missing:
            raise Failed(f"the clipboard lacks {', '.join(missing)}; it has {board['formats']}")
        for name in PRIVATE_FORMATS[1:]:
            if board["values"].get(name) != 0:
                raise Failed(f"{name} is {board['values'].get(name)}, not 0")
        self.probe("close", main["hwnd"])
        return (f"Generate by {how}: {len(text)} characters, copied with the three privacy formats, "
                f"exit code {self.exit_code(proc, 0)}")

    def save_window(self, window, name):
        """Saves the window as the system draws it, as NAME in the results folder; returns its pixels."""
        wait_for(lambda: self.probe("idle", window["hwnd"])["idle"], f"the window of {name} painted", 30)
        shot = self.probe("capture", window["hwnd"])
        width, height, bgr = shot["width"], shot["height"], bytes.fromhex(shot["pixels"])
        if width <= 0 or height <= 0 or bgr == bgr[:3] * (width * height):
            raise Failed(f"{name}: the capture of {width}x{height} pixels is empty (all one colour)")
        write_png(os.path.join(self.results, name), width, height, bgr)
        return bgr

    def screenshots(self, start):
        for name in SCREENSHOTS:  # none left from an earlier run passes for this one's
            if os.path.exists(os.path.join(self.results, name)):
                os.remove(os.path.join(self.results, name))
        folder = self.folder_with_exe("screenshots")
        shutil.copy2(self.beside("SpecChar.txt"), folder)
        proc = start(folder)
        main = wait_for(lambda: self.shown(report=False), "the main window", 30)
        czech = self.save_window(main, "main-cs.png")
        self.probe("press", child(main, EN)["hwnd"])

        def english():
            main = self.shown(report=False)
            return main and child(main, GENERATE)["text"] == "&Generate" and main
        main = wait_for(english, "the English captions", 30)
        if self.save_window(main, "main-en.png") == czech:
            raise Failed("main-en.png shows the same pixels as main-cs.png")
        self.probe("press", child(main, ABOUT)["hwnd"])
        about = wait_for(lambda: next((w for w in self.probe("state", EXE)["windows"]
                                       if w["visible"] and w["title"] == ABOUT_TITLE), None), "the About window", 30)
        self.save_window(about, "about.png")
        self.probe("close", about["hwnd"])
        self.probe("close", main["hwnd"])
        return f"{', '.join(SCREENSHOTS)} saved in {self.results}, exit code {self.exit_code(proc, 0)}"

    def run_all(self):
        formcheck = []

        def unit(name, keep=None):
            def run():
                cases, summary = self.gtest(name)
                if keep is not None:
                    keep.extend(cases)
                return summary
            return run

        self.check("unit tests unit_core", unit("unit_core"))
        self.check("unit tests unit_win", unit("unit_win"))
        self.check("form checks formcheck", unit("formcheck", formcheck))

        def names():
            if not formcheck:
                raise Failed("formcheck gave no results")
            return self.accessible_names(formcheck)
        self.check("accessible names through the property service", names)
        self.check("DLL search: planted.dll beside the exe", self.app_check(self.dll_search))
        for how, number in (("missing", 53), ("a folder", 75), ("empty", 62)):
            self.check(f"start-up error: SpecChar.txt {how}", self.app_check(self.startup_error(how, number)))
        self.check("Generate, copy and close", self.app_check(self.generate_copy_close))
        self.check("screenshots of the windows", self.app_check(self.screenshots))

    def report(self):
        counts = {s: sum(1 for row in self.rows if row[1] == s) for s in ("passed", "failed", "skipped")}
        lines = [f"Native checks on {self.system}:"]
        lines += [f"  {status:8} {name}" + (f" ({detail})" if detail else "") for name, status, detail in self.rows]
        lines.append(f"{counts['passed']} passed, {counts['failed']} failed, {counts['skipped']} skipped")
        text = "\n".join(lines)
        with open(os.path.join(self.results, "checks.txt"), "w", encoding="utf-8") as f:
            f.write(text + "\n")
        print(text)
        if self.tests_run == 0:
            print("native checks: no test ran")
            return 1
        return 1 if counts["failed"] else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--launcher", help="runs each Windows program (scripts/wine.sh); none on Windows")
    parser.add_argument("--results", required=True, help="folder for the XML results and the programs' output")
    args = parser.parse_args()
    # Test messages hold Czech text; a Windows console or pipe would take only its code page.
    sys.stdout.reconfigure(encoding="utf-8", errors="replace")
    checks = Checks(args.launcher, args.results)
    try:
        checks.run_all()
    finally:
        shutil.rmtree(checks.temp, ignore_errors=True)
    return checks.report()


if __name__ == "__main__":
    sys.exit(main())
