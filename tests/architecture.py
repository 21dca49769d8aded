#!/usr/bin/env python3
"""Checks the layering of the program's own sources from their #include lines.

Usage: architecture.py SOURCE_FOLDER

Fails, naming the files, on
- an include cycle between units (a .h and its .cpp are one unit);
- a portable-core file (portable/, generator/, texts/) that includes anything but the
  C++ standard library (<name> without ".h", so no <windows.h>, <bcrypt.h>, <unistd.h>, ...)
  and the core's own files;
- posix/ including win32/, or win32/ including posix/.
"""
import pathlib
import re
import sys

FOLDERS = ("portable", "posix", "win32", "generator", "texts", "windows")
CORE = ("portable/", "generator/", "texts/")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def is_core(path):
    return path.startswith(CORE)


def main(root):
    root = pathlib.Path(root)
    files = sorted(p for folder in FOLDERS for p in (root / folder).rglob("*") if p.suffix in (".h", ".cpp"))
    problems = []
    graph = {}  # unit -> units it includes
    for file in files:
        name = file.relative_to(root).as_posix()
        unit = name.rsplit(".", 1)[0]
        graph.setdefault(unit, set())
        for kind, target in INCLUDE.findall(file.read_text(encoding="utf-8")):
            if kind == "<":
                if is_core(name) and target.endswith(".h"):
                    problems.append(f"{name} includes <{target}>: the portable core takes only C++ standard headers")
                continue
            if is_core(name) and not is_core(target):
                problems.append(f'{name} includes "{target}": the portable core includes only the core')
            for a, b in (("posix/", "win32/"), ("win32/", "posix/")):
                if name.startswith(a) and target.startswith(b):
                    problems.append(f'{name} includes "{target}": the native and the Win32 runtime never include each other')
            if target.split("/")[0] in FOLDERS and target.rsplit(".", 1)[0] != unit:
                graph[unit].add(target.rsplit(".", 1)[0])

    # Depth-first search; a unit met again while still on the path closes a cycle.
    state, path = {}, []

    def visit(unit):
        state[unit] = "open"
        path.append(unit)
        for next_unit in sorted(graph.get(unit, ())):
            if state.get(next_unit) == "open":
                cycle = path[path.index(next_unit):] + [next_unit]
                problems.append("include cycle: " + " -> ".join(cycle))
            elif next_unit not in state:
                visit(next_unit)
        path.pop()
        state[unit] = "done"

    for unit in sorted(graph):
        if unit not in state:
            visit(unit)

    for problem in problems:
        print(problem)
    print(f"{len(files)} files, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
