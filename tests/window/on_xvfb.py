"""Runs a command on an Xvfb of its own, for a Wine prefix of its own: the prefix's Wine server
is stopped before (one left from another display would hand over its desktop) and after (Wine
keeps it running). Exits with the command's status.

WINEPREFIX=... python3 on_xvfb.py COMMAND ARGS...
"""
import os
import subprocess
import sys

from zorkwin import start_xvfb, stop_wine


def main():
    if not os.environ.get("WINEPREFIX"):
        sys.exit("on_xvfb: WINEPREFIX must name the Wine prefix")
    xvfb, display = start_xvfb(subprocess.DEVNULL)
    env = dict(os.environ, DISPLAY=display)
    try:
        stop_wine(env)
        return subprocess.run(sys.argv[1:], env=env, stdin=subprocess.DEVNULL).returncode
    finally:
        stop_wine(env)
        xvfb.terminate()
        xvfb.wait(timeout=10)


if __name__ == "__main__":
    sys.exit(main())
