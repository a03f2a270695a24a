#!/usr/bin/env bash
# A throwaway code-signing certificate for trying the signed build, valid for
# two days from now; the tests sign with it. Windows does not trust it: it is
# for seeing the signing work, never for shipping.
#
#   test-certificate.sh FOLDER
#
# writes FOLDER/test.pfx (the PKCS#12 file for SIGN_PFX), FOLDER/password.txt
# (SIGN_PASSWORD_FILE), FOLDER/cert.pem (for osslsigncode verify -CAfile) and
# FOLDER/key.pem.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: test-certificate.sh FOLDER" >&2; exit 2; }
folder=$1
mkdir -p "$folder"
echo "throwaway $$" >"$folder/password.txt"
if ! (openssl req -x509 -newkey rsa:2048 -nodes -keyout "$folder/key.pem" -out "$folder/cert.pem" -days 2 \
  -subj "/CN=Tessel test signing" -addext "extendedKeyUsage=codeSigning" \
  -addext "keyUsage=digitalSignature" &&
  openssl pkcs12 -export -inkey "$folder/key.pem" -in "$folder/cert.pem" -out "$folder/test.pfx" \
    -passout "file:$folder/password.txt") >"$folder/openssl.log" 2>&1; then
  cat "$folder/openssl.log" >&2
  echo "test-certificate.sh: openssl could not make the certificate" >&2
  exit 1
fi
rm -f "$folder/openssl.log"
echo "made $folder/test.pfx (password in $folder/password.txt, certificate $folder/cert.pem)"
