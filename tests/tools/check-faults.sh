#!/usr/bin/env bash
# `sabun check` on copies of the demo update data spoiled by hand, as a maker
# editing a folder would spoil it: every mistake must be named at once, each
# by its own message, and the exit status must be 1; the demo data itself and
# a fresh bundle must pass with 0.
#
#   check-faults.sh SABUN SOURCE_DIR WORK_DIR
set -uo pipefail
[ $# -eq 3 ] || { echo "usage: check-faults.sh SABUN SOURCE_DIR WORK_DIR" >&2; exit 2; }
sabun=$1
demo=$2/resources/demo
work=$3
rm -rf "$work"
mkdir -p "$work"
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# expect LOG TEXT: the check's output names TEXT.
expect() {
  grep -qF -- "$2" "$1" || fail "$(basename "$1"): no \"$2\""
}

copy_demo() {
  mkdir -p "$1/patches"
  cp "$demo/update.ini" "$demo/download-names.txt" "$1/"
  cp "$demo"/patches/*.pa "$1/patches/"
}

# The demo data as it is, and as sabun bundle writes it, are sound.
"$sabun" check "$demo" >"$work/demo.log" 2>&1 || { cat "$work/demo.log"; fail "the demo data does not pass"; }
expect "$work/demo.log" "is sound: 4 fonts, 4 patches, 4 download names"

# A: the update list edited by hand, a patch cut short, one deleted, the
# download names mistyped.
a="$work/a"
copy_demo "$a"
iconv -f CP932 -t UTF-8 "$demo/update.ini" |
  sed -e 's/^FONT_RESNUM2=2002/FONT_RESNUM2=2020/' \
    -e 's/^FONT_PAFILE3=/FONT_PAFLE3=/' \
    -e 's/下記4フォント/下記6フォント/' \
    -e 's/^FONT_RESNUM4=2004/FONT_RESNUM4=2004\r\nFONT_PAFILE5=Extra.pa\r\nFONT_RESNUM5=2001/' |
  iconv -f UTF-8 -t CP932 >"$a/update.ini"
head -c 100000 "$demo/patches/2001.pa" >"$a/patches/2001.pa"
rm "$a/patches/2004.pa"
printf '10001\r\n1234\r\n10001\r\n' >"$a/download-names.txt"
"$sabun" check "$a" >"$a.log" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "folder A: exit status $status, not 1"
expect "$a.log" "$a/patches/2001.pa: error: is damaged"
expect "$a.log" "改訂元ファイル(…)の読み込みに失敗しました。"
expect "$a.log" "$a/update.ini:6: error: entry 2 names patches/2020.pa, which is missing or empty"
expect "$a.log" "the updater stops reading the list at entry 2 and drops every font after it"
expect "$a.log" "$a/update.ini:7: error: \"FONT_PAFLE3\" is not a key the updater reads"
expect "$a.log" "error: FONT_PAFILE3 is missing or empty"
expect "$a.log" "entry 4 names patches/2004.pa, which is missing or empty"
expect "$a.log" "FONT_PAFILE5 is entry 5, beyond MAXNUM=4: the updater never reads it"
expect "$a.log" "FONT_RESNUM5=2001 is entry 1's patch too"
expect "$a.log" "MAIN_TEXTTITLE says 6 fonts, the list has 4"
expect "$a.log" "$a/download-names.txt:2: error: \"1234\" is not a download name"
expect "$a.log" "$a/download-names.txt:3: error: 10001 is listed again (first on line 1)"
expect "$a.log" "sabun check: $a: 11 problems"

# B: the list saved as UTF-8, and a patch made from the pair swapped.
b="$work/b"
copy_demo "$b"
iconv -f CP932 -t UTF-8 "$demo/update.ini" >"$b/update.ini"
swapped=(revised/TesselDemoSansJP-Bold.otf installed/TesselDemoSansJP-Bold.otf.installed)
"$sabun" make "$demo/${swapped[0]}" "$demo/${swapped[1]}" -o "$b/patches/2002.pa" >"$work/swapped.log" 2>&1 ||
  "$sabun" make --allow-downgrade "$demo/${swapped[0]}" "$demo/${swapped[1]}" -o "$b/patches/2002.pa" \
    >"$work/swapped.log" 2>&1 || { cat "$work/swapped.log"; fail "no swapped patch"; }
"$sabun" check "$b" >"$b.log" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "folder B: exit status $status, not 1"
expect "$b.log" "$b/update.ini:13: error: was saved as UTF-8, not code page 932: the start dialog would show \"MAIN_TEXTTITLE=繝"
expect "$b.log" "$b/patches/2002.pa: error: revises \"Tessel Demo Sans JP Bold\" from revision 1.010 to 1.000: the revision goes down"
expect "$b.log" "sabun check: $b: 2 problems"

# D: a patch and the download names made huge sparse files: named by their
# size and never read, in far less memory than they take. The search and
# the update read the folder the same way.
d="$work/d"
copy_demo "$d"
truncate -s 1G "$d/patches/2003.pa"
truncate -s 300M "$d/download-names.txt"
# AddressSanitizer reserves terabytes of address space: its builds run
# without the limit.
limit="ulimit -v 200000"
grep -aq "__asan_init" "$sabun" && limit=":"
($limit; "$sabun" check "$d") >"$d.log" 2>&1
status=$?
[ "$status" -eq 1 ] || fail "folder D: exit status $status, not 1"
expect "$d.log" "$d/patches/2003.pa: error: is larger than the tools read (268435456 bytes at most"
expect "$d.log" "$d/download-names.txt: error: is larger than the tools read"
expect "$d.log" "sabun check: $d: 2 problems"
($limit; "$sabun" search --data "$d" "$d") >"$d-search.log" 2>&1
[ $? -eq 2 ] || fail "folder D: sabun search did not refuse the data"
expect "$d-search.log" "$d/patches/2003.pa is 1073741824 bytes, more than the tools read"

# C: not a folder at all.
"$sabun" check "$work/no-such-folder" >"$work/c.log" 2>&1 && fail "a missing folder passes"
expect "$work/c.log" "no such folder"

if [ "$failures" -eq 0 ]; then
  echo "check faults: PASS"
else
  echo "--- folder A:"; cat "$a.log"; echo "--- folder B:"; cat "$b.log"
  echo "check faults: FAIL ($failures)"
  exit 1
fi
