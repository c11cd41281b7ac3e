#!/usr/bin/env python3
"""Checks the shape of the sources in src/:
- no file has more than 300 lines, but a generated one, which says so at
  its top;
- no include circle: a concept is a file pair (x.h and x.cpp), and no
  concept includes, directly or around a longer circle, the header of one
  whose files include its own.
(No function has more than 60 lines: clang-tidy's readability-function-size
checks that, scripts/tidy.sh.)
Prints each fault and exits 1 when there is one.
"""
import argparse
import pathlib
import re
import sys

LINE_LIMIT = 300
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def concept(path, src):
    """The file pair a file belongs to: its path under src/ without suffix."""
    return str(path.relative_to(src).with_suffix(""))


def includes(path, src):
    """The concepts whose headers `path` includes, resolved as the compiler
    would: beside the file first, then from src/lib/."""
    found = set()
    for name in INCLUDE.findall(path.read_text(encoding="utf-8")):
        for base in (path.parent, src / "lib"):
            target = (base / name).resolve()
            if target.is_file() and src.resolve() in target.parents:
                found.add(concept(target, src.resolve()))
                break
    return found


def circles(graph):
    """Every circle of the graph, each once, as a list of its nodes."""
    found, state, stack = [], {}, []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for other in sorted(graph.get(node, ())):
            if state.get(other) == "open":
                found.append(stack[stack.index(other):] + [other])
            elif other not in state:
                visit(other)
        stack.pop()
        state[node] = "done"

    for node in sorted(graph):
        if node not in state:
            visit(node)
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--root", default=pathlib.Path(__file__).resolve().parent.parent,
                        type=pathlib.Path, metavar="FOLDER",
                        help="the repository whose src/ is checked (default: the one that "
                             "holds this script)")
    root = parser.parse_args().root
    src = root / "src"
    faults = []
    graph = {}
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        text = path.read_text(encoding="utf-8")
        lines = text.count("\n")
        generated = "generated" in "\n".join(text.splitlines()[:3]).lower()
        if lines > LINE_LIMIT and not generated:
            faults.append(f"{path.relative_to(root)}: {lines} lines, over {LINE_LIMIT}")
        node = concept(path.resolve(), src.resolve())
        graph.setdefault(node, set()).update(includes(path, src) - {node})
    for circle in circles(graph):
        faults.append("include circle: " + " -> ".join(circle))
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
