#!/usr/bin/env bash
# Real fonts as they are made today, through the whole way a maker takes:
# the pairs of bench/real-fonts/make-pairs.py (Inter with Windows name records
# only, Inter adding 'STAT', a Noto Sans CJK face out of its .ttc, Linux
# Libertine dropping 'FFTM'), each through `sabun make` (which must find the
# updater's build byte for byte the revised font), then `sabun bundle`, an
# updater built with that data, and its real run:
#
#   linux: the Linux updater in tmux, as root in mount and PID namespaces of
#          its own where only this test's fonts can be found (as
#          tests/app/terminal-run.sh does): 次へ, the font list with the four
#          fonts, 実行, the end message, Esc; status 0;
#   wine:  the Windows build PRESET (win32 or win64) in a fresh Wine prefix in
#          a virtual display, the fonts in C:\windows\Fonts: Return, Return,
#          Escape at the restart offer; status 3010 (every font revised, the
#          restart declined), of which the Unix side sees the low byte.
#
# Then every font must equal its revision byte for byte. The pairs are made
# once into SOURCE_DIR/build/real-fonts (about a minute) and kept there.
# Each pair's patch size is printed beside xdelta3 -e -9 and zstd -19
# --patch-from of the same pair.
#
# usage: real-pairs.sh linux SOURCE_DIR WORK_DIR SABUN
#        real-pairs.sh wine SOURCE_DIR WORK_DIR SABUN PRESET
set -uo pipefail

display_mode=0
if [ "${1:-}" = "--in-display" ]; then
  display_mode=1
  shift
