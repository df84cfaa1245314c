#!/bin/bash
# What this machine can run under Wine, for the scripts that start Windows
# programs (sourced). Every machine runs the x64 programs through 64-bit Wine;
# the x86 programs also need a kernel that runs 32-bit code, which some do not
# (their kernel log says "IA-32 emulation off"): there no i386 program starts,
# Wine's 32-bit loader included.
#   runs_32bit        true when an i386 Linux program runs here
#   wine_arches       the Windows architectures whose programs run here: "x64" or "x64 x86"
#   windows_tree ARCH the build tree of ARCH's programs: build/win64 or build/win32
#   wine_loader ARCH  the Wine loader for ARCH's programs

runs_32bit() {
  local probe status
  probe=$(mktemp)
  # An i386 program that only exits with status 0 (as, ld -m elf_i386 -s).
  base64 -d >"$probe" <<'ELF'
f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAABwAAAAAAAAADQAIAABACgAAwACAAEAAABUAAAAVIAECFSABAgJAAAACQAAAAcAAAABAAAAuAEAAAAx282AAC5zaHN0cnRhYgAudGV4dAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAALAAAAAQAAAAcAAABUgAQIVAAAAAkAAAAAAAAAAAAAAAEAAAAAAAAAAQAAAAMAAAAAAAAAAAAAAF0AAAARAAAAAAAAAAAAAAABAAAAAAAAAA==
ELF
  chmod +x "$probe"
  "$probe" 2>/dev/null
  status=$?
  rm -f "$probe"
  return "$status"
}

wine_arches() {
  if runs_32bit; then echo "x64 x86"; else echo x64; fi
}

windows_tree() {
  case $1 in
    x64) echo build/win64 ;;
    x86) echo build/win32 ;;
    *) echo "windows_tree: unknown architecture $1" >&2; return 2 ;;
  esac
}

# Debian's `wine` takes the 32-bit loader whenever its file exists, even where
# it cannot run: the bench calls each loader by its own path.
wine_loader() {
  case $1 in
    x64) echo /usr/lib/wine/wine64 ;;
    x86) echo /usr/lib/wine/wine ;;
    *) echo "wine_loader: unknown architecture $1" >&2; return 2 ;;
  esac
}
