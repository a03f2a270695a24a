#!/usr/bin/env bash
# A local user's attacks on the updater and on sabun, tried for real. The
# programs run as root in mount and PID namespaces of their own (a tmux
# server started inside them), where the places that may hold other fonts
# are covered by empty tmpfs mounts and /etc/passwd names the attacker,
# mallory (uid 4242, no rights). Mallory acts through setpriv at fixed points:
# a folder is swapped between the font list and 実行, never raced. After
# each attack the victim must be untouched and the program's outcome the
# stated one. One table row per attack is printed.
#
# usage: attacks.sh UPDATER SABUN SOURCE_DIR
set -uo pipefail
updater=$1
sabun=$2
source_demo=$3/resources/demo
source "$3/scripts/hide-places.sh"

if [ "$(id -u)" -ne 0 ]; then echo "SKIP: the attacks need root (namespaces, another user)"; exit 77; fi
for tool in tmux unshare setpriv flock mkfifo python3 cmp; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

# In /srv, which the terminal run's namespaces cover: neither walk meets
# the other's fonts. Close enough to the root for the download folders.
mkdir -p /srv
scratch=$(mktemp -d /srv/tessel-attacks-XXXXXX)
chmod 755 "$scratch"
sock="$scratch/tmux.sock"
cleanup() {
  touch "$scratch/stop"
  tmux -S "$sock" kill-server 2>/dev/null
  sleep 0.5
  rm -rf "$scratch"
}
trap cleanup EXIT
# ATTACKS_KEEP_GOING=1 goes on after a failure, to see every attack's
# outcome against an older build.
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
  [ "${ATTACKS_KEEP_GOING:-0}" = 1 ] && return 0
  [ -n "${screen:-}" ] && printf '%s\n' "--- screen:" "$screen"
  exit 1
}
row() { echo "| $1 | $2 | $3 |"; }
as_mallory() { setpriv --reuid=4242 --regid=4242 --clear-groups -- "$@"; }
installed() { echo "$demo/installed/$1.installed"; }
sans_b=TesselDemoSansJP-Bold.otf
sans_r=TesselDemoSansJP-Regular.otf
serif_b=TesselDemoSerifJP-Bold.otf
serif_r=TesselDemoSerifJP-Regular.otf

mkdir -p "$scratch/bin" "$scratch/m"
# The work trees are covered in the namespaces: the update data goes along.
cp -r "$source_demo" "$scratch/demo"
demo="$scratch/demo"
cp "$updater" "$scratch/bin/tessel_202310"
cp "$sabun" "$scratch/bin/sabun"
sabun="$scratch/bin/sabun"
chown 4242:4242 "$scratch/m"
{ cat /etc/passwd; echo "mallory:x:4242:4242::$scratch/m:/bin/sh"; } >"$scratch/passwd"

# The namespaces: tmpfs over the other places fonts may be (the other
# scratch folders in /srv too), a /run of their own for the lock, and a
# tmux server that lives as long as the namespaces.
cat >"$scratch/ns.sh" <<NS
$(hide_places "$scratch" /tmp /root /home /work /opt /mnt /media /var/tmp /var/cache/fontconfig "/srv/*")
mount -t tmpfs -o mode=755 tessel-run /run
mount --bind "$scratch/passwd" /etc/passwd
mkdir -p /root/.cache/fontconfig && touch /root/.cache/fontconfig/root-le64.cache-9
cd /
tmux -S "$sock" new-session -d -s idle -x 110 -y 34 "sleep 100000"
while [ ! -e "$scratch/stop" ]; do sleep 0.2; done
NS
unshare -m -p -f --mount-proc bash "$scratch/ns.sh" &
for _ in $(seq 100); do tmux -S "$sock" has-session -t idle 2>/dev/null && break; sleep 0.1; done
tmux -S "$sock" has-session -t idle 2>/dev/null || fail "the namespaces did not start"

