#!/usr/bin/env python3
"""Fails when the components under src/ include each other in a circle.

A component is a header and the source file of the same name in one directory (x.h with
x.cpp); it depends on every component whose header one of its two files includes with
#include "...". Every strongly connected group of more than one component is printed with
the include lines that close it, and the exit status is then 1.

    tools/check_includes.py [SRC_DIR]      (default: src/ beside this script's directory)
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def components(src):
    """Maps "dir/stem" to the files that make it, and header name to its component."""
    comps, by_header = {}, {}
    for root, _, files in os.walk(src):
        for f in sorted(files):
            stem, ext = os.path.splitext(f)
            if ext not in ('.h', '.cpp'):
                continue
            key = os.path.relpath(os.path.join(root, stem), src)
            comps.setdefault(key, []).append(os.path.join(root, f))
            if ext == '.h':
                by_header.setdefault(f, []).append(key)
    return comps, by_header


def edges(comps, by_header):
    """Maps each component to {dependency: [file that includes it]}."""
    out = {}
    for key, files in comps.items():
        deps = out.setdefault(key, {})
        here = os.path.dirname(key)
        for path in files:
            with open(path, encoding='utf-8', errors='replace') as fh:
                for name in INCLUDE.findall(fh.read()):
                    cands = by_header.get(os.path.basename(name), [])
                    # A header of the same directory wins over one of the same name elsewhere.
                    same = [c for c in cands if os.path.dirname(c) == here]
                    for dep in same or cands:
                        if dep != key:
                            deps.setdefault(dep, []).append(os.path.relpath(path, os.path.dirname(os.path.dirname(path))))
    return out


def strongly_connected(graph):
    index, low, stack, on, groups, counter = {}, {}, [], set(), [], [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in graph.get(v, {}):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on.discard(w)
                group.append(w)
                if w == v:
                    break
            groups.append(sorted(group))

    sys.setrecursionlimit(10000)
    for v in sorted(graph):
        if v not in index:
            visit(v)
    return groups


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'src')
    comps, by_header = components(src)
    graph = edges(comps, by_header)
    circles = [g for g in strongly_connected(graph) if len(g) > 1]
    for g in circles:
        print('include circle: ' + ' <-> '.join(g))
        for a in g:
            for b in g:
                if b in graph[a]:
                    print('    %s -> %s (in %s)' % (a, b, ', '.join(sorted(set(graph[a][b])))))
    if circles:
        return 1
    print('no include circle among %d components' % len(comps))
    return 0


if __name__ == '__main__':
    sys.exit(main())
