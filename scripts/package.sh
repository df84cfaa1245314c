#!/bin/bash
# Makes what we give to Windows users, in build/package:
#   velora-<version>-setup.exe   the setup program (NSIS)
#   velora-<version>.zip         the programs, README.txt and LICENSE.txt
# Only the shipped programs are built (release build in build/win32).
#
# A signed release (Authenticode, SHA-256): the three programs, the setup
# program and its uninstaller are signed when a code-signing certificate is
# given, and the archive holds the signed programs:
#   SIGN_PKCS12     the certificate with its private key, a PKCS#12 file (.p12/.pfx)
#   SIGN_PASSWORD   its password (read from the environment, never printed)
#   SIGN_TIMESTAMP_URL  optional: an RFC 3161 timestamp server of the
#                   certificate's issuer, so signatures outlive the certificate
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# A certificate named from the caller's folder: signing runs in other folders.
if [ -n "${SIGN_PKCS12:-}" ] && [ "${SIGN_PKCS12#/}" = "$SIGN_PKCS12" ]; then
  export SIGN_PKCS12=$PWD/$SIGN_PKCS12
fi
cd "$root"

if [ -n "${SIGN_PKCS12:-}" ] && [ -n "${SIGN_PASSWORD+set}" ]; then
  [ -r "$SIGN_PKCS12" ] || { echo "package.sh: cannot read the certificate $SIGN_PKCS12" >&2; exit 1; }
  echo "signing with $SIGN_PKCS12${SIGN_TIMESTAMP_URL:+, timestamped by $SIGN_TIMESTAMP_URL}"
elif [ -n "${SIGN_PKCS12:-}" ] || [ -n "${SIGN_PASSWORD+set}" ]; then
  echo "package.sh: signing needs both SIGN_PKCS12 and SIGN_PASSWORD" >&2
  exit 2
else
  echo "no certificate given (SIGN_PKCS12, SIGN_PASSWORD): the release is unsigned"
fi

bash scripts/setup.sh build package
cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build build/win32 -j "$(nproc)" --target shipped_programs
# A failed run must not leave the previous release looking like this one.
rm -rf build/package
cpack --config build/win32/CPackConfig.cmake -B build/package >/dev/null
rm -rf build/package/_CPack_Packages

echo "made in build/package:"
ls -l build/package | awk 'NR > 1 {printf "  %-32s %8d bytes\n", $9, $5}'
echo "programs as shipped:"
unzip -l build/package/velora-*.zip | awk '$4 ~ /\.(scr|exe)$/ {printf "  %-32s %8d bytes\n", $4, $1}'
