"""The checks CI runs on Windows itself, run the same way here under Wine: the unit tests, the
in-process form checks, the accessible names through the system's property service, the DLL
search, the start-up errors, one Generate, copy and close, About handing the front back to the
main window, and screenshots of the windows as the system draws them.

Everything it runs lies beside it (CI's artifact; build/win/windows-checks here):
    python native_checks.py --results DIR                                on Windows
    python3 native_checks.py --launcher scripts/wine.sh --results DIR    under Wine (WINEPREFIX, DISPLAY set)
The launcher is the only difference. DIR receives each test program's XML results and output,
and the screenshots main-cs.png, main-en.png (the main window in Czech and in English) and
about.png. With --exe PATH only the checks of a program run, on that zorkMIX.exe (a release's or
an installed one): the DLL search, the start-up errors, About, and Generate, copy and close, which
starts it where it lies, from another working folder, with the SpecChar.txt beside it.
Prints one line per check (passed, failed, or skipped with the reason) and fails on any failure or
when none passed. Standard library only (with controls.py and probeclient.py of the window tests,
copied beside it): the Windows runner's Python runs it as it is.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

from controls import ABOUT, ABOUT_OK, EN, GENERATE, PASSWD
from probeclient import IMAGE, Probe, Program, Timeout, copy_exe, private_clipboard, stop, wait_for, windows_path

HERE = os.path.dirname(os.path.abspath(__file__))
ACCESSIBLE_NAMES = "Windows.NameTheTextBoxesForScreenReaders"
SCREENSHOTS = ("main-cs.png", "main-en.png", "about.png")
OTHER_TITLE = "another program"


Failed = AssertionError  # a check's failure, as a wait's that timed out


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


class Checks:
    def __init__(self, launcher, results, exe):
        self.launcher = [os.path.abspath(launcher)] if launcher else []
        self.wine = bool(launcher)
        self.system = "Wine" if launcher else "Windows"
        self.results = os.path.abspath(results)
        os.makedirs(self.results, exist_ok=True)
        self.exe = os.path.abspath(exe) if exe else os.path.join(HERE, IMAGE)
        self.given_exe = bool(exe)
        self.rows, self.started, self.cases = [], [], {}
        self.served = None
        self.log = open(os.path.join(self.results, "programs.log"), "ab")
        # A space in the path on purpose; the long form, which the program shows in its reports.
        self.temp = os.path.realpath(tempfile.mkdtemp(prefix="zork checks "))

    def beside(self, name):
        path = os.path.join(HERE, name)
        if not os.path.isfile(path):
            raise Failed(f"{name} is missing beside {os.path.basename(__file__)}")
        return path

    def copy(self, folder, specchar=None, also=()):
        """A copy of the exe in a folder of its own, with copies of the named files beside this script."""
        return copy_exe(self.exe, os.path.join(self.temp, folder), specchar, [self.beside(name) for name in also])

    def spawn(self, args, cwd=None):
        proc = subprocess.Popen(self.launcher + args, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=self.log)
        self.started.append(proc)
        return proc

    @property
    def probe(self):
        """The one probe, serving from the first check that asks for it."""
        if not self.served:
            self.served = Probe(self.spawn, [self.beside("zorkprobe.exe")], log=self.log.name)
        return self.served

    def start(self, exe, cwd=None):
        """Starts the program; it is killed after the check if left running."""
        return Program(self.probe, self.spawn([exe], cwd=cwd or os.path.dirname(exe)))

    def close(self, app, window, expected=0):
        """Closes the window as its close box does; the program must then end with the exit code expected."""
        self.probe("close", window.hwnd)
        code = app.wait_exit(30)
        if code != expected:
            raise Failed(f"exit code {code}, expected {expected}")
        return code

    def check(self, name, run):
        """Runs one check; what it started is killed if left running, all but the probe."""
        try:
            status, detail = "passed", run() or ""
        except Skipped as e:
            status, detail = "skipped", str(e)
        except Failed as e:
            status, detail = "failed", str(e)
        except Exception as e:  # a check that breaks is a failed check, and the others still run
            status, detail = "failed", f"{type(e).__name__}: {e}"
        for proc in self.started:
            if proc is not (self.served and self.served.proc):
                stop(proc)
        self.rows.append((name, status, detail))
        print(f"{status:8} {name}: {detail}", flush=True)

    def gtest(self, name):
        """Runs NAME.exe and keeps its test cases. Fails on a failed test, a crash or no test run."""
        exe = self.beside(name + ".exe")
        xml_path, log = (os.path.join(self.results, name + ext) for ext in (".xml", ".log"))
        if os.path.exists(xml_path):
            os.remove(xml_path)
        with open(log, "wb") as out:
            try:
                code = subprocess.run(self.launcher + [exe, "--gtest_output=xml:" + windows_path(xml_path, self.wine)],
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
        skipped = [f"{full} ({reason(message)})" for full, outcome, message in cases if outcome == "skipped"]
        self.cases[name] = cases
        return f"{len(ran)} passed" + (f", {len(skipped)} skipped: " + "; ".join(skipped) if skipped else "")

    def accessible_names(self):
        if "formcheck" not in self.cases:
            raise Failed("formcheck gave no results")
        outcome = {full: (o, message) for full, o, message in self.cases["formcheck"]}
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

    def dll_search(self):
        exe = self.copy("dll search", b"#\r\n", ["planted.dll"])
        planted = os.path.join(os.path.dirname(exe), "planted.dll")
        app = self.start(exe)
        main = app.wait_main()
        # As a Windows component of the process would load a DLL by its bare name.
        if self.probe("load-library", main.pid, "planted.dll")["loaded"]:
            raise Failed("planted.dll beside the exe was loaded by its bare name")
        if not self.probe("load-library", main.pid, windows_path(planted, self.wine))["loaded"]:
            raise Failed("planted.dll did not load even by its full path")
        return f"not loaded by its bare name, loaded by its full path, exit code {self.close(app, main)}"

    def startup_error(self, how, number, description):
        exe = self.copy(f"start-up error {number}", b"" if how == "empty" else None)
        specchar = os.path.join(os.path.dirname(exe), "SpecChar.txt")
        app = self.start(exe)
        if how == "a folder":
            os.mkdir(specchar)
        main_seen = []

        def report():
            main_seen.append(bool(app.main(visible=True)))
            return app.report()
        text = app.wait(report, "the error report", 30).text()
        path = windows_path(specchar, self.wine)[2:]  # without its drive
        if not (re.search(rf"\b{number}\b", text) and description in text.lower() and path.lower() in text.lower()):
            raise Failed(f"the report does not give {number}, {description!r} and {path}: {text!r}")
        if any(main_seen):
            raise Failed("the main window was shown")
        return f"report shown, exit code {self.close(app, app.report(), number)}"

    def generate_copy_close(self):
        if self.given_exe:
            elsewhere = os.path.join(self.temp, "elsewhere")
            os.makedirs(elsewhere)
            app, how_started = self.start(self.exe, cwd=elsewhere), "where it lies"
        else:
            # The failing bcrypt.dll beside the exe must not be the one the program takes its random bytes from.
            app = self.start(self.copy("generate", None, ["SpecChar.txt", "bcrypt.dll"]))
            how_started = "beside bcrypt.dll"
        main = app.wait_main()
        self.probe.clear_clipboard()

        def password():
            if app.report():
                raise Failed("an error report instead of a password")
            return app.password()
        # "If the dialog box is not active, the BM_CLICK message might fail", and a runner's console
        # may keep the foreground: then the button's WM_COMMAND is posted, which needs no activation.
        self.probe("click", main.child(GENERATE)["hwnd"])
        try:
            text, how = app.wait(password, "a password", 5), "BM_CLICK"
        except Timeout:
            self.probe("press", main.child(GENERATE)["hwnd"])
            text, how = app.wait(password, "a password", 30), "WM_COMMAND posted after BM_CLICK gave none in 5 s"
        if not 6 <= len(text) <= 10:
            raise Failed(f"a password of {len(text)} characters, not 6 to 10: {text!r}")
        box = main.child(PASSWD)["hwnd"]
        for held in (0, 30):  # then held for a moment, as a clipboard manager holds it: the copy waits for it
            self.probe.clear_clipboard()
            if not self.probe("copy", box, held)["ok"]:
                raise Failed(f"the password box did not answer the copy (clipboard held {held} ms)")
            private_clipboard(self.probe, text)
        code = self.close(app, main)
        if self.probe.clipboard()["text"] != text:
            raise Failed("the password left the clipboard with the program")
        return (f"started {how_started}, Generate by {how}: {len(text)} characters, copied with the three privacy "
                f"formats (also with the clipboard held for 30 ms), still there after exit code {code}")

    def about_hands_the_front_back(self):
        # Another program's window, which the system activates if About hides before its owner is enabled.
        self.spawn([self.beside("zorkprobe.exe"), "window", OTHER_TITLE])
        wait_for(lambda: any(w["visible"] and w["title"] == OTHER_TITLE
                             for w in self.probe("state", "zorkprobe.exe")["windows"]), "another program's window", 30)
        app = self.start(self.copy("about", None, ["SpecChar.txt"]))
        main = app.wait_main()
        try:
            app.wait(lambda: app.main().foreground, "the main window in front", 10)
        except Timeout as e:
            raise Skipped(f"the system never gave the program the front, so nothing to hand back ({e})")

        def other():
            return [(w["title"], w["foreground"]) for w in self.probe("state", "zorkprobe.exe")["windows"]]
        for how in ("OK", "its close box"):
            self.probe("press", main.child(ABOUT)["hwnd"])
            about = app.wait(lambda: (a := app.about()) and a.visible and a.foreground and a, "About in front", 30)
            if how == "OK":
                self.probe("press", about.child(ABOUT_OK)["hwnd"])
            else:
                self.probe("close", about.hwnd)
            wait_for(lambda: (m := app.main()).foreground and m.enabled and not ((a := app.about()) and a.visible),
                     f"the main window in front and enabled after About closed by {how}", 10,
                     last=lambda: (app.summary(), other()))
        code = self.close(app, main)
        return f"closed by OK and by its close box, the main window in front after each, exit code {code}"

    def screenshots(self):
        for name in SCREENSHOTS:  # none left from an earlier run passes for this one's
            if os.path.exists(os.path.join(self.results, name)):
                os.remove(os.path.join(self.results, name))
        app = self.start(self.copy("screenshots", None, ["SpecChar.txt"]))
        main = app.wait_main()
        czech = app.screenshot(main, os.path.join(self.results, "main-cs.png"))
        self.probe("press", main.child(EN)["hwnd"])
        main = app.wait(lambda: (m := app.main()).child(GENERATE)["text"] == "&Generate" and m,
                        "the English captions", 30)
        if app.screenshot(main, os.path.join(self.results, "main-en.png")) == czech:
            raise Failed("main-en.png shows the same pixels as main-cs.png")
        self.probe("press", main.child(ABOUT)["hwnd"])
        about = app.wait(lambda: (a := app.about()) and a.visible and a, "the About window", 30)
        app.screenshot(about, os.path.join(self.results, "about.png"))
        self.probe("close", about.hwnd)
        return f"{', '.join(SCREENSHOTS)} saved in {self.results}, exit code {self.close(app, main)}"

    def run_all(self):
        if not self.given_exe:
            for kind, name in (("unit tests", "unit_core"), ("unit tests", "unit_win"), ("form checks", "formcheck")):
                self.check(f"{kind} {name}", lambda: self.gtest(name))
            self.check("accessible names through the property service", self.accessible_names)
        self.check("DLL search: planted.dll beside the exe", self.dll_search)
        for how, number, description in (("missing", 53, "file not found"), ("a folder", 75, "path/file access error"),
                                         ("empty", 62, "input past end of file")):
            self.check(f"start-up error: SpecChar.txt {how}", lambda: self.startup_error(how, number, description))
        self.check("Generate, copy and close", self.generate_copy_close)
        self.check("About closed hands the front back", self.about_hands_the_front_back)
        if not self.given_exe:
            self.check("screenshots of the windows", self.screenshots)

    def report(self):
        counts = {s: sum(1 for row in self.rows if row[1] == s) for s in ("passed", "failed", "skipped")}
        lines = [f"Native checks on {self.system}:"]
        lines += [f"  {status:8} {name}" + (f" ({detail})" if detail else "") for name, status, detail in self.rows]
        lines.append(f"{counts['passed']} passed, {counts['failed']} failed, {counts['skipped']} skipped")
        text = "\n".join(lines)
        with open(os.path.join(self.results, "checks.txt"), "w", encoding="utf-8") as f:
            f.write(text + "\n")
        print(text)
        if counts["passed"] == 0:
            print("native checks: none passed")
        return 1 if counts["failed"] or not counts["passed"] else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--launcher", help="runs each Windows program (scripts/wine.sh); none on Windows")
    parser.add_argument("--results", required=True, help="folder for the XML results and the programs' output")
    parser.add_argument("--exe", help="a zorkMIX.exe to check instead of the test build's (its checks only)")
    args = parser.parse_args()
    # Test messages hold Czech text; a Windows console or pipe would take only its code page.
    sys.stdout.reconfigure(encoding="utf-8", errors="replace")
    checks = Checks(args.launcher, args.results, args.exe)
    try:
        checks.run_all()
    finally:
        if checks.served:
            checks.served.close()
        checks.log.close()
        shutil.rmtree(checks.temp, ignore_errors=True)
    return checks.report()


if __name__ == "__main__":
    sys.exit(main())
