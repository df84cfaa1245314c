#!/bin/bash
# Makes what we give to Windows users, in build/package, for each of the two
# architectures (x64: 64-bit Windows; x86: 32-bit Windows):
#   velora-<version>-<arch>-setup.exe   the setup program (NSIS)
#   velora-<version>-<arch>.zip         the programs, README.txt and LICENSE.txt
# Only the shipped programs are built (release builds in build/win64 and build/win32).
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
# A failed run must not leave the previous release looking like this one.
rm -rf build/package
for tree in win64 win32; do
  bash scripts/build.sh --target shipped_programs "$tree"
  cpack --config "build/$tree/CPackConfig.cmake" -B build/package >/dev/null
done
rm -rf build/package/_CPack_Packages

echo "made in build/package:"
ls -l build/package | awk 'NR > 1 {printf "  %-32s %8d bytes\n", $9, $5}'
echo "programs as shipped:"
for archive in build/package/velora-*.zip; do
  arch=${archive%.zip}
  unzip -l "$archive" | awk -v arch="${arch##*-}" '$4 ~ /\.(scr|exe)$/ {printf "  %-4s %-27s %8d bytes\n", arch, $4, $1}'
done
