"""The release on Windows itself, as users get it: its own exe through the program checks, and a
real install with winget and with Scoop from the manifests made with it. CI's Windows jobs run it
with the Debian job's release artifact in DIST (the zip, SHA256SUMS, winget/ and zorkmix.json)
and the windows-checks artifact in CHECKS (native_checks.py and the probe beside it):

    python install_checks.py release|winget|scoop --dist DIST --checks CHECKS --results DIR

release  the zip and its zorkMIX.exe are the ones SHA256SUMS names, and that exe passes
         native_checks.py --exe (DLL search, start-up errors, one Generate, copy and close, About)
winget   winget validate; winget install --manifest from a copy of the manifests whose InstallerUrl
         is a server on 127.0.0.1 of this machine (the hash unchanged); zorkMIX.exe installed with
         SpecChar.txt beside it, its folder on the user's PATH, no link in winget's Links folder;
         native_checks.py --exe on the installed exe; winget uninstall
scoop    Scoop installed; scoop install of a copy of zorkmix.json with its url at such a server;
         the app folder, the Start-menu shortcut, native_checks.py --exe on it; scoop uninstall
Each step prints one line; the first failure names its step and what it saw, and ends the run.
All of it goes to DIR/install-<command>.txt as well. Standard library only.
"""
import argparse
import contextlib
import functools
import glob
import hashlib
import http.server
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import zipfile

EXE = "zorkMIX.exe"
WINGET_SCHEMA = (1, 28)  # the manifests' schema needs a winget at least this new
WINGET_HOME = os.path.expandvars(r"%LOCALAPPDATA%\Microsoft\WinGet")
SCOOP = os.path.expanduser(r"~\scoop")
START_MENU = os.path.expandvars(r"%APPDATA%\Microsoft\Windows\Start Menu\Programs")


class Failed(Exception):
    pass


def output_tail(text, lines=12):
    """The last lines of a program's output, without the progress bars' carriage returns."""
    kept = [line.strip() for line in re.split(r"[\r\n]+", text) if line.strip()]
    return " | ".join(kept[-lines:]) or "no output"


def run(args, timeout=900):
    """Runs a program; returns its output. Fails with its exit code and the end of its output."""
    try:
        done = subprocess.run(args, stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout)
    except FileNotFoundError:
        raise Failed(f"{args[0]} is not there")
    except subprocess.TimeoutExpired:
        raise Failed(f"{' '.join(args)} did not end within {timeout} s")
    text = (done.stdout + done.stderr).decode("utf-8", "replace")
    if done.returncode:
        raise Failed(f"{' '.join(args)} ended with exit code 0x{done.returncode & 0xFFFFFFFF:X}: {output_tail(text)}")
    return text


def powershell(script):
    return run(["powershell", "-NoProfile", "-NonInteractive", "-ExecutionPolicy", "Bypass", "-Command", script])


@contextlib.contextmanager
def local_server(folder):
    """Serves FOLDER on 127.0.0.1 only, on a free port, until the block ends, however it ends."""
    handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        yield f"http://127.0.0.1:{server.server_address[1]}"
    finally:
        server.shutdown()
        server.server_close()


def user_path():
    """The folders of the user's PATH as the registry holds it (new programs get it; this one has its own)."""
    import winreg
    with winreg.OpenKey(winreg.HKEY_CURRENT_USER, "Environment") as key:
        value = winreg.QueryValueEx(key, "Path")[0]
    return [os.path.normcase(os.path.normpath(os.path.expandvars(p))) for p in value.split(";") if p]


