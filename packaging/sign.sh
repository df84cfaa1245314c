#!/bin/bash
# Signs Windows programs in place with Authenticode (SHA-256) for the release:
#   SIGN_PKCS12=cert.p12 SIGN_PASSWORD=... [SIGN_TIMESTAMP_URL=...] sign.sh FILE...
# The password reaches osslsigncode through a file only this user can read,
# never on a command line, and is never printed. With SIGN_TIMESTAMP_URL a
# timestamp server (RFC 3161) countersigns, so that the signature stays valid
# after the certificate expires.
set -euo pipefail
: "${SIGN_PKCS12:?the certificate (PKCS#12 file)}" "${SIGN_PASSWORD?the password of the certificate}"

umask 077
passfile=$(mktemp)
trap 'rm -f "$passfile" "${partial:-}"' EXIT
printf '%s' "$SIGN_PASSWORD" >"$passfile"

timestamp=()
[ -z "${SIGN_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$SIGN_TIMESTAMP_URL")
for file in "$@"; do
  partial=$file.signing
  rm -f "$partial"
  if ! osslsigncode sign -pkcs12 "$SIGN_PKCS12" -readpass "$passfile" -h sha256 \
       -n "Velora Screen Savers" "${timestamp[@]}" -in "$file" -out "$partial" >/dev/null; then
    echo "sign.sh: cannot sign $file" >&2
    exit 1
  fi
  # Keep the file's mode (the build's programs are executable).
  chmod --reference="$file" "$partial"
  mv "$partial" "$file"
done
