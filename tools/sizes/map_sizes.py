#!/usr/bin/env python3
"""Where a program's bytes go, from the map file the linker writes beside it.

    python3 tools/sizes/map_sizes.py build/win32/velora/velora.scr.map [--top N]

Adds up the input sections the linker kept (debug sections aside) per library
and per object file, largest first. The figures are section sizes before
the file alignment of the output, so they add up to a little less than the
file's size.
"""
import argparse
import collections
import re
import sys

# An input section on one line: " .text  0x00401000  0x1a2 path/lib.a(obj.o)";
# a long section name puts the address, size and file on the next line.
ONE_LINE = re.compile(r"^ (\.\S+)\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$")
NAME_ONLY = re.compile(r"^ (\.\S+)\s*$")
CONTINUED = re.compile(r"^\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$")


def kept_sections(lines):
    """(section, size, input file) for every input section in the memory map."""
    in_map = False
    pending = None
    for line in lines:
        if line.startswith("Linker script and memory map"):
            in_map = True
            continue
        if not in_map:
            continue
        match = ONE_LINE.match(line)
        if match:
            pending = None
            yield match.group(1), int(match.group(2), 16), match.group(3)
            continue
        match = NAME_ONLY.match(line)
        if match:
            pending = match.group(1)
            continue
        match = CONTINUED.match(line)
        if match and pending:
            yield pending, int(match.group(1), 16), match.group(2)
        pending = None


def short_name(path):
    """'/usr/lib/.../libstdc++.a(string-inst.o)' -> ('libstdc++.a', 'libstdc++.a(string-inst.o)')."""
    member = re.sub(r"^.*/", "", path)
    return re.sub(r"\(.*$", "", member), member


def summarise(lines):
    libraries = collections.Counter()
    members = collections.Counter()
    for section, size, path in kept_sections(lines):
        if section.startswith((".debug", ".stab", ".note")) or size == 0:
            continue
        library, member = short_name(path)
        libraries[library] += size
        members[member] += size
    return libraries, members


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("map")
    parser.add_argument("--top", type=int, default=15)
    args = parser.parse_args()
    with open(args.map, encoding="utf-8", errors="replace") as f:
        libraries, members = summarise(f)
    total = sum(libraries.values())
    print(f"{total} bytes in kept sections of {args.map}")
    for title, counts in (("by library", libraries), ("by object file", members)):
        print(f"\n{title}:")
        for name, size in counts.most_common(args.top):
            print(f"{size:9d}  {100 * size / total:5.1f} %  {name}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
