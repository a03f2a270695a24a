#!/usr/bin/env bash
# The Linux updater at its real size, driven in a terminal (tmux) as a person
# would: the start dialog, the search, the font list, 実行 and the end
# message, over FONTS (a folder of installed fonts, copied here by hard
# links). It runs as root in PID and mount namespaces of its own where the
# places that may hold other fonts (home folders, the work trees, /tmp) are
# covered by empty tmpfs mounts, so that it finds and revises only these.
# Then every font must equal its revision in REVISED.
#
#   scale-terminal.sh UPDATER FONTS REVISED OUT          the whole run
#   scale-terminal.sh --start UPDATER                     only its start
#
# Prints key=value lines: start (seconds from the start of the program to
# its start dialog), search (次へ to the font list), run (実行 to the end
# message), peak_kb and minflt (the updater's peak resident memory and minor
# faults), cpu (its user and system time, seconds), cpu_run (the part of it
# from 実行 to the end message, without the search), fonts (how many were
# revised). The screens go to OUT. With
# --start the program is stopped at its start dialog (中止, はい), and only
# start is printed.
set -uo pipefail
only_start=0
if [ "${1:-}" = --start ]; then
  only_start=1
  shift
fi
updater=$1
fonts=${2:-}
revised=${3:-}
out=${4:-}

fail() {
  echo "FAIL: $*" >&2
  [ -n "${screen:-}" ] && printf '%s\n' "--- screen:" "$screen" >&2
  exit 1
}
[ "$(id -u)" -eq 0 ] || fail "the updater revises fonts only for root"
for tool in tmux unshare /usr/bin/time cmp; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done

source "$(dirname "${BASH_SOURCE[0]}")/../scripts/hide-places.sh"
scratch=$(mktemp -d /var/tmp/tessel-scale-XXXXXX)
socket="$scratch/tmux.sock"
cleanup() {
  tmux -S "$socket" kill-server 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
[ -n "$out" ] || out="$scratch/screens"
mkdir -p "$out" "$scratch/bin" "$scratch/fonts"
cp "$updater" "$scratch/bin/tessel_202310"
# Hard links: the updater puts a new file in each font's place, so the
# originals stay as they are.
if [ $only_start -eq 0 ]; then
  cp -l "$fonts"/*.otf "$scratch/fonts/" 2>/dev/null || cp "$fonts"/*.otf "$scratch/fonts/"
fi
count=$(ls "$scratch/fonts" | wc -l)

cat >"$scratch/inner.sh" <<INNER
$(hide_places "$scratch" /tmp /root /home /work /opt /srv /mnt /media)
date +%s.%N >"$scratch/launched"
HOME=/root LANG=C.UTF-8 /usr/bin/time -f 'PEAK=%M MINFLT=%R USER=%U SYS=%S' -o "$scratch/time.txt" "$scratch/bin/tessel_202310"
echo "EXIT=\$?"
sleep 600
INNER

screen=""
capture() { screen=$(tmux -S "$socket" capture-pane -p -t run); }
now() { date +%s.%N; }
# Waits up to $2 seconds for the screen to show $1, looking every $3
# seconds; keeps the screen as $4.txt.
wait_for() {
  local deadline=$((SECONDS + $2))
  while :; do
    capture
    if grep -qF -- "$1" <<<"$screen"; then
      [ -n "${4:-}" ] && printf '%s\n' "$screen" >"$out/$4.txt"
      return 0
    fi
    [ $SECONDS -ge $deadline ] && fail "no '$1' on the screen after $2 s"
    sleep "$3"
  done
}
keys() { tmux -S "$socket" send-keys -t run "$@"; }
# The updater's user and system time so far, in clock ticks.
updater_ticks() {
  local pid
  pid=$(pgrep -f -x "$scratch/bin/tessel_202310" | head -1)
  [ -n "$pid" ] && awk '{ print $14 + $15 }' "/proc/$pid/stat"
}
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

tmux -S "$socket" new-session -d -s run -x 110 -y 34 "unshare -m -p -f --mount-proc bash $scratch/inner.sh" ||
  fail "tmux did not start"
wait_for "<次へ>" 30 0.01 scale-1-start
shown=$(now)
launched=$(cat "$scratch/launched")
if [ $only_start -eq 1 ]; then
  # 中止, then はい.
  keys Tab Enter
  wait_for "<はい>" 10 0.05
  keys Enter
  wait_for "EXIT=" 10 0.05
  screen=""
  echo "start=$(elapsed "$launched" "$shown")"
  exit 0
fi
keys Enter
wait_for "フォント名" 600 0.05 scale-2-font-list
listed=$(now)
grep -qF "$scratch/fonts/" <<<"$screen" || fail "the font list shows none of the fonts"
ticks_listed=$(updater_ticks)
keys Enter
wait_for "フォントを改訂中" 60 0.1 scale-3-progress
wait_for "改訂が正常に終了しました。" 3600 0.1 scale-4-end
ended=$(now)
ticks_ended=$(updater_ticks)
keys Escape
wait_for "EXIT=" 60 0.1
grep -qF "EXIT=0" <<<"$screen" || fail "the updater did not end with status 0"
screen=""
read -r peak minflt user sys < <(sed -n 's/.*PEAK=\([0-9]*\) MINFLT=\([0-9]*\) USER=\([0-9.]*\) SYS=\([0-9.]*\).*/\1 \2 \3 \4/p' "$scratch/time.txt")

same=0
for f in "$scratch"/fonts/*.otf; do
  cmp -s "$f" "$revised/$(basename "$f")" && same=$((same + 1))
done
[ "$same" -eq "$count" ] || fail "$((count - same)) of $count fonts are not their revisions"
echo "start=$(elapsed "$launched" "$shown")"
echo "search=$(elapsed "$shown" "$listed")"
echo "run=$(elapsed "$listed" "$ended")"
echo "peak_kb=$peak"
echo "minflt=$minflt"
echo "cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')"
echo "cpu_run=$(awk -v a="${ticks_listed:-0}" -v b="${ticks_ended:-0}" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.2f", (b - a) / hz }')"
echo "fonts=$count"
