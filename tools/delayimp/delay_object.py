#!/usr/bin/env python3
"""Makes one object file that imports a DLL's functions with delayed loading:
the DLL is loaded when the program first calls one of them.

    delay_object.py NM DLLTOOL AR LD IMPORT_LIBRARY DLL OUT.o LIBRARY...

It offers the functions of that DLL, as MinGW's import library offers them,
that the given libraries of the program call.
Each function member of a dlltool-made import library refers to the head
member of its DLL (__head_lib32_lib<dll>_a) and defines __imp__<function>;
one import library may offer several DLLs (libvfw32.a offers three).

dlltool makes the delay-import library; its members are then joined into
one object, because the linker mishandles them when it takes them from an
archive (the calls end up at address 0). Only the Python standard library
is used."""
import os
import re
import subprocess
import sys
import tempfile


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def functions_of(nm, library, dll):
    base = re.escape(dll.lower().rsplit(".", 1)[0])
    head = re.compile(r"__head_.*lib%s_a$" % base)
    members = {}  # member -> [refers to the DLL's head, functions it defines]
    for line in run(nm, "-A", "-P", library).splitlines():
        member, _, rest = line.partition(": ")
        fields = rest.split()
        if len(fields) < 2:
            continue
        symbol, kind = fields[0], fields[1]
        entry = members.setdefault(member, [False, []])
        if kind == "U" and head.match(symbol):
            entry[0] = True
        elif kind == "I" and symbol.startswith("__imp__"):
            entry[1].append(symbol[len("__imp__"):])
    return sorted({name for ours, names in members.values() if ours for name in names})


def called_by(nm, libraries):
    """Functions the libraries call, through the import table or directly."""
    called = set()
    for library in libraries:
        for line in run(nm, "-A", "-P", "-u", library).splitlines():
            fields = line.partition(": ")[2].split()
            if fields and fields[0].startswith("__imp__"):
                called.add(fields[0][len("__imp__"):])
            elif fields and fields[0].startswith("_"):
                called.add(fields[0][1:])
    return called


def main():
    if len(sys.argv) < 9:
        sys.exit(__doc__)
    nm, dlltool, ar, ld, library, dll, out = sys.argv[1:8]
    offered = functions_of(nm, library, dll)
    if not offered:
        sys.exit("%s offers no functions of %s" % (library, dll))
    called = called_by(nm, sys.argv[8:])
    # One function at least, so that there is an object to link.
    names = [name for name in offered if name in called] or offered[:1]
    with tempfile.TemporaryDirectory() as work:
        definition = os.path.join(work, "delay.def")
        with open(definition, "w") as f:
            f.write("LIBRARY %s\nEXPORTS\n" % dll)
            f.writelines(name + "\n" for name in names)
        archive = os.path.join(work, "delay.a")
        run(dlltool, "-k", "--input-def", definition, "--output-delaylib", archive)
        members = run(ar, "t", archive).split()
        heads = [m for m in members if m.endswith("_h.o")]
        terminators = [m for m in members if m.endswith("_t.o")]
        if len(heads) != 1 or len(terminators) != 1:
            sys.exit("dlltool's delay-import library for %s has %d head (*_h.o) and %d terminator "
                     "(*_t.o) members, not one of each: %s" % (dll, len(heads), len(terminators),
                                                              " ".join(members)))
        run(ar, "x", "--output=" + work, archive)
        # The head's sections first and the terminator's last, as the import tables need.
        members.sort(key=lambda m: (0 if m in heads else 2 if m in terminators else 1, m))
        run(ld, "-r", "-o", out, *[os.path.join(work, m) for m in members])


if __name__ == "__main__":
    main()