class Checks:
    def __init__(self, args):
        self.dist, self.checks = os.path.abspath(args.dist), os.path.abspath(args.checks)
        self.results = os.path.abspath(args.results)
        os.makedirs(self.results, exist_ok=True)
        self.log = open(os.path.join(self.results, f"install-{args.command}.txt"), "w", encoding="utf-8")
        self.temp = tempfile.mkdtemp(prefix="zork install ")
        self.zip = os.path.basename(glob.glob(os.path.join(self.dist, "zorkMIX-*-win32.zip"))[0])
        self.folder = self.zip[:-len("-win32.zip")]  # the zip's one folder

    def say(self, line):
        print(line, flush=True)
        self.log.write(line + "\n")
        self.log.flush()

    def step(self, name, check):
        try:
            detail = check() or ""
        except Exception as e:  # whatever breaks a step fails it, by name
            self.say(f"failed   {name}: {e if isinstance(e, Failed) else f'{type(e).__name__}: {e}'}")
            raise SystemExit(1)
        self.say(f"passed   {name}" + (f": {detail}" if detail else ""))

    def native(self, option, exe, name):
        """native_checks.py with OPTION on EXE; its output goes to the log."""
        results = os.path.join(self.results, name)
        done = subprocess.run([sys.executable, os.path.join(self.checks, "native_checks.py"), option, exe,
                               "--results", results], stdin=subprocess.DEVNULL, capture_output=True, timeout=600)
        text = done.stdout.decode("utf-8", "replace")
        self.log.write(text)
        if done.returncode:
            failed = [line.strip() for line in text.splitlines() if line.startswith("failed")]
            raise Failed("; ".join(failed) or f"native_checks.py ended with exit code {done.returncode}: {output_tail(text)}")
        return f"native checks passed, results in {results}"

    def installed(self, exe):
        if not os.path.isfile(os.path.join(os.path.dirname(exe), "SpecChar.txt")):
            raise Failed(f"no SpecChar.txt beside {exe}")
        return exe

    # release: the release's own bytes

    def release(self):
        sums = {}
        with open(os.path.join(self.dist, "SHA256SUMS"), encoding="utf-8") as f:
            for line in f:
                digest, name = line.rstrip("\n").split("  ", 1)
                sums[name] = digest
        exe = os.path.join(self.temp, self.folder, EXE)

        def same(path, name):
            with open(path, "rb") as f:
                digest = hashlib.sha256(f.read()).hexdigest()
            if digest != sums.get(name):
                raise Failed(f"SHA-256 {digest}; SHA256SUMS gives {sums.get(name)} for {name}")
            return digest

        self.step(f"{self.zip} is the one SHA256SUMS names", lambda: same(os.path.join(self.dist, self.zip), self.zip))

        def unpacked():
            with zipfile.ZipFile(os.path.join(self.dist, self.zip)) as z:
                z.extractall(self.temp)
            return same(exe, f"{self.folder}/{EXE}")
        self.step(f"its {EXE} is the one SHA256SUMS names", unpacked)
        self.step("the release's exe passes the program checks", lambda: self.native("--exe", exe, "release-exe"))

    # winget

    def winget(self):
        manifests = os.path.join(self.dist, "winget")
        installer = glob.glob(os.path.join(manifests, "*.installer.yaml"))[0]
        identifier = os.path.basename(installer)[:-len(".installer.yaml")]

        def version():
            try:
                text = run(["winget", "--version"]).strip()
            except Failed:
                return None
            return tuple(int(n) for n in re.findall(r"\d+", text)[:2])

        def up_to_date():
            before = version()
            if before and before >= WINGET_SCHEMA:
                return f"winget {before[0]}.{before[1]}"
            powershell("Install-PackageProvider -Name NuGet -Force | Out-Null; "
                       "Install-Module -Name Microsoft.WinGet.Client -Repository PSGallery -Force | Out-Null; "
                       "Repair-WinGetPackageManager -AllUsers -Force -Latest")
            after = version()
            if not after or after < WINGET_SCHEMA:
                raise Failed(f"winget {after} after Repair-WinGetPackageManager, {before} before")
            return f"winget {before} updated to {after[0]}.{after[1]}"
        self.step("winget new enough for schema 1.28", up_to_date)
        self.step("winget validate --manifest", lambda: output_tail(run(["winget", "validate", "--manifest", manifests]), 1))
        self.step("winget settings --enable LocalManifestFiles",
                  lambda: output_tail(run(["winget", "settings", "--enable", "LocalManifestFiles"]), 1))

        local = os.path.join(self.temp, "winget")
        shutil.copytree(manifests, local)

        def install():
            with local_server(self.dist) as base:
                path = os.path.join(local, os.path.basename(installer))
                with open(path, encoding="utf-8") as f:
                    text, count = re.subn(r"^(\s*InstallerUrl: ).*$", rf"\g<1>'{base}/{self.zip}'", f.read(), flags=re.M)
                if count != 1:
                    raise Failed(f"{count} InstallerUrl lines in {path}")
                with open(path, "w", encoding="utf-8") as f:
                    f.write(text)
                return output_tail(run(["winget", "install", "--manifest", local, "--accept-source-agreements",
                                        "--accept-package-agreements", "--disable-interactivity"]), 2)
        self.step("winget install --manifest, the zip from 127.0.0.1", install)

        found = []

        def folder():
            exes = glob.glob(os.path.join(WINGET_HOME, "Packages", f"{identifier}_*", "**", EXE), recursive=True)
            if len(exes) != 1:
                raise Failed(f"{len(exes)} {EXE} under {WINGET_HOME}\\Packages\\{identifier}_*: {exes}")
            found.append(self.installed(exes[0]))
            return found[0]
        self.step(f"{EXE} installed with SpecChar.txt beside it", folder)

        def on_path():
            where = os.path.normcase(os.path.dirname(found[0]))
            if where not in user_path():
                raise Failed(f"{where} is not on the user's PATH: {user_path()}")
            return where
        self.step("its folder is on the user's PATH", on_path)

        def no_link():
            link = os.path.join(WINGET_HOME, "Links", EXE)
            if os.path.lexists(link):
                raise Failed(f"{link} is there: started through it, the exe looks for SpecChar.txt in Links")
        self.step("no zorkMIX.exe link in winget's Links folder", no_link)
        self.step("the installed exe starts, and one Generate gives a password",
                  lambda: self.native("--exe", found[0], "winget-installed"))

        def uninstall():
            run(["winget", "uninstall", "--manifest", local, "--accept-source-agreements", "--disable-interactivity"])
            if os.path.exists(found[0]):
                raise Failed(f"{found[0]} is still there")
            if os.path.normcase(os.path.dirname(found[0])) in user_path():
                raise Failed("its folder is still on the user's PATH")
        self.step("winget uninstall removes it and its PATH entry", uninstall)

    # Scoop

    def scoop(self):
        scoop = os.path.join(SCOOP, "shims", "scoop.ps1")

        def scoop_run(*args):
            return run(["powershell", "-NoProfile", "-NonInteractive", "-ExecutionPolicy", "Bypass", "-File", scoop, *args])

        def install_scoop():
            if not os.path.exists(scoop):
                # The runner's user is an administrator, which Scoop's installer refuses unless told.
                powershell("& ([scriptblock]::Create((Invoke-RestMethod https://get.scoop.sh))) -RunAsAdmin")
            return output_tail(scoop_run("--version"), 2)
        self.step("Scoop installed", install_scoop)

        app = os.path.join(SCOOP, "apps", "zorkmix", "current", EXE)
        shortcut = os.path.join(START_MENU, "Scoop Apps", "zorkMIX.lnk")

        def install():
            with open(os.path.join(self.dist, "zorkmix.json"), encoding="utf-8") as f:
                manifest = json.load(f)
            with local_server(self.dist) as base:
                manifest["url"] = f"{base}/{self.zip}"
                path = os.path.join(self.temp, "zorkmix.json")
                with open(path, "w", encoding="utf-8") as f:
                    json.dump(manifest, f, indent=4)
                return output_tail(scoop_run("install", path), 2)
        self.step("scoop install zorkmix.json, the zip from 127.0.0.1", install)
        self.step(f"{EXE} in Scoop's app folder with SpecChar.txt beside it", lambda: self.installed(app))

        def has_shortcut():
            if not os.path.isfile(shortcut):
                raise Failed(f"no {shortcut}")
            return shortcut
        self.step("a Start-menu shortcut", has_shortcut)
        self.step("the installed exe starts, and one Generate gives a password",
                  lambda: self.native("--exe", app, "scoop-installed"))

        def uninstall():
            scoop_run("uninstall", "zorkmix")
            left = [p for p in (app, shortcut) if os.path.exists(p)]
            if left:
                raise Failed(f"still there: {left}")
        self.step("scoop uninstall removes it and its shortcut", uninstall)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("command", choices=("release", "winget", "scoop"))
    parser.add_argument("--dist", required=True, help="the release artifact: the zip, SHA256SUMS, winget/, zorkmix.json")
    parser.add_argument("--checks", required=True, help="the windows-checks folder, with native_checks.py")
    parser.add_argument("--results", required=True, help="folder for this run's output")
    args = parser.parse_args()
    sys.stdout.reconfigure(encoding="utf-8", errors="replace")
    checks = Checks(args)
    try:
        getattr(checks, args.command)()
    finally:
        shutil.rmtree(checks.temp, ignore_errors=True)
    checks.say(f"install checks: {args.command} passed")


if __name__ == "__main__":
    main()
