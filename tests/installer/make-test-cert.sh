#!/usr/bin/env bash
# A throw-away self-signed code-signing certificate for testing the signed
# setup: DIR/zephal-test.pfx (protected by $ZEPHAL_SIGN_PASSWORD) and
# DIR/zephal-test-cert.pem, the certificate verification must trust.
#   ZEPHAL_SIGN_PASSWORD=... make-test-cert.sh DIR
set -euo pipefail
dir=$1
: "${ZEPHAL_SIGN_PASSWORD:?set ZEPHAL_SIGN_PASSWORD}"
mkdir -p "$dir"
umask 077
openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=Lumora Zephal test signing" \
  -addext "basicConstraints=critical,CA:FALSE" -addext "keyUsage=critical,digitalSignature" \
  -addext "extendedKeyUsage=codeSigning" \
  -keyout "$dir/zephal-test.key" -out "$dir/zephal-test-cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$dir/zephal-test.key" -in "$dir/zephal-test-cert.pem" \
  -out "$dir/zephal-test.pfx" -passout env:ZEPHAL_SIGN_PASSWORD
rm -f "$dir/zephal-test.key"
