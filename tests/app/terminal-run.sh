#!/usr/bin/env bash
# The Linux updater driven for real in a terminal (tmux), through a whole run:
# the start dialog, a stop refused, the search, the font list, its version
# box, a stop and continue of the process, a second copy in another window,
# the run, the end message. It runs as root in PID and mount namespaces of its own, where
# the places that may hold other copies of the demo fonts (home folders, the
# work trees, /tmp) and fontconfig's system cache are covered by empty tmpfs
# mounts, so that it finds and revises only the fonts of this test and
# deletes no real cache. Then: the fonts are byte-identical to their
# revisions, the download copy and the caches are gone, fontconfig reports
# the new revisions without any fc-cache run, and a run without a terminal
# changes nothing.
#
# usage: terminal-run.sh UPDATER SOURCE_DIR OUTPUT_DIR   (the screens go to OUTPUT_DIR)
set -uo pipefail
updater=$1
source_dir=$2
out=$3

if [ "$(id -u)" -ne 0 ]; then echo "SKIP: the updater revises fonts only for root"; exit 77; fi
for tool in tmux unshare fc-cache fc-list fc-query cmp; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

# Not in /tmp, which is covered in the namespace.
source "$source_dir/scripts/hide-places.sh"
scratch=$(mktemp -d /var/tmp/tessel-terminal-XXXXXX)
socket="$scratch/tmux.sock"
cleanup() {
  tmux -S "$socket" kill-server 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$out" "$scratch/bin" "$scratch/fonts" "$scratch/Veldmark/Fonts/Download/add"
rm -f "$out"/*.txt
cp "$updater" "$scratch/bin/tessel_202310"
for f in "$source_dir"/resources/demo/installed/*.otf.installed; do
  cp "$f" "$scratch/fonts/$(basename "$f" .installed)"
done
echo "download copy" >"$scratch/Veldmark/Fonts/Download/add/10001"

fail() {
  echo "FAIL: $*"
  [ -n "${screen:-}" ] && printf '%s\n' "--- screen:" "$screen"
  exit 1
}

# fontconfig with a cache of its own, made before the run.
export FONTCONFIG_FILE="$scratch/fonts.conf"
cat >"$FONTCONFIG_FILE" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig><dir>$scratch/fonts</dir><cachedir>$scratch/fc-cache</cachedir></fontconfig>
CONF
fc-cache "$scratch/fonts" || fail "fc-cache"
versions() { fc-list --format '%{file} %{fontversion}\n' | sort; }
before=$(versions)
# fontconfig compares modification times in seconds.
sleep 1.1

cat >"$scratch/inner.sh" <<INNER
$(hide_places "$scratch" /tmp /root /home /work /opt /srv /mnt /media /var/cache/fontconfig)
mkdir -p /root/.cache/fontconfig
touch /root/.cache/fontconfig/test-le64.cache-9 /var/cache/fontconfig/test-le64.cache-9
HOME=/root LANG=C.UTF-8 "$scratch/bin/tessel_202310"
echo "EXIT=\$?"
if [ -e /root/.cache/fontconfig/test-le64.cache-9 ] || [ -e /var/cache/fontconfig/test-le64.cache-9 ]; then
  echo "CACHES=kept"
else
  echo "CACHES=gone"
fi
sleep 600
INNER

tmux -S "$socket" new-session -d -s run -x 110 -y 34 "unshare -m -p -f --mount-proc bash $scratch/inner.sh" ||
  fail "tmux did not start"

screen=""
capture() { screen=$(tmux -S "$socket" capture-pane -p -t run); }
# Waits up to $2 seconds for the screen to show $1; keeps the screen as $3.txt.
wait_for() {
  local deadline=$((SECONDS + $2))
  while :; do
    capture
    if grep -qF -- "$1" <<<"$screen"; then
      [ -n "${3:-}" ] && printf '%s\n' "$screen" >"$out/$3.txt"
      return 0
    fi
    [ $SECONDS -ge $deadline ] && fail "no '$1' on the screen after $2 s"
    sleep 0.1
  done
}
keys() { tmux -S "$socket" send-keys -t run "$@"; }
expect_on_screen() { grep -qF -- "$1" <<<"$screen" || fail "the screen does not show '$1'"; }

wait_for "<次へ>" 60 1-start
grep -qE '┌─+ VELDMARK' <<<"$screen" && grep -q '┐' <<<"$screen" || fail "the window is not framed in box characters under tmux's TERM"
expect_on_screen "ヴェルドマークのOpenTypeフォント製品に対する改訂プログラムです。"
expect_on_screen "テッセル デモフォントをご利用のお客様は、下記4フォントが改訂対象です。"
expect_on_screen "・テッセル デモ ゴシック Regular/Bold"
expect_on_screen "・テッセル デモ 明朝 Regular/Bold"
expect_on_screen "※この検索では、まだ改訂の実行ではありません。"

# 中止, then いいえ: the start dialog stays.
keys Tab Enter
wait_for "中止しない場合は、”いいえ”ボタンを押してください。" 10 2-stop-question
expect_on_screen "<はい>"
keys Escape
sleep 0.3
capture
grep -qF "中止しない場合は" <<<"$screen" && fail "the question stayed after いいえ"
expect_on_screen "<次へ>"

keys Tab Enter
wait_for "フォント名" 180 4-font-list
rows=$(grep -c '\.otf' <<<"$screen")
[ "$rows" -eq 4 ] || fail "the list shows $rows fonts, not the test's 4"
for f in "$scratch"/fonts/*.otf; do expect_on_screen "$f"; done
expect_on_screen "<実行>"

# A: the version box, as the system menu opens it on Windows.
expect_on_screen "A: VELDMARK Font Updater2023のﾊﾞｰｼﾞｮﾝ情報(A)"
keys a
wait_for "tessel_202310 Version 1.0" 10 4-about
keys Enter
sleep 0.3
capture
grep -qF "tessel_202310 Version 1.0" <<<"$screen" && fail "the version box stayed after Enter"

# Stopped and continued while it waits for a key: the wait goes on.
updater_pid=$(pgrep -f -x "$scratch/bin/tessel_202310" | head -1)
[ -n "$updater_pid" ] || fail "the updater's process was not found"
kill -TSTP "$updater_pid"
sleep 0.3
kill -CONT "$updater_pid"
sleep 0.5
capture
expect_on_screen "<実行>"
grep -qF "中止しない場合は" <<<"$screen" && fail "a stop and continue was taken for the end of the input"

# A second copy says so and leaves its terminal as it was.
tmux -S "$socket" new-window -d -t run -n second \
  "printf 'before the second copy\\n'; $scratch/bin/tessel_202310; echo EXIT2=\$?; sleep 600"
deadline=$((SECONDS + 10))
until second=$(tmux -S "$socket" capture-pane -p -t run:second) && grep -q "EXIT2=" <<<"$second"; do
  [ $SECONDS -lt $deadline ] || fail "the second copy did not end: $second"
  sleep 0.1
done
grep -qF "EXIT2=3" <<<"$second" || fail "the second copy did not end with status 3: $second"
grep -qF "before the second copy" <<<"$second" || fail "the second copy cleared its terminal: $second"
grep -qF "another copy of this program is running" <<<"$second" || fail "the second copy did not say why: $second"
printf '%s\n' "$second" >"$out/4-second-copy.txt"
tmux -S "$socket" kill-window -t run:second

# A smaller terminal: the window is drawn again to fit it.
tmux -S "$socket" resize-window -t run -x 72 -y 24
sleep 0.5
capture
expect_on_screen "<実行>"
grep -q '┘' <<<"$screen" || fail "no window frame after the resize"
tmux -S "$socket" resize-window -t run -x 110 -y 34
sleep 0.3

keys Enter
wait_for "フォントを改訂中" 20 5-progress
expect_on_screen "全体の進捗"
expect_on_screen "現在の進捗"
wait_for "改訂が正常に終了しました。" 120 6-end
expect_on_screen "<再起動>"
expect_on_screen "<キャンセル>"
keys Escape
wait_for "CACHES=" 20
expect_on_screen "EXIT=0"
expect_on_screen "CACHES=gone"
screen=""

for f in "$source_dir"/resources/demo/revised/*.otf; do
  cmp -s "$f" "$scratch/fonts/$(basename "$f")" || fail "$(basename "$f") is not its revision"
done
[ -e "$scratch/Veldmark/Fonts/Download/add/10001" ] && fail "the download copy is still there"
after=$(versions)
expected=$(for f in "$scratch"/fonts/*.otf; do echo "$f $(fc-query --format '%{fontversion}' "$f")"; done | sort)
[ "$after" = "$expected" ] || fail "fontconfig does not see the revisions: $after"
[ "$after" != "$before" ] || fail "fontconfig still reports the old revisions"

# TERM=xterm-256color inside tmux, a common setting, where the terminal's
# line-drawing set shows as letters (lqqqk, x): the frame is drawn in box
# characters all the same. Stopped at the start dialog.
tmux -S "$socket" new-session -d -s xterm -x 110 -y 34 \
  "TERM=xterm-256color LANG=C.UTF-8 HOME=/root $scratch/bin/tessel_202310; echo EXIT=\$?; sleep 600"
for _ in $(seq 600); do
  screen=$(tmux -S "$socket" capture-pane -p -t xterm)
  grep -qF "<次へ>" <<<"$screen" && break
  sleep 0.1
done
printf '%s\n' "$screen" >"$out/1-start-xterm-256color.txt"
grep -qE '┌─+ VELDMARK' <<<"$screen" && grep -q '┐' <<<"$screen" && ! grep -q 'lqqq' <<<"$screen" ||
  fail "the window is not framed in box characters under TERM=xterm-256color"
tmux -S "$socket" send-keys -t xterm Tab Enter
sleep 0.5
tmux -S "$socket" send-keys -t xterm Enter
for _ in $(seq 50); do
  tmux -S "$socket" capture-pane -p -t xterm | grep -q "EXIT=" && break
  sleep 0.1
done
tmux -S "$socket" kill-session -t xterm

# Without a terminal: a message, a non-zero status, nothing changed.
cp "$source_dir/resources/demo/installed/TesselDemoSansJP-Bold.otf.installed" "$scratch/fonts/TesselDemoSansJP-Bold.otf"
status=0
"$scratch/bin/tessel_202310" </dev/null >"$scratch/stdout" 2>"$scratch/stderr" || status=$?
[ "$status" -ne 0 ] || fail "without a terminal the updater ended with status 0"
grep -qF "端末" "$scratch/stderr" || fail "without a terminal the updater did not say why"
[ -s "$scratch/stdout" ] && fail "without a terminal the updater wrote to standard output"
cmp -s "$source_dir/resources/demo/installed/TesselDemoSansJP-Bold.otf.installed" \
  "$scratch/fonts/TesselDemoSansJP-Bold.otf" || fail "without a terminal a font was changed"

# Unattended, as Ansible or Salt start it: no terminal (setsid, standard
# input from /dev/null), in namespaces of its own like the run above. The
# first run revises the four fonts and says so with 0, the second finds
# nothing to do and says so with 5.
for f in "$source_dir"/resources/demo/installed/*.otf.installed; do
  cp "$f" "$scratch/fonts/$(basename "$f" .installed)"
done
cat >"$scratch/unattended.sh" <<INNER
$(hide_places "$scratch" /tmp /root /home /work /opt /srv /mnt /media /var/cache/fontconfig)
for run in 1 2; do
  HOME=/root "$scratch/bin/tessel_202310" --unattended >"$scratch/unattended-\$run.txt" 2>&1
  echo \$? >"$scratch/unattended-\$run.status"
done
INNER
timeout 300 setsid unshare -m -p -f --mount-proc bash "$scratch/unattended.sh" </dev/null >/dev/null 2>&1
# The work trees are covered in there: the records are copied out after.
for run in 1 2; do
  [ -f "$scratch/unattended-$run.status" ] || fail "the unattended run $run did not end"
  cp "$scratch/unattended-$run.txt" "$out/"
done
first=$(cat "$scratch/unattended-1.status")
second=$(cat "$scratch/unattended-2.status")
record=$(cat "$out/unattended-1.txt")
[ "$first" = 0 ] || fail "the first unattended run ended with $first, not 0: $record"
[ "$(grep -c ': 1.000 -> 1.010: revised$' <<<"$record")" -eq 4 ] || fail "the record does not show 4 fonts revised: $record"
grep -qx "tessel_202310: exit status 0: fonts revised; a restart makes them effective (4 revised, 0 failed)" \
  <<<"$record" || fail "the record does not end with its status: $record"
for f in "$source_dir"/resources/demo/revised/*.otf; do
  cmp -s "$f" "$scratch/fonts/$(basename "$f")" || fail "unattended: $(basename "$f") is not its revision"
done
[ "$second" = 5 ] || fail "the second unattended run ended with $second, not 5: $(cat "$out/unattended-2.txt")"
grep -q "^tessel_202310: exit status 5: nothing to revise" "$out/unattended-2.txt" ||
  fail "the second record does not say there was nothing to revise: $(cat "$out/unattended-2.txt")"

echo "PASS: a whole run in the terminal, and two unattended runs; screens and records in $out"
