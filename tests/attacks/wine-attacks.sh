#!/usr/bin/env bash
# A second Windows process's attack on the updater under Wine, done for real:
# the built updater (with the demo update data) in a fresh Wine prefix and a
# virtual X display, walked by key presses as tests/app/wine-end-to-end.sh
# walks it, and tests/attacks/FolderRename.cpp as the attacker.
#
# 10. The font's folder renamed while the updater holds it. Between the font
#     list and 実行, the attacker first shows what a hold opened as the
#     updater used to open it (FILE_READ_ATTRIBUTES only) is worth: another
#     process renames the folder all the same (and back). Then, at a fixed
#     point rather than a race, it tries the rename while the updater works
#     on the font: it holds the font open sharing reads only, so that the
#     updater's replacement waits for it, tries once the updater's new file
#     stands beside the font, and lets go. The rename must be refused with
#     error 32, the run end with 3010 and the font equal its revision, in its
#     folder, with nothing left beside it.
#
# Also, in the same run: Wine makes the user's Documents a link to the Unix
# home (the Windows side sees a reparse point). A download copy behind it is
# never recorded by the search, which enters no link, and so never deleted:
# an elevated program deletes nothing it reached through a link a user can
# point anywhere. A copy at the same depth in a plain folder is deleted.
#
# One table row per attack is printed, as tests/attacks/attacks.sh prints.
# usage: wine-attacks.sh SOURCE_DIR WORK_DIR UPDATER ATTACKER
set -uo pipefail

display_mode=0
if [ "${1:-}" = "--in-display" ]; then
  display_mode=1
  shift
