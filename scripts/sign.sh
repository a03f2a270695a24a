#!/usr/bin/env bash
# Signs a Windows program in place with Authenticode (SHA-256) through
# osslsigncode, naming the program and the maker's address in the signature
# as the UAC prompt and the file's properties show them.
#
#   sign.sh PROGRAM.exe CERTIFICATE.pfx PASSWORD_FILE
#
#   SIGN_TIMESTAMP_URL  a time-stamp server (RFC 3161); without it the
#                       signature carries no counter-signature and the build
#                       needs no network
#   SIGN_URL            the maker's address (default https://veldmark.example/)
#   SOURCE_DATE_EPOCH   the signing time (seconds since 1970); with the same
#                       certificate, program and time the signature comes out
#                       byte for byte the same (RSA PKCS#1 v1.5 signatures
#                       are deterministic). Without it, the current time.
#
# The build runs it after linking when SIGN_PFX and SIGN_PASSWORD_FILE are
# given to CMake. The password file holds the password alone, on one line.
set -euo pipefail

[ $# -eq 3 ] || { echo "usage: sign.sh PROGRAM.exe CERTIFICATE.pfx PASSWORD_FILE" >&2; exit 2; }
program=$1
pfx=$2
password_file=$3
for file in "$program" "$pfx" "$password_file"; do
  [ -f "$file" ] || { echo "sign.sh: no such file: $file" >&2; exit 2; }
done
command -v osslsigncode >/dev/null || { echo "sign.sh: osslsigncode is not installed (apt-get install osslsigncode)" >&2; exit 2; }

options=(-pkcs12 "$pfx" -readpass "$password_file" -h sha256
  -n "VELDMARK Font Updater2023" -i "${SIGN_URL:-https://veldmark.example/}")
[ -z "${SIGN_TIMESTAMP_URL:-}" ] || options+=(-ts "$SIGN_TIMESTAMP_URL")
[ -z "${SOURCE_DATE_EPOCH:-}" ] || options+=(-time "$SOURCE_DATE_EPOCH")

signed="$program.signing"
rm -f "$signed"
if ! osslsigncode sign "${options[@]}" -in "$program" -out "$signed" >"$signed.log" 2>&1; then
  cat "$signed.log" >&2
  rm -f "$signed" "$signed.log"
  echo "sign.sh: $program could not be signed" >&2
  exit 1
fi
rm -f "$signed.log"
mv -f "$signed" "$program"
echo "signed $program (SHA-256 $(sha256sum "$program" | cut -d' ' -f1))"
