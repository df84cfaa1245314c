#!/bin/bash
# A certificate given by a path relative to the caller's folder is looked for
# there, not in the folders packaging runs in.
#   certificate_path_test.sh PACKAGE_SH WORK_DIR
set -euo pipefail
package=$1 work=$2
mkdir -p "$work"
cd "$work"
out=$(SIGN_PKCS12=no-such.p12 SIGN_PASSWORD=x bash "$package" 2>&1) && { echo "package.sh went on: $out"; exit 1; }
grep -qxF "package.sh: cannot read the certificate $PWD/no-such.p12" <<<"$out" || { echo "$out"; exit 1; }
