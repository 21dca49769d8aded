"""Fails when the exe imports a DLL that Windows may load from the exe's own folder.

python3 exe_imports.py OBJDUMP EXE
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
    names = re.findall(r"^\s*DLL Name:\s*(\S+)", headers, re.MULTILINE)
    print("imports:", " ".join(names))
    if not names:
        sys.exit("no import table found")
    other = [n for n in names if n.lower().removesuffix(".dll") not in ALLOWED]
    if other:
        sys.exit("imported from outside the system folder's fixed set: " + " ".join(other))


if __name__ == "__main__":
    main()