fi
[ $# -ge 4 ] || { echo "usage: real-pairs.sh linux|wine SOURCE_DIR WORK_DIR SABUN [PRESET]" >&2; exit 2; }
mode=$1
source_dir=$(cd "$2" && pwd)
mkdir -p "$3"
work=$(cd "$3" && pwd)
sabun=$4
preset=${5:-win32}
pairs="$source_dir/build/real-fonts"
fonts=(Inter-Regular.otf Inter-Bold.otf NotoSansCJKjp-Regular.otf LinLibertine_R.otf)

fail() {
  echo "real pairs ($mode): FAIL: $*"
  [ -n "${screen:-}" ] && printf '%s\n' "--- screen:" "$screen"
  exit 1
}
step() { echo "-- $* [${SECONDS} s]"; }

# --- Wine, inside the virtual display ----------------------------------------

if [ $display_mode -eq 1 ]; then
  source "$source_dir/scripts/wine-loaders.sh"
  source "$source_dir/scripts/wine-prefix.sh"
  wine_prefix_environment "$work"
  program="$6"
  loader=$(wine_loader_for "$work/build/app/tessel_202310.exe") || fail "no Wine loader for the updater"
  title_main='VELDMARKフォント 改訂プログラム'
  shots="$work"
  source "$source_dir/scripts/wine-display.sh"
  "$loader" "$program" >"$work/run.log" 2>&1 &
  app=$!
  start=$(wait_window "$title_main" 180) || { stop_program; fail "the start dialog did not open"; }
  shoot "$start" start-dialog
  press "$start" Return
  wait_gone "$start" 30 || { stop_program; fail "the start dialog stayed after 次へ"; }
  main=$(wait_window "$title_main" 120) || { stop_program; fail "the font list did not open"; }
  shoot "$main" font-list
  press "$main" Return
  end=$(wait_window '確　認' 120) || { stop_program; fail "no end message"; }
  shoot "$end" end-message
  press "$end" Escape
  wait_exit 30 || { stop_program; fail "the program did not end after キャンセル"; }
  status=$app_status
  timeout 30 wineserver -w
  [ "$status" -eq $((3010 % 256)) ] || fail "the updater ended with status $status, not 3010's low byte"
  echo "in-display: done"
  exit 0
fi

# --- the pairs, sabun make and sabun bundle ----------------------------------

[ -x "$sabun" ] || fail "no sabun at $sabun"
for f in "${fonts[@]}"; do [ -f "$pairs/new/$f" ] || rm -f "$pairs/fonts.tsv"; done
if [ ! -f "$pairs/fonts.tsv" ] || [ "$source_dir/bench/real-fonts/make-pairs.py" -nt "$pairs/fonts.tsv" ]; then
  step "the pairs, from Debian's fonts (bench/real-fonts/make-pairs.py)"
  rm -rf "$pairs"
  /usr/bin/python3 "$source_dir/bench/real-fonts/make-pairs.py" "$pairs" ||
    fail "make-pairs.py failed (python3-fonttools, fonts-inter, fonts-noto-cjk, fonts-linuxlibertine installed?)"
fi

step "sabun make, pair by pair"
printf '%-28s %10s %10s %10s %10s\n' "pair" "font" "sabun" "xdelta3" "zstd"
for f in "${fonts[@]}"; do
  "$sabun" make "$pairs/old/$f" "$pairs/new/$f" -o "$work/$f.pa" >"$work/$f.make.log" 2>&1 ||
    { cat "$work/$f.make.log"; fail "sabun make refused $f"; }
  grep -qF "checked: the updater's build gives the revised font byte for byte" "$work/$f.make.log" ||
    { cat "$work/$f.make.log"; fail "sabun make: $f is not rebuilt byte for byte"; }
  xdelta="-"
  zstd="-"
  if command -v xdelta3 >/dev/null; then
    xdelta3 -e -9 -f -s "$pairs/old/$f" "$pairs/new/$f" "$work/$f.xd3" && xdelta=$(stat -c %s "$work/$f.xd3")
  fi
  if command -v zstd >/dev/null; then
    zstd -q -f -19 --long=27 --patch-from="$pairs/old/$f" "$pairs/new/$f" -o "$work/$f.zst" 2>/dev/null &&
      zstd=$(stat -c %s "$work/$f.zst")
  fi
  printf '%-28s %10s %10s %10s %10s\n' "$f" "$(stat -c %s "$pairs/new/$f")" "$(stat -c %s "$work/$f.pa")" "$xdelta" "$zstd"
done
grep -qF "STAT added" "$work/Inter-Bold.otf.make.log" || fail "Inter-Bold's revision does not add 'STAT'"
grep -qF "FFTM dropped" "$work/LinLibertine_R.otf.make.log" || fail "LinLibertine_R's revision does not drop 'FFTM'"
grep -qF "font name: Noto Sans CJK JP" "$work/NotoSansCJKjp-Regular.otf.make.log" ||
  fail "the Noto face is not named by its Windows English full name"

step "sabun bundle"
data="$work/update-data"
rm -rf "$data"
"$sabun" bundle "$pairs/fonts.tsv" -o "$data" >"$work/bundle.log" 2>&1 || { cat "$work/bundle.log"; fail "sabun bundle"; }

# --- an updater with that data -----------------------------------------------

build="$work/build"
step "the $([ "$mode" = linux ] && echo Linux || echo "$preset") updater with that data"
if [ "$mode" = linux ]; then
  configure=(-S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo)
else
  configure=(--preset "$preset" -B "$build")
fi
(cd "$source_dir" && cmake "${configure[@]}" -DUPDATE_DATA="$data" -DTESSEL_BUILD_TESTS=OFF >"$work/configure.log" 2>&1 &&
  cmake --build "$build" --target tessel_202310 -j 2 >"$work/build.log" 2>&1) ||
  { tail -n 30 "$work/configure.log" "$work/build.log"; fail "the updater did not build"; }

if [ "$mode" = wine ]; then
  for tool in xvfb-run xdotool import wineserver; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed (scripts/install-deps.sh)"
  done
  source "$source_dir/scripts/wine-loaders.sh"
  source "$source_dir/scripts/wine-prefix.sh"
  wine_prefix_environment "$work"
  wine64=$(wine_find_loader wine64) || fail "wine64 is not installed (scripts/install-deps.sh)"
  exe="$build/app/tessel_202310.exe"
  why=$(wine_loader_for "$exe" 2>&1 >/dev/null) || fail "the $preset updater cannot run here: $why"
  step "a fresh Wine prefix, the fonts in C:\\windows\\Fonts"
  wine_make_prefix "$wine64" "$work/wineboot.log" || fail "no fresh Wine prefix"
  c="$WINEPREFIX/drive_c"
  for f in "${fonts[@]}"; do cp "$pairs/old/$f" "$c/windows/Fonts/$f"; done
  mkdir -p "$c/Veldmark"
  cp "$exe" "$c/Veldmark/"
  step "the run, in a virtual display"
  rm -f "$work"/*.png
  timeout 400 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --in-display wine "$source_dir" "$work" "$sabun" \
    "$preset" 'C:\Veldmark\tessel_202310.exe' | tee "$work/display.log"
  status=${PIPESTATUS[0]}
  timeout 30 wineserver -k 2>/dev/null
  [ "$status" -eq 0 ] || exit 1
  grep -qx "in-display: done" "$work/display.log" || fail "the run in the display stopped early"
  for f in "${fonts[@]}"; do cmp -s "$c/windows/Fonts/$f" "$pairs/new/$f" || fail "C:\\windows\\Fonts\\$f is not its revision"; done
  wine_remove_prefix
  echo "real pairs (wine): PASS (${#fonts[@]} fonts revised byte for byte by the $preset updater; screenshots in $work)"
  exit 0
fi

# --- Linux: the updater in tmux ----------------------------------------------

if [ "$(id -u)" -ne 0 ]; then echo "SKIP: the updater revises fonts only for root"; exit 77; fi
for tool in tmux unshare cmp; do command -v "$tool" >/dev/null || fail "$tool is not installed"; done
source "$source_dir/scripts/hide-places.sh"
scratch=$(mktemp -d /var/tmp/tessel-real-pairs-XXXXXX)
socket="$scratch/tmux.sock"
trap 'tmux -S "$socket" kill-server 2>/dev/null; rm -rf "$scratch"' EXIT
mkdir -p "$scratch/fonts"
for f in "${fonts[@]}"; do cp "$pairs/old/$f" "$scratch/fonts/$f"; done
cp "$build/app/tessel_202310" "$scratch/tessel_202310"
cat >"$scratch/inner.sh" <<INNER
$(hide_places "$scratch" /tmp /root /home /work /opt /srv /mnt /media /usr/share/fonts /usr/local/share/fonts)
# A /run of its own: the lock that marks a running copy is not another test's.
mount -t tmpfs -o mode=755 tessel-run /run
HOME=/root LANG=C.UTF-8 "$scratch/tessel_202310"
echo "EXIT=\$?"
sleep 600
INNER
step "the run, in tmux"
tmux -S "$socket" new-session -d -s run -x 110 -y 34 "unshare -m -p -f --mount-proc bash $scratch/inner.sh" ||
  fail "tmux did not start"
screen=""
capture() { screen=$(tmux -S "$socket" capture-pane -p -t run); }
wait_for() {
  local deadline=$((SECONDS + $2))
  while :; do
    capture
    if grep -qF -- "$1" <<<"$screen"; then
      [ -n "${3:-}" ] && printf '%s\n' "$screen" >"$work/$3.txt"
      return 0
    fi
    [ $SECONDS -ge $deadline ] && fail "no '$1' on the screen after $2 s"
    sleep 0.1
  done
}
keys() { tmux -S "$socket" send-keys -t run "$@"; }
wait_for "<次へ>" 60 1-start
keys Enter
wait_for "フォント名" 180 2-font-list
rows=$(grep -c '\.otf' <<<"$screen")
[ "$rows" -eq ${#fonts[@]} ] || fail "the list shows $rows fonts, not the test's ${#fonts[@]}"
keys Enter
wait_for "改訂が正常に終了しました。" 180 3-end
keys Escape
wait_for "EXIT=" 20
grep -qF "EXIT=0" <<<"$screen" || fail "the updater did not end with status 0"
screen=""
for f in "${fonts[@]}"; do cmp -s "$scratch/fonts/$f" "$pairs/new/$f" || fail "$f is not its revision"; done
echo "real pairs (linux): PASS (${#fonts[@]} fonts revised byte for byte in the terminal; screens in $work)"