# Runs a script inside the namespaces and waits for it: its output on
# standard output, its status as the status.
# (Often called in $(...), a subshell: the count is kept in a file.)
ns() {
  local n
  n=$(($(cat "$scratch/count" 2>/dev/null || echo 0) + 1))
  echo "$n" >"$scratch/count"
  printf '%s\n' "$1" >"$scratch/cmd.$n"
  tmux -S "$sock" new-window -d "bash $scratch/cmd.$n >$scratch/out.$n 2>&1; echo \$? >$scratch/rc.$n.tmp; mv $scratch/rc.$n.tmp $scratch/rc.$n"
  for _ in $(seq 1800); do [ -e "$scratch/rc.$n" ] && break; sleep 0.1; done
  cat "$scratch/out.$n"
  return "$(cat "$scratch/rc.$n" 2>/dev/null || echo 99)"
}

screen=""
capture() { screen=$(tmux -S "$sock" capture-pane -p -t "$1"); }
wait_for() { # TEXT SECONDS WINDOW
  local deadline=$((SECONDS + $2))
  while :; do
    capture "$3"
    grep -qF -- "$1" <<<"$screen" && return 0
    [ $SECONDS -ge $deadline ] && { fail "no '$1' on the screen after $2 s"; return 1; }
    sleep 0.2
  done
}
# Starts the updater as root under sudo by mallory, up to its font list;
# settings she left in the environment (sudo -E, su without -) come first.
start_updater() {
  tmux -S "$sock" new-window -d -n run \
    "SUDO_USER=mallory HOME=/root LANG=C.UTF-8 ${1:-} $scratch/bin/tessel_202310; echo EXIT=\$?; sleep 600"
  wait_for "<次へ>" 30 run
  tmux -S "$sock" send-keys -t run Enter
  wait_for "<実行>" 300 run
}
finish_updater() { # TEXT expected at the end
  tmux -S "$sock" send-keys -t run Enter
  wait_for "$1" 120 run || printf '%s\n' "--- screen instead:" "$screen" | grep -v '^ │ *│$'
  tmux -S "$sock" send-keys -t run Escape
  wait_for "EXIT=" 20 run
  tmux -S "$sock" kill-window -t run
}

echo "| attack | what mallory did | what root did |"
echo "|---|---|---|"

# --- Run A: a run that succeeds. ----------------------------------------------
mkdir -p "$scratch/sys/fonts" "$scratch/sys/keep" "$scratch/sys/fccache"
cp "$(installed $sans_r)" "$scratch/sys/fonts/$sans_r"
echo "root's file" >"$scratch/sys/keep/10001"
echo "root's cache" >"$scratch/sys/fccache/victim-le64.cache-9"
mkdir -p "$scratch/Veldmark/Fonts/Download/add"
chown -R 4242:4242 "$scratch/Veldmark"
as_mallory sh -c "
  echo 'download copy' >'$scratch/Veldmark/Fonts/Download/add/10001'
  mkdir -p '$scratch/m/evil
row' '$scratch/m/.cache'
  cp '$(installed $sans_b)' '$scratch/m/evil
row/$sans_b'
  ln -s '$scratch/sys/fccache' '$scratch/m/.cache/fontconfig'" || fail "mallory's setup"
start_updater
# 9: a newline in a folder name stays in its row, escaped.
grep -qF 'evil\x0arow/' <<<"$screen" || fail "the row of mallory's folder is not escaped"
grep -q '^ *row/' <<<"$screen" && fail "a newline in a folder name broke a row"
row "9 newline in a folder name" "made a folder 'evil<newline>row' holding a font" \
  "before: the row broke in two; after: one row showing evil\\x0arow/"
# 8: the lock is root's alone; a second copy says so and fails.
lock=$(ns "stat -c '%a %U %F' /run/tessel_202310.EXE.lock")
[ "$lock" = "600 root regular empty file" ] || fail "the lock is '$lock'"
ns "setpriv --reuid=4242 --regid=4242 --clear-groups -- flock -n /run/tessel_202310.EXE.lock true; echo status=\$?" | grep -q "status=0" &&
  fail "mallory could take the lock"
