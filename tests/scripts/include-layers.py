#!/usr/bin/env python3
"""Reads every #include "..." of src/ and linux/ against the table of layers below and fails on an
include that points up, and on files that need each other (a .h and its .cpp count as one).

Usage: include-layers.py REPO_ROOT
"""
import collections
import os
import re
import sys

# Bottom to top. A layer may include its own folder and the layers before it.
LAYERS = ["res", "base", "winfx", "settings", "capture", "remote", "connections", "station", "ui", "app"]
# Folders beside src/: what each may include besides itself.
BESIDE = {
    "kvcom": {"res", "base"},  # the link's DLL, which remote/ wraps
    "linux": {"res", "base", "winfx", "settings", "capture", "remote", "connections", "station"},
}
# Names without a folder: the generated version header and resource scripts of the same folder.
PLAIN = {"KvVersion.h", "KvCom.h", "VersionInfo.rci", "resource.h", "ProgramStrings.inc"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def allowed(layer):
    if layer in BESIDE:
        return BESIDE[layer] | {layer}
    below = set(LAYERS[: LAYERS.index(layer) + 1])
    if layer == "remote":
        below.add("kvcom")
    return below


def sources(root):
    for top in ["src", "linux", "kvcom"]:
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in sorted(names):
                if name.endswith((".h", ".cpp", ".rc", ".rci")):
                    path = os.path.join(folder, name)
                    yield path, os.path.relpath(path, root)


def layer_of(relpath):
    parts = relpath.split(os.sep)
    return parts[1] if parts[0] == "src" and len(parts) > 2 else parts[0]


def strongly_connected(graph):
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = [0]

    def visit(node):
        index[node] = low[node] = counter[0]
        counter[0] += 1
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(graph.get(node, ())):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.append(member)
                if member == node:
                    break
            if len(group) > 1:
                found.append(sorted(group))

    sys.setrecursionlimit(100000)
    for node in sorted(graph):
        if node not in index:
            visit(node)
    return found


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    problems = []
    graph = collections.defaultdict(set)
    checked = 0
    for path, rel in sources(root):
        layer = layer_of(rel)
        if layer not in LAYERS and layer not in BESIDE:
            problems.append(f"{rel}: folder '{layer}' is not in the table of layers")
            continue
        node = os.path.splitext(rel.split(os.sep, 1)[1] if rel.startswith("src" + os.sep) else rel)[0]
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
        for number, line in enumerate(text.splitlines(), 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            checked += 1
            target = m.group(1)
            if "/" not in target:
                if target not in PLAIN:
                    problems.append(f"{rel}:{number}: \"{target}\" names no folder")
                continue
            to = target.split("/", 1)[0]
            if to not in LAYERS and to not in BESIDE:
                problems.append(f"{rel}:{number}: \"{target}\": folder '{to}' is not in the table of layers")
            elif to not in allowed(layer):
                problems.append(f"{rel}:{number}: {layer}/ includes \"{target}\", which points up")
            tnode = os.path.splitext(target)[0]
            if tnode != node:
                graph[node].add(tnode)
    for group in strongly_connected(graph):
        problems.append("files that need each other: " + ", ".join(group))
    for p in problems:
        print(p)
    print(f"{checked} includes checked, {len(problems)} problem(s)")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
