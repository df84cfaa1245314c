#!/usr/bin/env python3
"""Makes one object file that imports a DLL's functions with delayed loading:
the DLL is loaded when the program first calls one of them.

    delay_object.py NM DLLTOOL AR LD IMPORT_LIBRARY DLL OUT.o LIBRARY...

It offers the functions of that DLL, as MinGW's import library offers them,
that the given libraries of the program call.
Each function member of a dlltool-made import library refers to the head
member of its DLL and defines the function's import slot; one import library
may offer several DLLs (libvfw32.a offers three). The names differ by target:
32-bit symbols carry a leading underscore (__head_lib32_lib<dll>_a,
__imp__<function>), 64-bit ones do not (_head_lib64_lib<dll>_a,
__imp_<function>); the head's name tells which.

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
    """The DLL's functions the library offers, and the target's symbol prefix."""
    base = re.escape(dll.lower().rsplit(".", 1)[0])
    head = re.compile(r"(_?)_head_.*lib%s_a$" % base)
    prefix = None
    members = {}  # member -> [refers to the DLL's head, import slots it defines]
    for line in run(nm, "-A", "-P", library).splitlines():
        member, _, rest = line.partition(": ")
        fields = rest.split()
        if len(fields) < 2:
            continue
        symbol, kind = fields[0], fields[1]
        entry = members.setdefault(member, [False, []])
        found = head.match(symbol) if kind == "U" else None
        if found:
            entry[0] = True
            prefix = found.group(1)
        elif kind == "I" and symbol.startswith("__imp_"):
            entry[1].append(symbol)
    if prefix is None:
        return [], ""
    slot = "__imp_" + prefix
    names = {s[len(slot):] for ours, slots in members.values() if ours for s in slots
             if s.startswith(slot)}
    return sorted(names), prefix


def called_by(nm, libraries, prefix):
    """Functions the libraries call, through the import table or directly."""
    slot = "__imp_" + prefix
    called = set()
    for library in libraries:
        for line in run(nm, "-A", "-P", "-u", library).splitlines():
            fields = line.partition(": ")[2].split()
            if fields and fields[0].startswith(slot):
                called.add(fields[0][len(slot):])
            elif fields and fields[0].startswith(prefix):
                called.add(fields[0][len(prefix):])
    return called


def main():
    if len(sys.argv) < 9:
        sys.exit(__doc__)
    nm, dlltool, ar, ld, library, dll, out = sys.argv[1:8]
    offered, prefix = functions_of(nm, library, dll)
    if not offered:
        sys.exit("%s offers no functions of %s" % (library, dll))
    called = called_by(nm, sys.argv[8:], prefix)
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