tmux -S "$sock" new-window -d -n second "$scratch/bin/tessel_202310 2>$scratch/second.err; echo \$? >$scratch/second.rc"
for _ in $(seq 100); do [ -e "$scratch/second.rc" ] && break; sleep 0.1; done
[ "$(cat "$scratch/second.rc" 2>/dev/null)" = 3 ] || fail "a second copy ended with '$(cat "$scratch/second.rc" 2>/dev/null)', not 3"
grep -q "another copy of this program is running" "$scratch/second.err" || fail "a second copy did not say why it ended"
row "8 the single-instance lock" "flock on the lock file; a second copy started" \
  "before: mallory could hold it, the updater ended at once with 0, silently; after: 0600 root, mallory is refused; a second copy says so and ends with 3"
# 1: the download folder swapped for a link to another folder.
as_mallory sh -c "cd '$scratch/Veldmark/Fonts/Download' && mv add add.old && ln -s '$scratch/sys/keep' add" ||
  fail "mallory's swap"
finish_updater "改訂が正常に終了しました。"
[ "$(cat "$scratch/sys/keep/10001" 2>/dev/null)" = "root's file" ] || fail "root's file behind the link was deleted"
row "1 download folder swapped for a link" "after the list, replaced …/Download/add by a link to a root folder" \
  "before: deleted the same-named file there; after: run revised, the file behind the link kept"
# 2: the invoking user's fontconfig cache is a link.
[ -e "$scratch/sys/fccache/victim-le64.cache-9" ] || fail "the cache file behind mallory's link was deleted"
ns "test ! -e /root/.cache/fontconfig/root-le64.cache-9" >/dev/null || fail "root's own cache was not reset"
row "2 ~/.cache/fontconfig is a link" "made her cache folder a link to a root folder, ran it by sudo" \
  "before: deleted every *.cache-* there; after: nothing deleted behind the link, root's own cache reset"
cmp -s "$demo/revised/$sans_r" "$scratch/sys/fonts/$sans_r" || fail "run A did not revise root's font"

# --- Run B: a folder swapped for a link to a root folder with a root font. -
mkdir -p "$scratch/u3" "$scratch/deep/1/2/3/4/fonts"
cp "$(installed $serif_r)" "$scratch/deep/1/2/3/4/fonts/$serif_r"  # too deep for the search itself
chmod 644 "$scratch/deep/1/2/3/4/fonts/$serif_r"
chown 4242:4242 "$scratch/u3"
as_mallory sh -c "mkdir '$scratch/u3/fonts' && cp '$(installed $serif_r)' '$scratch/u3/fonts/$serif_r' &&
  chmod 666 '$scratch/u3/fonts/$serif_r'" || fail "mallory's setup"
start_updater
as_mallory sh -c "cd '$scratch/u3' && mv fonts fonts.old && ln -s '$scratch/deep/1/2/3/4/fonts' fonts" ||
  fail "mallory's swap"
finish_updater "改訂元ファイル($scratch/"
victim="$scratch/deep/1/2/3/4/fonts/$serif_r"
cmp -s "$(installed $serif_r)" "$victim" || fail "root's font behind the link was changed"
[ "$(stat -c '%U %a' "$victim")" = "root 644" ] || fail "root's font is now $(stat -c '%U %a' "$victim")"
[ -z "$(find "$scratch/deep" -name '*.tessel-*')" ] || fail "a file was left beside root's font"
row "3 folder swapped between the steps" "after the list, replaced the font's folder by a link to a root folder holding a root font" \
  "before: every step resolved the path again: root's font behind the link rewritten, reported revised (with two racing links, left mallory's, 666); after: code 1 (message 114), root's font untouched, root 644"

# --- Run C: the found font swapped for a link to a FIFO. ----------------------
mkdir -p "$scratch/u6"
chown 4242:4242 "$scratch/u6"
as_mallory sh -c "cp '$(installed $serif_b)' '$scratch/u6/$serif_b' && mkfifo '$scratch/u6/fifo'" || fail "mallory's setup"
start_updater
as_mallory sh -c "cd '$scratch/u6' && rm '$serif_b' && ln -s fifo '$serif_b'" || fail "mallory's swap"
# Mallory's writer gets through only when someone opens the FIFO.
setpriv --reuid=4242 --regid=4242 --clear-groups -- bash -c "exec 3>'$scratch/u6/fifo'; touch '$scratch/u6/opened'" &
writer=$!
finish_updater "改訂元ファイル($scratch/"
[ -e "$scratch/u6/opened" ] && fail "root opened what the link points to"
kill "$writer" 2>/dev/null
wait "$writer" 2>/dev/null
row "6 found path swapped for a link to a device" "after the list, replaced the font by a link to a FIFO she writes to" \
  "before: root opened it; after: code 1 (message 114), the FIFO never opened"

