#!/usr/bin/env python3
"""Prints which top-level folders include headers of which, from the code.

    python3 tools/include_picture.py [--all]

Every `#include "folder/..."` of a source file in one top-level folder that
names another top-level folder is an arrow. The folders are printed top of
the stack first (a folder comes before every folder it includes), each with
the folders it includes in the same order; includes that form a cycle are
named at the end and make the exit status 1. Tests, fuzz targets and
benchmarks may include anything and are left out unless --all is given.
"""

import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LEFT_OUT = {"tests", "fuzz", "bench", "tools", "docs", "res", "build", "cmake"}
SOURCE = re.compile(r"\.(c|cc|cpp|h|hpp)$")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/', re.M)


def folders(include_all):
    names = []
    for name in sorted(os.listdir(ROOT)):
        if name.startswith(".") or not os.path.isdir(os.path.join(ROOT, name)):
            continue
        if name in LEFT_OUT and not (include_all and name in {"tests", "fuzz", "bench"}):
            continue
        names.append(name)
    return names


def arrows(names):
    graph = {name: set() for name in names}
    for name in names:
        for directory, _, files in os.walk(os.path.join(ROOT, name)):
            for file in files:
                if not SOURCE.search(file):
                    continue
                with open(os.path.join(directory, file), encoding="utf-8", errors="replace") as source:
                    for target in INCLUDE.findall(source.read()):
                        if target != name and os.path.isdir(os.path.join(ROOT, target)):
                            graph[name].add(target)
    return graph


def stack_order(graph):
    """Top first; a folder before all it includes. Returns (order, cyclic)."""
    order, done, busy, cyclic = [], set(), set(), set()

    def visit(name):
        if name in done:
            return
        if name in busy:
            cyclic.add(name)
            return
        busy.add(name)
        for target in sorted(graph.get(name, ())):
            visit(target)
        busy.discard(name)
        done.add(name)
        order.append(name)

    for name in sorted(graph):
        visit(name)
    order.reverse()  # visited bottom first
    return order, cyclic


def main():
    graph = arrows(folders("--all" in sys.argv[1:]))
    order, cyclic = stack_order(graph)
    rank = {name: i for i, name in enumerate(order)}
    width = max(len(name) for name in order)
    for name in order:
        targets = sorted(graph[name], key=lambda t: rank.get(t, len(rank)))
        print(f"{name:<{width}} -> {' '.join(targets) if targets else '(nothing)'}")
    upward = [(a, b) for a in graph for b in graph[a] if rank.get(b, 0) < rank[a]]
    for a, b in sorted(upward):
        print(f"against the stack: {a} -> {b}")
    return 1 if upward or cyclic else 0


if __name__ == "__main__":
    sys.exit(main())
