#!/bin/bash
# Makes what we give to Windows users, in build/package:
#   velora-<version>-setup.exe   the setup program (NSIS)
#   velora-<version>.zip         the programs, README.txt and LICENSE.txt
# Only the shipped programs are built (release build in build/win32).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/setup.sh
cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/win32 -j "$(nproc)" --target shipped_programs
cpack --config build/win32/CPackConfig.cmake -B build/package >/dev/null
rm -rf build/package/_CPack_Packages

echo "made in build/package:"
ls -l build/package | awk 'NR > 1 {printf "  %-32s %8d bytes\n", $9, $5}'
echo "programs as shipped:"
unzip -l build/package/velora-*.zip | awk '$4 ~ /\.(scr|exe)$/ {printf "  %-32s %8d bytes\n", $4, $1}'