# --- Run D: an elevated run with mallory's settings. -------------------------
# Her TMPDIR (kept by su without -), a PATH whose systemctl is hers, a
# terminal description and code converters of hers; a right-to-left
# override in a folder name.
rm -rf "$scratch/u3" "$scratch/u6"
mkdir -p "$scratch/sys/fontsD"
cp "$(installed $serif_b)" "$scratch/sys/fontsD/$serif_b"
rlo=$'\u202e'
as_mallory sh -c "
  mkdir -p '$scratch/m/tmp' '$scratch/m/bin' '$scratch/m/ti' '$scratch/m/gconv' '$scratch/m/x${rlo}fto.txt'
  cp '$(installed $sans_r)' '$scratch/m/x${rlo}fto.txt/$sans_r'
  printf '#!/bin/sh\nid -u >$scratch/m/systemctl-ran\n' >'$scratch/m/bin/systemctl' && chmod 755 '$scratch/m/bin/systemctl'
  infocmp tmux-256color 2>/dev/null | sed 's/smcup=/smcup=\\\\E]2;pwned-by-mallory\\\\007/' >'$scratch/m/ti.src'
  tic -o '$scratch/m/ti' '$scratch/m/ti.src'
  mkdir -p '$scratch/m/.terminfo' && cp -r '$scratch/m/ti/.' '$scratch/m/.terminfo/'
  printf 'module CP932// INTERNAL EVIL 1\nmodule INTERNAL CP932// EVIL 1\n' >'$scratch/m/gconv/gconv-modules'" ||
  fail "mallory's setup"
printf '%s\n' '#include <stdio.h>' '#include <unistd.h>' \
  "int gconv_init(void *s) { FILE *f = fopen(\"$scratch/m/gconv-ran\", \"w\"); if (f) { fprintf(f, \"%d\\n\", (int)geteuid()); fclose(f); } return 1; }" \
  'int gconv(void) { return 1; }' >"$scratch/m/gconv/evil.c"
cc -shared -fPIC -o "$scratch/m/gconv/EVIL.so" "$scratch/m/gconv/evil.c" || fail "mallory's converter did not build"
chown -R 4242:4242 "$scratch/m"
start_updater "TERM=tmux-256color TMPDIR=$scratch/m/tmp PATH=$scratch/m/bin:/usr/bin:/bin TERMINFO=$scratch/m/ti HOME=$scratch/m GCONV_PATH=$scratch/m/gconv"
# At the font list the update list is in the temporary folder: none of it
# is in hers, which she could rename away and replace by a link.
[ -z "$(ls -A "$scratch/m/tmp")" ] || fail "root's temporary folder is in mallory's TMPDIR: $(ls -A "$scratch/m/tmp")"
grep -qF 'x\xe2\x80\xaefto.txt/' <<<"$screen" || fail "the right-to-left override reached the screen raw"
title=$(tmux -S "$sock" display -p -t run '#{pane_title}')
tmux -S "$sock" send-keys -t run Enter
wait_for "改訂が正常に終了しました。" 120 run
tmux -S "$sock" send-keys -t run Enter  # 再起動
wait_for "EXIT=" 20 run
tmux -S "$sock" kill-window -t run
[ -e "$scratch/m/systemctl-ran" ] && fail "mallory's systemctl ran as uid $(cat "$scratch/m/systemctl-ran")"
[ -e "$scratch/m/gconv-ran" ] && fail "mallory's code converter ran as uid $(cat "$scratch/m/gconv-ran")"
[[ "$title" == *pwned* ]] && fail "mallory's terminal description reached root's terminal"
cmp -s "$demo/revised/$serif_b" "$scratch/sys/fontsD/$serif_b" || fail "run D did not revise root's font"
row "12 TMPDIR of another user" "TMPDIR named a folder of hers (su without -); she would swap the private folder for a link and pad a text to the font sum" \
  "before: the revised font was written through her link and read back by path, her 44 bytes passed the sum check and replaced root's font (exit 0, about 1 try in 12); after: her TMPDIR ignored (/tmp), the private folder reached only by descriptor, the image in memory put in place and compared byte for byte"
