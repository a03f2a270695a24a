#!/usr/bin/env bash
# The maker's whole path as the README's "Making and shipping an update"
# tells it, on the demo font pairs: bundle, check, build the win32 updater
# alone with a release's own names and the throwaway certificate, verify the
# signature, pack it. On the way, the mistakes a maker makes must stop the
# configure or the build with a clear message: a mistyped UPDATE_DATA, a
# folder with a patch deleted, a signing time before the certificate.
#
#   maker-path.sh SABUN SOURCE_DIR WORK_DIR
#
# SABUN stands for the README's build/linux-app/tools/sabun. Exits 77 (a
# skip) where the mingw-w64 compilers or the signing tools are missing.
set -uo pipefail
[ $# -eq 3 ] || { echo "usage: maker-path.sh SABUN SOURCE_DIR WORK_DIR" >&2; exit 2; }
sabun=$(realpath "$1")
cd "$2" || exit 2
rm -rf "$3"
mkdir -p "$3"
work=$(realpath "$3")
for tool in i686-w64-mingw32-g++ osslsigncode openssl zip; do
  command -v "$tool" >/dev/null || { echo "maker path: SKIP: $tool is not installed"; exit 77; }
done
fail() {
  echo "maker path: FAIL: $*"
  exit 1
}
step() { echo "== $*"; }
data=$work/update-data
ship=$work/ship
name=tessel_demo_202612
names=(-DTESSEL_EXECUTABLE_NAME=$name -DTESSEL_RELEASE_VERSION=1.1 "-DTESSEL_PROGRAM_NAME=Tessel Demo Font Updater"
  -DSIGN_URL=https://www.example.com/)

step "3. bundle the demo pairs"
"$sabun" bundle resources/demo/fonts.tsv -o "$data" \
  --title "テッセル デモフォントをご利用のお客様は、下記{count}フォントが改訂対象です。" >"$work/bundle.log" 2>&1 ||
  { cat "$work/bundle.log"; fail "sabun bundle"; }
cat "$work/bundle.log"
grep -qF "download names: $data/download-names.txt (4 names" "$work/bundle.log" || fail "bundle does not name its download-names file"

step "4. check the folder"
"$sabun" check "$data" || fail "sabun check refuses the fresh bundle"
iconv -f CP932 -t UTF-8 "$data/update.ini" | grep -qF "下記4フォントが改訂対象です。" || fail "the title's count is not filled in"

step "a mistyped UPDATE_DATA stops the configure"
cmake --preset win32 -B "$work/mistyped" -DTESSEL_BUILD_TESTS=OFF -DUPDATE_DATA="$work/update-dat" \
  -DTESSEL_HOST_SABUN="$sabun" >"$work/mistyped.log" 2>&1 && fail "the configure went on with a mistyped UPDATE_DATA"
# CMake folds long lines of its message.
grep -qF "UPDATE_DATA: no such folder" "$work/mistyped.log" && grep -qF "$work/update-dat" "$work/mistyped.log" ||
  { cat "$work/mistyped.log"; fail "no clear message"; }

step "a folder with a patch deleted stops the build"
cp -r "$data" "$work/spoiled"
rm "$work/spoiled/patches/2003.pa"
cmake --preset win32 -B "$work/spoiled-build" -DTESSEL_BUILD_TESTS=OFF -DUPDATE_DATA="$work/spoiled" \
  -DTESSEL_HOST_SABUN="$sabun" >"$work/spoiled.log" 2>&1 || { cat "$work/spoiled.log"; fail "configure"; }
# The check runs before anything of the updater is built: its target alone.
cmake --build "$work/spoiled-build" --target tessel_202310_update_data_check >>"$work/spoiled.log" 2>&1 &&
  fail "the build went on with patch 2003 deleted"
grep -qF "entry 3 names patches/2003.pa, which is missing or empty" "$work/spoiled.log" ||
  { cat "$work/spoiled.log"; fail "the build does not say why"; }
rm -rf "$work/spoiled-build"

step "6. the signed updater, built alone with the release's names"
bash scripts/test-certificate.sh "$work/test-signing" || fail "no test certificate"
export SOURCE_DATE_EPOCH=$(date +%s)
cmake --preset win32 -B "$ship" -DTESSEL_BUILD_TESTS=OFF \
  -DUPDATE_DATA="$data" -DTESSEL_HOST_SABUN="$sabun" "${names[@]}" \
  -DSIGN_PFX="$work/test-signing/test.pfx" -DSIGN_PASSWORD_FILE="$work/test-signing/password.txt" \
  >"$work/ship.log" 2>&1 || { cat "$work/ship.log"; fail "configure"; }
began=$SECONDS
cmake --build "$ship" --target tessel_202310 -j 2 >>"$work/ship.log" 2>&1 || { tail -n 40 "$work/ship.log"; fail "build"; }
exe=$ship/app/$name.exe
[ -f "$exe" ] || fail "no $exe"
[ -x "$exe" ] || fail "the signed $exe lost its executable bit"
grep -q "sabun check $data" "$work/ship.log" || fail "the build did not check the update data"
echo "   built and signed in $((SECONDS - began)) s: $exe"
# The version resource, the version box and the system menu carry the
# release's names (UTF-16LE strings).
python3 - "$exe" "Tessel Demo Font Updater" "$name.exe" "1.1.0.0" "$name Version 1.1" \
  "Tessel Demo Font Updaterのﾊﾞｰｼﾞｮﾝ情報(&A)..." <<'PY' || fail "the release's names are not in the program"
import sys
data = open(sys.argv[1], "rb").read()
missing = [text for text in sys.argv[2:] if text.encode("utf-16-le") not in data]
for text in missing:
    print("no \"%s\" in %s" % (text, sys.argv[1]))
sys.exit(1 if missing else 0)
PY

step "7. verify, pack"
osslsigncode verify -in "$exe" -CAfile "$work/test-signing/cert.pem" >"$work/verify.log" 2>&1 ||
  { cat "$work/verify.log"; fail "the signature does not verify"; }
grep -qF "Tessel Demo Font Updater" "$work/verify.log" || { cat "$work/verify.log"; fail "the signature does not name the program"; }
sha256sum "$exe"
(cd "$ship/app" && zip -q -9 "$work/$name.zip" "$name.exe") || fail "zip"
echo "   $(stat -c %s "$exe") bytes, zipped $(stat -c %s "$work/$name.zip")"

step "signing at a time before the certificate: a warning, the mode kept"
osslsigncode remove-signature -in "$exe" -out "$work/early.exe" >/dev/null 2>&1 || fail "remove-signature"
chmod 750 "$work/early.exe"
SOURCE_DATE_EPOCH=1000000000 bash scripts/sign.sh "$work/early.exe" "$work/test-signing/test.pfx" \
  "$work/test-signing/password.txt" >"$work/early.log" 2>&1 || { cat "$work/early.log"; fail "sign.sh"; }
grep -qF "warning: the signing time 2001-09-09 01:46:40 UTC lies before the certificate's validity" "$work/early.log" ||
  { cat "$work/early.log"; fail "no warning for a signing time before the certificate"; }
[ "$(stat -c %a "$work/early.exe")" = 750 ] || fail "sign.sh changed the mode to $(stat -c %a "$work/early.exe")"

echo "maker path: PASS"
