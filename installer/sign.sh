#!/usr/bin/env bash
# Signs one Windows program in place with Authenticode (SHA-256), for the
# installer target and NSIS's !finalize / !uninstfinalize.
#   ZEPHAL_SIGN_PASSWORD=... sign.sh CERT.pfx FILE
# The password comes from the environment and reaches osslsigncode through a
# private temporary file, so it shows in no command line or build log.
# No timestamp: no time-stamping server is reachable from the build machines.
# With one, add `-ts <url>` to the osslsigncode call below; a timestamped
# signature stays valid after the certificate expires.
set -euo pipefail
pfx=$1 file=$2
if [ -z "${ZEPHAL_SIGN_PASSWORD+set}" ]; then
  echo "sign.sh: ZEPHAL_SIGN_PASSWORD is not set (the password of $pfx)" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 700 "$work"
(umask 077 && printf '%s' "$ZEPHAL_SIGN_PASSWORD" >"$work/pass")
# The signature records its signing time; SOURCE_DATE_EPOCH fixes it, so a
# signed build can be reproduced too.
when=(); [ -n "${SOURCE_DATE_EPOCH:-}" ] && when=(-time "$SOURCE_DATE_EPOCH")
osslsigncode sign -pkcs12 "$pfx" -readpass "$work/pass" -h sha256 "${when[@]}" \
  -n "Lumora Zephal" -in "$file" -out "$work/signed" >"$work/log" 2>&1 ||
  { cat "$work/log" >&2; echo "sign.sh: signing $file failed" >&2; exit 1; }
# Replaced in one step: the build never sees a half-written program.
cp "$work/signed" "$file.signed"
chmod --reference="$file" "$file.signed"
mv -f "$file.signed" "$file"