row "13 PATH, TERMINFO, GCONV_PATH, a right-to-left override" "her systemctl first in PATH, her terminfo (TERMINFO and ~/.terminfo), her gconv module for CP932, a folder named with U+202E" \
  "before: her systemctl ran as root at 再起動, her escape sequences reached root's terminal, her module ran as root when the update list was converted, the override reached the screen raw; after: none ran or reached it, the override shown as \\xe2\\x80\\xae"

# --- Run E: one planted font met first. ---------------------------------------
# A copy of an installed font with one number of its table directory
# broken, in a folder of hers the walk meets before root's fonts.
rm -rf "$scratch/m/x${rlo}fto.txt"
mkdir -p "$scratch/sys/fontsE"
cp "$(installed $sans_b)" "$scratch/sys/fontsE/$sans_b"
cp "$(installed $serif_r)" "$scratch/sys/fontsE/$serif_r"
planted=""
for name in e1 e2 e3 e4 e5 e6 e7 e8 e9 ea eb ec ed ee ef; do
  mkdir -p "$scratch/$name"
  first=$(ls -f "$scratch" | grep -xE "sys|$name" | head -1)
  if [ "$first" = "$name" ]; then planted="$scratch/$name"; break; fi
  rmdir "$scratch/$name"
done
[ -n "$planted" ] || fail "no folder name the walk meets before root's"
chown 4242:4242 "$planted"
as_mallory /usr/bin/python3 -c "
import struct, sys
data = bytearray(open('$(installed $sans_b)', 'rb').read())
for i in range(struct.unpack('>H', data[4:6])[0]):
    at = 12 + 16 * i
    if data[at:at + 4] == b'CFF ':
        data[at + 12:at + 16] = struct.pack('>I', 0x7FFFFFF0)
open('$planted/$sans_b', 'wb').write(data)" || fail "mallory's setup"
start_updater
hers=$(grep -nF "$(basename "$planted")/$sans_b" <<<"$screen" | head -1 | cut -d: -f1)
roots=$(grep -nF "fontsE/" <<<"$screen" | head -1 | cut -d: -f1)
[ -n "$hers" ] && [ -n "$roots" ] && [ "$roots" -lt "$hers" ] || fail "root's fonts are not listed before mallory's"
tmux -S "$sock" send-keys -t run Enter
wait_for "改訂元ファイル(" 120 run
tmux -S "$sock" send-keys -t run Enter
wait_for "EXIT=" 20 run
grep -q "EXIT=1" <<<"$screen" || fail "run E did not end with 1"
tmux -S "$sock" kill-window -t run
cmp -s "$demo/revised/$sans_b" "$scratch/sys/fontsE/$sans_b" || fail "run E did not revise root's $sans_b first"
cmp -s "$demo/revised/$serif_r" "$scratch/sys/fontsE/$serif_r" || fail "run E did not revise root's $serif_r first"
row "14 one planted font met first" "copied an installed font into a folder of hers the walk meets first, its CFF length broken" \
  "before: listed first, 実行 failed on it (114, exit 1) before any of root's fonts; after: root's fonts (folders only root writes) revised first, then hers fails (114, exit 1)"

