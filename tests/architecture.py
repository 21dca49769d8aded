#!/usr/bin/env python3
"""Checks the layering of the program's own sources from their #include lines.

Usage: architecture.py SOURCE_FOLDER

Fails, naming the files, on
- an include cycle between units (a .h and its .cpp are one unit);
- a portable-core file (portable/, generator/, texts/) that includes a system header
  (<name.h>: no <windows.h>, <bcrypt.h>, <unistd.h>, ...; C++ standard headers are fine);
- an include against the one-way rule: each folder includes only its own files and those of the
  folders LAYERS gives it (windows/ -> win32/ -> portable/, windows/ -> generator/, texts/ ->
  portable/; posix/ stands in for win32/, and the two never include each other).
"""
import pathlib
import re
import sys

# What each folder may include besides itself.
LAYERS = {
    "windows": ("win32", "generator", "texts", "portable"),
    "win32": ("portable",),
    "posix": ("portable",),
    "generator": ("portable",),
    "texts": ("portable",),
    "portable": (),
}
FOLDERS = tuple(LAYERS)
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
            source, layer = name.split("/")[0], target.split("/")[0]
            if layer != source and layer not in LAYERS[source]:
                allowed = "".join(f", {f}/" for f in LAYERS[source])
                problems.append(f'{name} includes "{target}": {source}/ includes only its own files{allowed}')
            if layer in FOLDERS and target.rsplit(".", 1)[0] != unit:
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
