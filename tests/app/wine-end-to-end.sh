#!/usr/bin/env bash
# The updater run for real under Wine, in a virtual X display, walked through
# its dialogs by key presses as a person would. PRESET names the Windows
# build: win32, the shipped i686 build, which runs under WoW64; or win64,
# where this kernel cannot execute 32-bit programs.
#
#   1. update data made from the demo font pairs with the Linux `sabun bundle`,
#      and an updater built with it (build/PRESET-e2e, the updater only),
#      signed with a throwaway certificate: the signature must verify, a copy
#      with one byte changed must not, and a second build in another folder
#      (build/PRESET-e2e-again) must give the same bytes;
#   2. a fresh 64-bit Wine prefix with the old fonts in C:\windows\Fonts
#      (reachable a second time through the linked folder C:\FontsLink) and
#      in the user's font folder, a download copy in the maker's download
#      folder, a font cache file in system32 and (where the prefix has one)
#      in syswow64, and no Z: drive, so that the search walks only C:;
#   3. the run: Return at the start dialog (次へ), the version box from the
#      font list's system menu, Return at the font list (実行), Escape at the
#      restart offer (キャンセル), with a screenshot of every dialog; then
#      every font must equal its revision byte for byte, the download copy
#      must be gone, and the font cache file deleted from system32 (the
#      64-bit system folder, which a 32-bit program reaches with the file
#      system redirection turned off) but not from syswow64;
#   4. one copy at a time: a second copy started while the first shows its
#      start dialog ends at once without a window and with status 1618; the
#      first then stops through 中止 and はい, with 1602;
#   5. a Western European system (LC_ALL=en_US.UTF-8: ANSI code page 1252):
#      one more old font lies in "C:\Polices Café", a name code page 932
#      cannot carry, so the runs above never saw it; now the font list shows
#      its path (screenshot font-list-cp1252.png) and the run revises it;
#   6. the same program deployed as a deployment tool does it, started by a
#      service with no window (tests/app/wine-deployed.sh).
#
# The exit statuses are Windows Installer's (3010 revised, 1602 stopped,
# 1618 another copy); the Unix side of Wine sees their low byte.
# Usage: wine-end-to-end.sh SOURCE_DIR WORK_DIR PRESET [SABUN]
# SABUN defaults to the Linux build's, SOURCE_DIR/build/linux/tools/sabun.
# Screenshots go to WORK_DIR/screenshots. Prints "wine end-to-end: PASS" or
# "wine end-to-end: FAIL: <reason>" and exits non-zero on failure. Every wait
# has a time limit.
set -uo pipefail

display_mode=0
if [ "${1:-}" = "--in-display" ]; then
  display_mode=1
  shift
fi
[ $# -ge 3 ] || { echo "usage: wine-end-to-end.sh SOURCE_DIR WORK_DIR PRESET [SABUN]" >&2; exit 2; }
source_dir=$(cd "$1" && pwd)
work=$2
preset=$3
sabun=${4:-$source_dir/build/linux/tools/sabun}
case "$preset" in
  win32) program_dir='C:\Program Files (x86)\Veldmark' ;;
  win64) program_dir='C:\Program Files\Veldmark' ;;
  *) echo "wine-end-to-end: PRESET is win32 or win64, not $preset" >&2; exit 2 ;;
esac
mkdir -p "$work"
work=$(cd "$work" && pwd)

prefix="$work/wineprefix"
shots="$work/screenshots"
program="$program_dir\\tessel_202310.exe"
demo="$source_dir/resources/demo"

title_main='VELDMARKフォント 改訂プログラム'
title_wait='検索中'
title_progress='フォントを改訂中'
title_message='確　認'
title_about='VELDMARKフォント Updaterのﾊﾞｰｼﾞｮﾝ情報'

fail() {
  echo "wine end-to-end: FAIL: $*"
  exit 1
}
# Each step with the seconds its part of the script has taken so far.
step() { echo "-- $* [${SECONDS} s]"; }

source "$source_dir/scripts/wine-loaders.sh"
source "$source_dir/scripts/wine-prefix.sh"
wine_prefix_environment "$work"

