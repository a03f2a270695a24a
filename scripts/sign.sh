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
#   SIGN_PROGRAM_NAME   the program's name in the signature (default "VELDMARK
#                       Font Updater2023"; the build gives TESSEL_PROGRAM_NAME)
#   SOURCE_DATE_EPOCH   the signing time (seconds since 1970); with the same
#                       certificate, program and time the signature comes out
#                       byte for byte the same (RSA PKCS#1 v1.5 signatures
#                       are deterministic). Without it, the current time.
#
# The build runs it after linking when SIGN_PFX and SIGN_PASSWORD_FILE are
# given to CMake. The password file holds the password alone, on one line.
# The signed file keeps the program's permission bits. A signing time outside
# the certificate's validity gives a warning: Windows would not trust the
# signature (a commit's time, taken for SOURCE_DATE_EPOCH, can lie before a
# certificate made since).
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
  -n "${SIGN_PROGRAM_NAME:-VELDMARK Font Updater2023}" -i "${SIGN_URL:-https://veldmark.example/}")
[ -z "${SIGN_TIMESTAMP_URL:-}" ] || options+=(-ts "$SIGN_TIMESTAMP_URL")
[ -z "${SOURCE_DATE_EPOCH:-}" ] || options+=(-time "$SOURCE_DATE_EPOCH")

# The certificate's validity against the signing time.
signing_time=${SOURCE_DATE_EPOCH:-$(date +%s)}
if command -v openssl >/dev/null &&
  dates=$(openssl pkcs12 -in "$pfx" -passin "file:$password_file" -nokeys -clcerts 2>/dev/null |
    openssl x509 -noout -startdate -enddate 2>/dev/null); then
  not_before=$(date -d "$(sed -n 's/^notBefore=//p' <<<"$dates")" +%s 2>/dev/null || echo "")
  not_after=$(date -d "$(sed -n 's/^notAfter=//p' <<<"$dates")" +%s 2>/dev/null || echo "")
  when=$(date -u -d "@$signing_time" '+%Y-%m-%d %H:%M:%S UTC')
  if [ -n "$not_before" ] && [ "$signing_time" -lt "$not_before" ]; then
    echo "sign.sh: warning: the signing time $when lies before the certificate's validity" \
      "($(sed -n 's/^notBefore=//p' <<<"$dates")); Windows will not trust this signature." \
      "Set SOURCE_DATE_EPOCH to a time within it." >&2
  elif [ -n "$not_after" ] && [ "$signing_time" -gt "$not_after" ]; then
    echo "sign.sh: warning: the signing time $when lies after the certificate's validity" \
      "($(sed -n 's/^notAfter=//p' <<<"$dates")); Windows will not trust this signature." >&2
  fi
fi

signed="$program.signing"
rm -f "$signed"
if ! osslsigncode sign "${options[@]}" -in "$program" -out "$signed" >"$signed.log" 2>&1; then
  cat "$signed.log" >&2
  rm -f "$signed" "$signed.log"
  echo "sign.sh: $program could not be signed" >&2
  exit 1
fi
rm -f "$signed.log"
chmod --reference="$program" "$signed"
mv -f "$signed" "$program"
echo "signed $program (SHA-256 $(sha256sum "$program" | cut -d' ' -f1))"
