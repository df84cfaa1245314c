#!/bin/bash
# Makes the release as its owner would, signed, with a throwaway certificate
# made here: self-signed, so no system trusts it; the tests trust it by name.
#   make_signed.sh CPACK_CONFIG OUTPUT_DIR CERTIFICATE_DIR
# Leaves CERTIFICATE_DIR/signer.pem (the certificate, no key) for the checks.
set -euo pipefail
config=$1 out=$2 certs=$3
rm -rf "$certs"
mkdir -p "$certs"
umask 077
password=$(openssl rand -hex 12)
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Velora throwaway test signer" \
  -addext extendedKeyUsage=codeSigning -keyout "$certs/key.pem" -out "$certs/signer.pem" 2>/dev/null
SIGN_PASSWORD=$password openssl pkcs12 -export -in "$certs/signer.pem" -inkey "$certs/key.pem" \
  -out "$certs/signer.p12" -passout env:SIGN_PASSWORD
rm "$certs/key.pem"

log=$(SIGN_PKCS12=$certs/signer.p12 SIGN_PASSWORD=$password cpack --config "$config" -B "$out" 2>&1) ||
  { echo "$log"; exit 1; }
echo "$log"
# The password shows nowhere: not in what packaging printed, not in its logs.
if grep -qF "$password" <<<"$log" || grep -rqIF "$password" "$out"; then
  echo "the certificate's password was printed or logged" >&2
  exit 1
fi
