#!/usr/bin/env bash
# The Windows updater at its real size under Wine, in a virtual X display,
# walked through its dialogs by key presses: first how long each of two
# builds takes from its start to its start dialog (the median of three
# starts, each stopped there through 中止 and はい), then the whole run of the
# second build over FONTS (a folder of installed fonts, put in C:\ScaleFonts
# by hard links): 次へ, the search, 実行, the end message. Then every font must
# equal its revision in REVISED.
#
#   scale-wine.sh WORK BASELINE_EXE EXE FONTS REVISED
#
# Prints key=value lines: start_baseline, start (seconds), search (次へ to the
# font list), run (実行 to the end message), peak_kb (the peak resident memory
# of the program's Wine process), fonts. Screenshots go to WORK/screenshots,
# the resident memory by mapping at the end message to WORK/memory-at-end.txt.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source "$here/../scripts/wine-loaders.sh"
source "$here/../scripts/wine-prefix.sh"
# windows_named, press, shoot, wait_exit, stop_program; the timed starts
# below need a wait_window of their own that looks more often.
source "$here/../scripts/wine-display.sh"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
title_main='VELDMARKフォント 改訂プログラム'
title_progress='フォントを改訂中'
title_message='確　認'

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
# Waits up to $2 seconds for a visible window titled $1 (other than $4),
# looking every $3 seconds, and prints its id; fails when the program ended.
wait_window() {
  local id deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    id=$(windows_named "$1" | grep -vx "${4:-none}" | head -1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    kill -0 "$app" 2>/dev/null || return 1
    sleep "$3"
  done
  return 1
}

# Seconds from the start of the program C:\Program Files\$1 to its start
# dialog; the program is then stopped.
time_start() {
  local launched shown start question
  launched=$(now)
  "$(wine_loader_for "$2")" "C:\\Program Files\\$1" >/dev/null 2>&1 &
  app=$!
  start=$(wait_window "$title_main" 120 0.02) || { stop_program; fail "$1: the start dialog did not open"; }
  shown=$(now)
  press "$start" Escape
  question=$(wait_window "$title_message" 20 0.1) || { stop_program; fail "$1: Esc asked nothing"; }
  press "$question" Return
  wait_exit 30 || { stop_program; fail "$1: はい did not end the program"; }
  timeout 30 wineserver -w
  elapsed "$launched" "$shown"
}

median3() { printf '%s\n' "$@" | sort -n | sed -n 2p; }

in_display() {
  local i baseline=() ours=() start main progress end listed pressed ended launched peak
  time_start baseline.exe "$baseline_exe" >/dev/null  # the prefix's first start is slower
  for i in 1 2 3; do
    baseline+=("$(time_start baseline.exe "$baseline_exe")")
    ours+=("$(time_start tessel_202310.exe "$exe")")
  done
  echo "start_baseline=$(median3 "${baseline[@]}")"
  echo "start=$(median3 "${ours[@]}")"

  "$(wine_loader_for "$exe")" 'C:\Program Files\tessel_202310.exe' >"$work/run.log" 2>&1 &
  app=$!
  start=$(wait_window "$title_main" 120 0.1) || { stop_program; fail "the start dialog did not open"; }
  shoot "$start" scale-start-dialog
  press "$start" Return
  launched=$(now)
  main=$(wait_window "$title_main" 900 0.2 "$start") || { stop_program; fail "the font list did not open"; }
  listed=$(now)
  shoot "$main" scale-font-list
  press "$main" Return
  pressed=$(now)
  progress=$(wait_window "$title_progress" 60 0.1) || { stop_program; fail "the progress dialog did not open"; }
  shoot "$progress" scale-progress
  end=$(wait_window "$title_message" 3600 0.2) || { stop_program; fail "no end message"; }
  ended=$(now)
  peak=$(awk '/^VmHWM:/ { print $2 }' "/proc/$app/status" 2>/dev/null)
  # Where the memory is at the end message: resident kilobytes by mapping
  # (the program's image and its resources, Wine's libraries, the heaps).
  awk '/^[0-9a-f]+-[0-9a-f]+ / { name = NF >= 6 ? $6 : "[anonymous]" } /^Rss:/ { rss[name] += $2 }
       END { for (n in rss) if (rss[n] >= 512) printf "%8d kB %s\n", rss[n], n }' "/proc/$app/smaps" 2>/dev/null |
    sort -rn >"$work/memory-at-end.txt"
  shoot "$end" scale-end-message
  press "$end" Escape
  wait_exit 60 || { stop_program; fail "the program did not end after キャンセル"; }
  # 3010, "revised, a restart makes the fonts effective", as the shell sees
  # it (the low 8 bits).
  [ "$app_status" -eq $((3010 % 256)) ] || fail "the program ended with status $app_status, not 3010"
  timeout 30 wineserver -w
  echo "search=$(elapsed "$launched" "$listed")"
  echo "run=$(elapsed "$pressed" "$ended")"
  echo "peak_kb=${peak:-0}"
}

if [ "${1:-}" = --in-display ]; then
  shift
  work=$1 baseline_exe=$2 exe=$3
  shots="$work/screenshots"
  wine_prefix_environment "$work"
  in_display
  exit 0
fi

[ $# -eq 5 ] || fail "usage: scale-wine.sh WORK BASELINE_EXE EXE FONTS REVISED"
mkdir -p "$1"
work=$(cd "$1" && pwd)
baseline_exe=$2 exe=$3 fonts=$4 revised=$5
shots="$work/screenshots"
mkdir -p "$shots"
for tool in xvfb-run xdotool import wineserver; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed (scripts/install-deps.sh bench)"
done
wine64=$(wine_find_loader wine64) || fail "wine64 is not installed"
wine_loader_for "$exe" >/dev/null || fail "the updater cannot run here"
wine_prefix_environment "$work"
wine_make_prefix "$wine64" "$work/wineboot.log" || fail "no fresh Wine prefix"
c="$WINEPREFIX/drive_c"
mkdir -p "$c/Program Files" "$c/ScaleFonts"
cp "$baseline_exe" "$c/Program Files/baseline.exe"
cp "$exe" "$c/Program Files/tessel_202310.exe"
cp -l "$fonts"/*.otf "$c/ScaleFonts/" 2>/dev/null || cp "$fonts"/*.otf "$c/ScaleFonts/"
count=$(ls "$c/ScaleFonts" | wc -l)

timeout 7200 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --in-display "$work" "$baseline_exe" "$exe" |
  tee "$work/display.log"
status=${PIPESTATUS[0]}
timeout 30 wineserver -k 2>/dev/null
[ "$status" -eq 0 ] || exit 1
same=0
for f in "$c"/ScaleFonts/*.otf; do
  cmp -s "$f" "$revised/$(basename "$f")" && same=$((same + 1))
done
[ "$same" -eq "$count" ] || fail "$((count - same)) of $count fonts are not their revisions"
echo "fonts=$count"