# --- sabun. ---------------------------------------------------------------------
# 4: a sparse file named like a font.
mkdir -p "$scratch/s4/big" "$scratch/s4/huge"
cp "$(installed $sans_b)" "$scratch/s4/big/$sans_b" && truncate -s 200M "$scratch/s4/big/$sans_b"
cp "$(installed $sans_b)" "$scratch/s4/huge/$sans_b" && truncate -s 2G "$scratch/s4/huge/$sans_b"
# With 120 MB of address space, a search that read the 200 MB file whole could
# not. AddressSanitizer reserves terabytes of address space for itself: its
# builds run without the limit.
limit="ulimit -v 120000;"
if grep -aq "__asan_init" "$sabun"; then limit=""; fi
out=$(ns "$limit $sabun search --data $demo $scratch/s4/big") || fail "the 200 MB font was not found: $out"
out=$(ns "$limit $sabun search --data $demo $scratch/s4/huge; echo status=\$?")
grep -q "status=1" <<<"$out" || fail "the 2 GiB file: $out"
out=$(ns "$limit $sabun update --data $demo $scratch/s4/huge/$sans_b; echo status=\$?")
grep -q "status=1" <<<"$out" || fail "the update of the 2 GiB file: $out"
[ "$(stat -c %s "$scratch/s4/huge/$sans_b")" = 2147483648 ] || fail "the 2 GiB file was changed"
row "4 a 2 GiB sparse file named like a font" "planted it where the search looks" \
  "before: read whole to be refused (2 GiB allocated), and a 200 MB font not matched in 120 MB of address space; after: refused by its size before any allocation, the 200 MB font matched (only its name and head read)"

# 5: the same font reached twice.
mkdir -p "$scratch/s5/a" "$scratch/s5/b"
cp "$(installed $serif_b)" "$scratch/s5/a/$serif_b"
ln "$scratch/s5/a/$serif_b" "$scratch/s5/a/TesselDemoSerifJP-Bold_1.otf"
out=$(ns "mount --bind $scratch/s5/a $scratch/s5/b && $sabun search --data $demo $scratch/s5/a $scratch/s5/b")
[ "$(grep -c . <<<"$out")" = 1 ] || fail "the search listed the same file more than once: $out"
out=$(ns "$sabun update --data $demo $scratch/s5/a/$serif_b $scratch/s5/a/$serif_b $scratch/s5/a/TesselDemoSerifJP-Bold_1.otf; echo status=\$?")
grep -q "status=0" <<<"$out" && [ "$(grep -c 'revised once' <<<"$out")" = 2 ] || fail "sabun update F F: $out"
cmp -s "$demo/revised/$serif_b" "$scratch/s5/a/$serif_b" || fail "the font reached twice is not its revision"
row "5 the same font reached twice" "a bind mount, a hard link, the same path named twice" \
  "before: listed 4 times, patched 3 times, each reported 0, the font damaged; after: listed once, revised once (the revision byte for byte)"

