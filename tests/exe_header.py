"""Fails when the exe's PE header or imports are not what a current, portable Windows program
needs: a DLL that Windows may load from the exe's own folder, a subsystem version below 6.0, no
terminal-server awareness, or NO_SEH on an image that registers an SEH handler after all.

python3 exe_header.py OBJDUMP EXE
"""
import re
import subprocess
import sys

# The KnownDLLs, always taken from the system folder, and comctl32, redirected by the manifest.
ALLOWED = {"kernel32", "user32", "gdi32", "msvcrt", "advapi32", "shell32", "ole32", "oleaut32", "comdlg32",
           "shlwapi", "ntdll", "comctl32"}


def main():
    objdump, exe = sys.argv[1:3]
    headers = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout
    faults = []
    names = re.findall(r"^\s*DLL Name:\s*(\S+)", headers, re.MULTILINE)
    print("imports:", " ".join(names))
    if not names:
        faults.append("no import table found")
    other = [n for n in names if n.lower().removesuffix(".dll") not in ALLOWED]
    if other:
        faults.append("imported from outside the system folder's fixed set: " + " ".join(other))

    field = dict(re.findall(r"^(\w+)\s+(\S+)", headers, re.MULTILINE))
    for name in ("MajorSubsystemVersion", "MajorOSystemVersion"):
        if int(field.get(name, "0")) < 6:
            faults.append(f"{name} {field.get(name)}: Windows treats the image as an old program")
    flags = set(re.findall(r"^\t+([A-Z_]+)$", headers, re.MULTILINE))
    print("DllCharacteristics:", " ".join(sorted(flags)))
    if "TERMINAL_SERVICE_AWARE" not in flags:
        faults.append("not TERMINAL_SERVICE_AWARE")
    # An SEH handler is registered by writing fs:[0]; under NO_SEH Windows would never call it.
    if "NO_SEH" in flags:
        code = subprocess.run([objdump, "-d", exe], check=True, capture_output=True, text=True).stdout
        registering = [line.strip() for line in code.splitlines() if "%fs:0x0" in line]
        if registering:
            faults.append("NO_SEH, but the image reaches fs:[0]: " + "; ".join(registering[:3]))
    if faults:
        sys.exit("\n".join(faults))


if __name__ == "__main__":
    main()