fi
[ $# -eq 4 ] || { echo "usage: wine-attacks.sh SOURCE_DIR WORK_DIR UPDATER ATTACKER" >&2; exit 2; }
source_dir=$(cd "$1" && pwd)
mkdir -p "$2"
work=$(cd "$2" && pwd)
updater=$3
attacker=$4
demo="$source_dir/resources/demo"
shots="$work/screenshots"
font=TesselDemoSansJP-Bold
font_dir='C:\eve\fonts'
font_path="$font_dir\\$font.otf"
title_main='VELDMARKフォント 改訂プログラム'
title_message='確　認'

fail() {
  echo "FAIL: $*"
  exit 1
}
row() { echo "| $1 | $2 | $3 |"; }

source "$source_dir/scripts/wine-loaders.sh"
source "$source_dir/scripts/wine-prefix.sh"
source "$source_dir/scripts/wine-display.sh"
wine_prefix_environment "$work"
c="$WINEPREFIX/drive_c"

attack() { timeout 60 "$loader" 'C:\run\folder_rename.exe' "$@"; }

in_display() {
  mkdir -p "$shots"
  "$loader" 'C:\run\tessel_202310.exe' >"$work/updater.log" 2>&1 &
  app=$!
  local start main="" deadline
  start=$(wait_window "$title_main" 120) || { stop_program; fail "the start dialog did not open"; }
  press "$start" Return
  wait_gone "$start" 20 || { stop_program; fail "Return did not close the start dialog"; }
  deadline=$((SECONDS + 60))
  while [ -z "$main" ] && [ $SECONDS -lt $deadline ]; do
    main=$(windows_named "$title_main" | grep -vx "$start" | head -1)
    kill -0 "$app" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$main" ] || { stop_program; fail "the font list did not open"; }

  # Before: a hold opened as the updater's used to be holds nothing.
  attack hold-as-before "$font_dir" 30 >"$work/before-hold.log" 2>&1 &
  local holder=$!
  deadline=$((SECONDS + 30))
  until grep -qs holding "$work/before-hold.log"; do
    [ $SECONDS -lt $deadline ] && kill -0 $holder 2>/dev/null ||
      { stop_program; fail "the old hold did not start: $(cat "$work/before-hold.log")"; }
    sleep 0.1
  done
  attack rename "$font_dir" "$font_dir-before" >"$work/before.log" 2>&1
  before=$(tr -d '\r' <"$work/before.log")
  attack rename "$font_dir-before" "$font_dir" >/dev/null 2>&1
  kill $holder 2>/dev/null
  wait $holder 2>/dev/null
  [ -f "$c/eve/fonts/$font.otf" ] || { stop_program; fail "the font's folder did not come back"; }

  # After: the same rename while the updater holds the folder.
  attack while-revised "$font_path" 60 >"$work/after.log" 2>&1 &
  local attacker_pid=$!
  deadline=$((SECONDS + 30))
  until grep -qs "holding the font" "$work/after.log"; do
    [ $SECONDS -lt $deadline ] && kill -0 $attacker_pid 2>/dev/null ||
      { stop_program; fail "the attacker did not start: $(cat "$work/after.log")"; }
    sleep 0.1
  done
  press "$main" Return
  local end
  end=$(wait_window "$title_message" 60) || { stop_program; fail "no end message after 実行"; }
  shoot "$end" end-message
  press "$end" Escape
  wait_exit 30 || { stop_program; fail "the updater did not end after キャンセル"; }
  wait $attacker_pid
  attacker_status=$?
  echo "updater=$app_status attacker=$attacker_status before=$before"
  echo "in-display: done"
}

if [ $display_mode -eq 1 ]; then
  loader=$(wine_loader_for "$updater") || fail "no Wine loader for the updater"
  in_display
  exit 0
fi

for tool in xvfb-run xdotool import wineserver iconv; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed (scripts/install-deps.sh)"
done
why=$(wine_loader_for "$updater" 2>&1 >/dev/null) || { echo "SKIP: the updater cannot run here: $why"; exit 77; }
wine64=$(wine_find_loader wine64) || fail "wine64 is not installed"
wine_make_prefix "$wine64" "$work/wineboot.log" || fail "no fresh Wine prefix"
mkdir -p "$c/run" "$c/eve/fonts"
cp "$updater" "$c/run/tessel_202310.exe"
cp "$attacker" "$c/run/folder_rename.exe"
cp "$demo/installed/$font.otf.installed" "$c/eve/fonts/$font.otf"
user_dir="$c/users/$(wine_prefix_user)"
download='Veldmark/Fonts/Download/add/10001'
rmdir "$user_dir/Documents" && mkdir -p "$work/linked" && ln -s "$work/linked" "$user_dir/Documents" ||
  fail "Documents could not be made a link"
mkdir -p "$(dirname "$work/linked/$download")" "$(dirname "$user_dir/Contacts/$download")"
echo "behind the link" >"$work/linked/$download"
echo "plain folder" >"$user_dir/Contacts/$download"

timeout 200 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --in-display "$source_dir" "$work" "$updater" \
  "$attacker" >"$work/display.log" 2>&1
status=$?
timeout 30 wineserver -k 2>/dev/null
[ "$status" -ne 124 ] || fail "the run did not finish in time: $(cat "$work/display.log")"
[ "$status" -eq 0 ] && grep -qx "in-display: done" "$work/display.log" || fail "$(cat "$work/display.log")"
outcome=$(grep '^updater=' "$work/display.log")
echo "   $outcome"
before=$(tr -d '\r' <"$work/before.log")
after=$(grep '^rename:' "$work/after.log" | tr -d '\r')
[ "$(cut -d' ' -f1 <<<"$outcome")" = "updater=$((3010 % 256))" ] || fail "the run did not end with 3010's low byte"
grep -q '^rename: renamed' <<<"$before" || fail "the old hold kept the folder: $before"
[ "$(cut -d' ' -f2 <<<"$outcome")" = attacker=0 ] || fail "the attacker: $(cat "$work/after.log")"
[ "$after" = "rename: refused (error 32)" ] || fail "the rename while held: $after"
[ ! -e "$c/eve/fonts-moved" ] || fail "the font's folder was renamed"
cmp -s "$c/eve/fonts/$font.otf" "$demo/revised/$font.otf" || fail "the font is not its revision"
[ -z "$(ls "$c/eve/fonts" | grep -v "^$font.otf\$")" ] || fail "files left beside the font: $(ls "$c/eve/fonts")"
[ "$(cat "$work/linked/$download" 2>/dev/null)" = "behind the link" ] ||
  fail "the download copy behind the Documents link was deleted"
[ ! -e "$user_dir/Contacts/$download" ] || fail "the download copy in a plain folder was not deleted"
echo "   the download copy behind the Documents link kept, the one in a plain folder deleted"
row "10 folder renamed while held (Windows)" \
  "a second Windows process renamed the font's folder while the updater worked on the font" \
  "before: the folder held with FILE_READ_ATTRIBUTES only was renamed all the same ($before); after: $after, the font revised in its folder (exit 3010)"
wine_remove_prefix
echo "PASS: every attack failed"