# Where each font of the demo is installed in the prefix (drive_c relative),
# and the revision it must equal afterwards.
user_fonts() { echo "users/$(wine_prefix_user)/AppData/Local/Microsoft/Windows/Fonts"; }
installed_fonts() {
  echo "windows/Fonts/TesselDemoSansJP-Regular.otf TesselDemoSansJP-Regular"
  echo "windows/Fonts/TesselDemoSansJP-Bold.otf TesselDemoSansJP-Bold"
  echo "windows/Fonts/TesselDemoSerifJP-Regular.otf TesselDemoSerifJP-Regular"
  echo "$(user_fonts)/TesselDemoSerifJP-Bold.otf TesselDemoSerifJP-Bold"
  # A second copy the way Windows names one installed twice: the search
  # takes a name with two more characters.
  echo "$(user_fonts)/TesselDemoSansJP-Regular_0.otf TesselDemoSansJP-Regular"
}
download_copy="ProgramData/Veldmark/Fonts/Download/add/10001"
# Found only where the ANSI code page has "é".
western_font="Polices Café/TesselDemoSerifJP-Regular.otf"
western_stem=TesselDemoSerifJP-Regular

# --- inside the virtual display -------------------------------------------

source "$source_dir/scripts/wine-display.sh"

in_display() {
  mkdir -p "$shots"
  rm -f "$shots"/*.png

  step "run 1: the whole update"
  "$loader" "$program" >"$work/run1.log" 2>&1 &
  app=$!
  # The first program in a fresh prefix may wait a while for Wine's scan of
  # the system fonts.
  start=$(wait_window "$title_main" 180) || { stop_program; fail "the start dialog did not open"; }
  step "the start dialog is open"
  focus "$start"
  shoot "$start" start-dialog || { stop_program; fail "no screenshot of the start dialog"; }
  press "$start" Return
  wait_gone "$start" 20 || { stop_program; fail "Return did not close the start dialog"; }

  # The search runs under the wait dialog; it may be over before it is seen.
  local main="" wait_shot=0 deadline=$((SECONDS + 60)) id
  while [ -z "$main" ] && [ $SECONDS -lt $deadline ]; do
    if [ $wait_shot -eq 0 ]; then
      id=$(windows_named "$title_wait" | head -1)
      if [ -n "$id" ] && timeout 20 import -window "$id" "$shots/wait-dialog.png" 2>/dev/null; then wait_shot=1; fi
    fi
    main=$(windows_named "$title_main" | grep -vx "$start" | head -1)
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$main" ] || { stop_program; fail "the font list did not open after the search"; }
  [ $wait_shot -eq 1 ] || echo "   (the search ended before the wait dialog could be captured)"
  focus "$main"
  shoot "$main" font-list || { stop_program; fail "no screenshot of the font list"; }
  # The system menu's last item, the version box; OK closes it.
  press "$main" alt+space
  sleep 0.5
  timeout 10 xdotool key Up
  timeout 10 xdotool key Return
  about=$(wait_window "$title_about" 20) || { stop_program; fail "the system menu did not open the version box"; }
  shoot "$about" about-box || { stop_program; fail "no screenshot of the version box"; }
  press "$about" Return
  wait_gone "$about" 20 || { stop_program; fail "OK did not close the version box"; }
  press "$main" Return

  progress=$(wait_window "$title_progress" 30) || { stop_program; fail "the progress dialog did not open"; }
  shoot "$progress" progress-dialog || { stop_program; fail "no screenshot of the progress dialog"; }

  end=$(wait_window "$title_message" 60) || { stop_program; fail "no end message after the update run"; }
  focus "$end"
  shoot "$end" end-message || { stop_program; fail "no screenshot of the end message"; }
  press "$end" Escape
  wait_exit 30 || { stop_program; fail "the program did not end after キャンセル"; }
  [ "$app_status" -eq $((3010 % 256)) ] ||
    fail "the program ended with status $app_status, not 3010's low byte (every font revised)"
  timeout 30 wineserver -w

  step "run 2: one copy at a time"
  "$loader" "$program" >"$work/run2.log" 2>&1 &
  app=$!
  first=$app
  start=$(wait_window "$title_main" 60) || { stop_program; fail "run 2: the start dialog did not open"; }
  local before after
  before=$(timeout 10 xdotool search --onlyvisible --name . 2>/dev/null | sort | tr '\n' ' ')
  timeout 30 "$loader" "$program" >"$work/run2-second.log" 2>&1
  second_status=$?
  after=$(timeout 10 xdotool search --onlyvisible --name . 2>/dev/null | sort | tr '\n' ' ')
  [ "$second_status" -ne 124 ] || { stop_program; fail "the second copy did not end by itself"; }
  # 1618: another copy runs, not a completed run (3010) nor a stopped one (1602).
  [ "$second_status" -eq $((1618 % 256)) ] ||
    { stop_program; fail "the second copy ended with status $second_status, not 1618's low byte"; }
  [ "$before" = "$after" ] || { stop_program; fail "the second copy changed the windows on screen ($before / $after)"; }
  kill -0 "$first" 2>/dev/null || fail "the first copy ended when the second started"
  # 中止 (Esc) asks first; はい (Return) ends the program.
  press "$start" Escape
  question=$(wait_window "$title_message" 20) || { stop_program; fail "Esc at the start dialog asked nothing"; }
  focus "$question"
  shoot "$question" stop-question || { stop_program; fail "no screenshot of the stop question"; }
  press "$question" Return
  wait_exit 30 || { stop_program; fail "はい did not end the program"; }
  [ "$app_status" -eq $((1602 % 256)) ] || fail "a stopped program ended with status $app_status, not 1602's low byte"
  timeout 30 wineserver -w

  step "run 3: code page 1252"
  cmp -s "$prefix/drive_c/$western_font" "$demo/installed/$western_stem.otf.installed" ||
    fail "C:/$western_font changed under code page 932, which cannot name its folder"
  LC_ALL=en_US.UTF-8 "$loader" "$program" >"$work/run3.log" 2>&1 &
  app=$!
  start=$(wait_window "$title_main" 60) || { stop_program; fail "run 3: the start dialog did not open"; }
  press "$start" Return
  wait_gone "$start" 20 || { stop_program; fail "run 3: Return did not close the start dialog"; }
  main=""
  deadline=$((SECONDS + 60))
  while [ -z "$main" ] && [ $SECONDS -lt $deadline ]; do
    main=$(windows_named "$title_main" | grep -vx "$start" | head -1)
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$main" ] || { stop_program; fail "run 3: the font list did not open"; }
  focus "$main"
  shoot "$main" font-list-cp1252 || { stop_program; fail "no screenshot of the font list under code page 1252"; }
  press "$main" Return
  end=$(wait_window "$title_message" 60) || { stop_program; fail "run 3: no end message"; }
  press "$end" Escape
  wait_exit 30 || { stop_program; fail "run 3: the program did not end after キャンセル"; }
  [ "$app_status" -eq $((3010 % 256)) ] || fail "run 3 ended with status $app_status, not 3010's low byte"
  timeout 30 wineserver -w
  echo "in-display: done"
}

wine64=$(wine_find_loader wine64) || fail "wine64 is not installed (scripts/install-deps.sh)"

if [ $display_mode -eq 1 ]; then
  loader=$(wine_loader_for "$source_dir/build/$preset-e2e/app/tessel_202310.exe") || fail "no Wine loader for the updater"
  in_display
  exit 0
fi

# --- outside: data, build, prefix, run, checks ------------------------------

began=$SECONDS
for tool in xvfb-run xdotool import wineserver cmake iconv openssl osslsigncode; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed (scripts/install-deps.sh)"
done
for locale_name in ja_JP en_US; do
  locale -a 2>/dev/null | grep -qix "$locale_name\.utf-\?8" || fail "no $locale_name.UTF-8 locale (scripts/install-deps.sh)"
done
[ -x "$sabun" ] || fail "no sabun at $sabun: build the linux preset first"

step "update data from the demo font pairs"
data="$work/update-data"
rm -rf "$data"
"$sabun" bundle "$demo/fonts.tsv" -o "$data" \
  --title "テッセル デモフォントをご利用のお客様は、下記4フォントが改訂対象です。" >"$work/bundle.log" 2>&1 ||
  { cat "$work/bundle.log"; fail "sabun bundle failed"; }

step "a throwaway code-signing certificate"
signing="$work/signing"
rm -rf "$signing"
mkdir -p "$signing"
bash "$source_dir/scripts/test-certificate.sh" "$signing" >"$work/certificate.log" 2>&1 ||
  { cat "$work/certificate.log"; fail "openssl could not make the certificate"; }
# The signing time, the same for both builds below.
export SOURCE_DATE_EPOCH=$(date +%s)

# Builds the signed updater with that data in the clean folder $1.
build_updater() {
  rm -rf "$1"
  (cd "$source_dir" &&
    cmake --preset "$preset" -B "$1" -DUPDATE_DATA="$data" -DTESSEL_BUILD_TESTS=OFF -DTESSEL_HOST_SABUN="$sabun" \
      -DSIGN_PFX="$signing/test.pfx" -DSIGN_PASSWORD_FILE="$signing/password.txt" >"$2.configure.log" 2>&1 &&
    cmake --build "$1" --target tessel_202310 -j 2 >"$2.build.log" 2>&1) ||
    { tail -n 30 "$2.configure.log" "$2.build.log"; fail "the updater did not build in $1"; }
  [ -f "$1/app/tessel_202310.exe" ] || fail "no $1/app/tessel_202310.exe"
}

step "the signed updater with that data (build/$preset-e2e)"
build="$source_dir/build/$preset-e2e"
build_updater "$build" "$work/first"
exe="$build/app/tessel_202310.exe"
why=$(wine_loader_for "$exe" 2>&1 >/dev/null) || fail "the $preset updater cannot run here: $why"
osslsigncode verify -in "$exe" -CAfile "$signing/cert.pem" >"$work/verify.log" 2>&1 ||
  { cat "$work/verify.log"; fail "the signature of the updater does not verify"; }
tampered="$work/tampered.exe"
cp "$exe" "$tampered"
middle=$(($(stat -c %s "$tampered") / 2))
byte=$(od -An -tu1 -j"$middle" -N1 "$tampered" | tr -d ' ')
printf "$(printf '\\%03o' $((byte ^ 1)))" | dd of="$tampered" bs=1 seek="$middle" conv=notrunc 2>/dev/null
! osslsigncode verify -in "$tampered" -CAfile "$signing/cert.pem" >"$work/verify-tampered.log" 2>&1 ||
  fail "a copy with byte $middle changed still verifies"

step "the same updater built again elsewhere (build/$preset-e2e-again)"
again="$source_dir/build/$preset-e2e-again"
build_updater "$again" "$work/again"
cmp -s "$exe" "$again/app/tessel_202310.exe" ||
  fail "two builds of the updater differ: $(cmp "$exe" "$again/app/tessel_202310.exe")"
echo "   the same bytes, signature included: SHA-256 $(sha256sum "$exe" | cut -d' ' -f1)"
rm -rf "$again"

step "a fresh Wine prefix"
wine_make_prefix "$wine64" "$work/wineboot.log" || fail "no fresh Wine prefix"
c="$prefix/drive_c"
if [ "$preset" = win32 ]; then
  [ -f "$c/windows/syswow64/kernel32.dll" ] || fail "the prefix has no 32-bit system folder: the i686 build cannot run under WoW64"
fi

program_folder="$c/$(echo "${program_dir#C:\\}" | tr '\\' /)"
mkdir -p "$c/$(user_fonts)" "$(dirname "$c/$download_copy")" "$program_folder"
while read -r path stem; do
  cp "$demo/installed/$stem.otf.installed" "$c/$path"
done < <(installed_fonts)
mkdir -p "$(dirname "$c/$western_font")"
cp "$demo/installed/$western_stem.otf.installed" "$c/$western_font"
# A second way to the system's fonts, as a user's link or junction to
# C:\windows\Fonts would be: every font must still be listed and revised
# once. Wine shows a Unix link to a folder as a plain folder (cmd's dir says
# <DIR>, not <SYMLINKD> or <JUNCTION>); a font met there again has the same
# volume serial number and file index.
ln -s windows/Fonts "$c/FontsLink"
cp "$demo/installed/TesselDemoSansJP-Regular.otf.installed" "$c/$download_copy"
echo "font cache, 64-bit system folder" >"$c/windows/system32/fntcache.dat"
[ ! -d "$c/windows/syswow64" ] || echo "font cache, 32-bit system folder" >"$c/windows/syswow64/fntcache.dat"
cp "$exe" "$program_folder/"

step "the dialogs, in a virtual X display"
timeout 400 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --in-display "$source_dir" "$work" "$preset" "$sabun" |
  tee "$work/display.log"
status=${PIPESTATUS[0]}
timeout 30 wineserver -k 2>/dev/null
[ "$status" -ne 124 ] || fail "the dialogs did not finish in time"
[ "$status" -eq 0 ] || exit 1
grep -qx "in-display: done" "$work/display.log" || fail "the run in the display stopped early"

step "the results"
while read -r path stem; do
  cmp -s "$c/$path" "$demo/revised/$stem.otf" || fail "C:/$path is not its revision"
done < <(installed_fonts)
cmp -s "$c/$western_font" "$demo/revised/$western_stem.otf" || fail "C:/$western_font is not its revision"
[ ! -e "$c/$download_copy" ] || fail "the download copy C:/$download_copy is still there"
[ ! -e "$c/windows/system32/fntcache.dat" ] || fail "fntcache.dat is still in system32"
[ ! -d "$c/windows/syswow64" ] || [ -e "$c/windows/syswow64/fntcache.dat" ] ||
  fail "fntcache.dat was deleted from syswow64, not only from system32"
for shot in start-dialog font-list progress-dialog end-message font-list-cp1252; do
  [ -s "$shots/$shot.png" ] || fail "no screenshot $shot.png"
done

step "deployed: started by a service, with no window"
bash "$source_dir/tests/app/wine-deployed.sh" "$source_dir" "$work" "$preset" || exit 1
wine_remove_prefix

echo "wine end-to-end: PASS ($preset build, $(($(installed_fonts | wc -l) + 1)) fonts revised, then deployed by a service; $((SECONDS - began)) s; screenshots in $shots)"
