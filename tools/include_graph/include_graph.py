#!/usr/bin/env python3
"""The include graph of the product's sources, by folder: which folder's files
include which other folder's headers, and how often. Exits 1 when two files,
or two folders, include each other: the layers stay one way.

    python3 tools/include_graph/include_graph.py [REPOSITORY]
"""
import collections
import os
import re
import sys

FOLDERS = ("framework", "velora", "velpanel", "fracsave")
INCLUDE = re.compile(r'#include\s+"([^"]+)"')


def sources(root):
    for top in FOLDERS:
        for directory, _, names in os.walk(os.path.join(root, top)):
            for name in names:
                if name.endswith((".h", ".cpp")):
                    yield os.path.relpath(os.path.join(directory, name), root)


def resolve(root, source, included):
    for candidate in (included, os.path.normpath(os.path.join(os.path.dirname(source), included))):
        if os.path.exists(os.path.join(root, candidate)):
            return candidate
    return None


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
    files, folders = set(), collections.Counter()
    for source in sources(root):
        with open(os.path.join(root, source), encoding="utf-8") as f:
            for match in INCLUDE.finditer(f.read()):
                target = resolve(root, source, match.group(1))
                if not target:
                    continue
                # A header and its .cpp are one unit.
                a, b = os.path.splitext(source)[0], os.path.splitext(target)[0]
                if a != b:
                    files.add((a, b))
                if os.path.dirname(source) != os.path.dirname(target):
                    folders[(os.path.dirname(source), os.path.dirname(target))] += 1
    for (a, b), count in sorted(folders.items()):
        print("%s -> %s (%d)" % (a, b, count))
    both = sorted({(a, b) for edges in (files, set(folders)) for a, b in edges if a < b and (b, a) in edges})
    for a, b in both:
        print("both ways: %s <-> %s" % (a, b))
    return 1 if both else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