# 7: links planted at the coming temporary names.
mkdir -p "$scratch/s7"
cp "$(installed $sans_r)" "$scratch/s7/$sans_r"
echo "root's file" >"$scratch/sys/victim7"
ns "setpriv --reuid=4242 --regid=4242 --clear-groups -- python3 -c '
import os, time
now = int(time.time())
for t in range(now, now + 40):
    for r in range(255):
        for suffix in (\"\", \".ini\"):
            os.symlink(\"$scratch/sys/victim7\", \"/tmp/%d%d%s\" % (t, r, suffix))
'" >/dev/null || fail "mallory could not plant her links"
out=$(ns "$sabun update --data $demo $scratch/s7/$sans_r; echo status=\$?")
grep -q "status=0" <<<"$out" || fail "with links at the temporary names: $out"
[ "$(cat "$scratch/sys/victim7")" = "root's file" ] || fail "the file behind the links was changed"
row "7 links at the predictable temporary names" "planted 20,400 links in /tmp at the names of the next 40 s" \
  "before: no update list, the font not revised (status 1); after: revised (code 0) in a private mkdtemp folder, the linked file untouched"

# 15: a font in a folder that keeps every name put in it (chattr +a, as
# root could have left it; the file systems without the flag skip it).
mkdir -p "$scratch/s15"
cp "$(installed $serif_b)" "$scratch/s15/$serif_b"
if chattr +a "$scratch/s15" 2>/dev/null; then
  out=$(ns "$sabun update --data $demo $scratch/s15/$serif_b; echo status=\$?")
  left=$(ls -A "$scratch/s15" | grep -vx "$serif_b")
  chattr -a "$scratch/s15"
  grep -q "status=0" <<<"$out" && fail "a font in an append-only folder was reported revised: $out"
  [ -z "$left" ] || fail "files left in the append-only folder: $left"
  cmp -s "$(installed $serif_b)" "$scratch/s15/$serif_b" || fail "the font in the append-only folder changed"
  row "15 a folder that keeps every name (chattr +a)" "a font in an append-only folder" \
    "before: a .part file the size of the revised font left beside it that no later run could remove (code 10); after: refused before anything is written (code 10), nothing left"
fi

# 9 (sabun): escape sequences in a folder name, printed to a terminal.
evil=$'\e[2J\e]2;pwned\a'
mkdir -p "$scratch/s9/$evil"
cp "$(installed $serif_r)" "$scratch/s9/$evil/$serif_r"
tmux -S "$sock" new-window -d -n sabun \
  "$sabun search --data $demo $scratch/s9; $sabun update --data $demo '$scratch/s9/$evil/$serif_r'; echo DONE; sleep 600"
wait_for "DONE" 30 sabun
[ "$(grep -cF '\x1b[2J\x1b]2;pwned\x07' <<<"$screen")" = 2 ] || fail "sabun printed the folder's escape sequences raw"
row "9 escape sequences in a path (sabun)" "made a folder named ESC[2J ESC]2;pwned BEL holding a font" \
  "before: sabun search and update printed them raw to the terminal; after: shown as \\x1b[2J\\x1b]2;pwned\\x07"
screen=""

# 11: a patch that declares a table of 1.9 GB, and a 1 GiB sparse patch: a
# demo patch whose last table (one rebuilt from a block) mallory raised to
# end at 1.9 GB, and a demo patch she made 1 GiB long. Under 120 MB of
# address space, sabun must refuse both with the reason, before it allocates
# anything for them, and write nothing.
as_mallory sh -c "mkdir '$scratch/m/s11' && cp '$demo/patches/2001.pa' '$scratch/m/s11/sparse.pa' &&
  truncate -s 1G '$scratch/m/s11/sparse.pa'" || fail "mallory's setup"
# (python3 may be root's own; the file is handed to mallory.)
python3 - "$demo/patches/2001.pa" "$scratch/m/s11/hostile.pa" <<'PY' || fail "mallory's patch"
import struct, sys
patch = bytearray(open(sys.argv[1], "rb").read())
records = [struct.unpack_from(">4sBBIII", patch, 85 + 18 * i) + (i,) for i in range(patch[76])]
tag, _, _, block, _, offset, i = max(records, key=lambda r: r[5])
assert block != 0
struct.pack_into(">I", patch, 85 + 18 * i + 10, 1900000000 - offset)  # the table's newLength
struct.pack_into(">I", patch, 72, 1900000000)  # newFileSize
open(sys.argv[2], "wb").write(patch)
PY
chown 4242:4242 "$scratch/m/s11/hostile.pa"
s11="$scratch/m/s11"
out=$(ns "$limit $sabun apply $(installed $sans_r) $s11/hostile.pa -o $s11/out.otf; echo status=\$?")
grep -q "status=7" <<<"$out" && grep -qF "declares a revised font of 1900000000 bytes" <<<"$out" ||
  fail "sabun apply of the 1.9 GB patch: $out"
[ "$(ls "$s11")" = "$(printf '%s\n' hostile.pa sparse.pa)" ] || fail "sabun apply left a file: $(ls "$s11")"
out=$(ns "$limit $sabun info $s11/hostile.pa; echo status=\$?")
grep -q "status=1" <<<"$out" && grep -qF "declares a revised font of 1900000000 bytes" <<<"$out" ||
  fail "sabun info of the 1.9 GB patch: $out"
out=$(ns "$limit $sabun info $s11/sparse.pa; echo status=\$?")
grep -q "status=1" <<<"$out" && grep -qF "is 1073741824 bytes, more than the tools read" <<<"$out" ||
  fail "sabun info of the 1 GiB patch: $out"
row "11 a patch declaring a 1.9 GB table" "raised a demo patch's last table to end at 1.9 GB; made a demo patch a 1 GiB sparse file" \
  "before: sabun apply wrote the 1.9 GB font (1.86 GB resident, exit 0), sabun info read the sparse patch whole (2.1 GB resident); after: both refused with the reason before anything is allocated (in 120 MB of address space), no file written"

[ "$failed" = 0 ] || exit 1
echo "PASS: every attack failed"
