#!/bin/bash
# Configures and builds the named trees, by default native, win32 and win64:
#   native    build/native: portable code and its unit tests (host compiler)
#   win32     build/win32: the x86 Windows programs and their Win32 tests (MinGW)
#   win64     build/win64: the same for x64
#   sanitize  build/sanitize: the portable code, its unit tests and the fuzz
#             targets with clang under AddressSanitizer and UBSan
#   bash scripts/build.sh [--target NAME]... [native] [win32] [win64] [sanitize]
# With --target only the named targets are built (e.g. velora for velora.scr
# alone, without the test programs).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=$(nproc)

targets=()
trees=()
while (($#)); do
  case $1 in
    --target) targets+=(--target "${2:?--target needs a name}"); shift 2 ;;
    *) trees+=("$1"); shift ;;
  esac
done

configure() {  # tree, cmake arguments...
  local tree=$1
  shift
  cmake -S . -B "build/$tree" -G Ninja "$@" >/dev/null
  cmake --build "build/$tree" -j "$jobs" "${targets[@]}"
}

((${#trees[@]})) || trees=(native win32 win64)
for tree in "${trees[@]}"; do
  case $tree in
    native) configure native -DCMAKE_BUILD_TYPE=Release ;;
    win32) configure win32 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" ;;
    win64) configure win64 -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" ;;
    sanitize) configure sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELORA_SANITIZE=ON \
                -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 ;;
    *) echo "build.sh: unknown tree $tree" >&2; exit 2 ;;
  esac
done
