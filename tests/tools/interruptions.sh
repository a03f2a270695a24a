#!/usr/bin/env bash
# A font update interrupted for real, with sabun update (the updater's own
# UpdateFont): a file system that fills up while the revised font is written
# beside the installed one, and a process killed with SIGKILL at random
# moments while it revises a font of 16 MB. After each, the installed font is
# either the old font or the revised one, byte for byte, never anything else;
# what a killed run leaves beside the font is removed by the next run.
#
# usage: interruptions.sh SABUN SOURCE_DIR [RUNS]
set -uo pipefail
sabun=$1
source_dir=$2
runs=${3:-50}
python=$(command -v python3) || { echo "FAIL: python3 is not installed"; exit 1; }

scratch=$(mktemp -d /var/tmp/tessel-interruptions-XXXXXX)
trap 'umount "$scratch/full" 2>/dev/null; rm -rf "$scratch"' EXIT
mkdir -p "$scratch/tmp" "$scratch/fonts" "$scratch/pairs/old" "$scratch/pairs/new"
export TMPDIR="$scratch/tmp"
fail() { echo "FAIL: $*"; exit 1; }
beside() { find "$1" -maxdepth 1 -name '*.tessel-*.part' | wc -l; }

# A full file system: the revised font cannot be written beside the installed one.
demo="$source_dir/resources/demo"
bold=TesselDemoSansJP-Bold.otf
if [ "$(id -u)" -eq 0 ] && mkdir -p "$scratch/full" && mount -t tmpfs -o size=400k tessel-full "$scratch/full" 2>/dev/null; then
  cp "$demo/installed/$bold.installed" "$scratch/full/$bold"
  status=0
  out=$("$sabun" update --data "$demo" "$scratch/full/$bold") || status=$?
  [ "$status" -eq 10 ] || fail "a full file system gave code $status, not 10: $out"
  cmp -s "$demo/installed/$bold.installed" "$scratch/full/$bold" || fail "a full file system damaged the font"
  [ "$(beside "$scratch/full")" -eq 0 ] || fail "a full file system left a file beside the font"
  echo "| full file system (beside the font) | write cut short | 10 | old, untouched | 0 |"
  umount "$scratch/full"
else
  echo "SKIP: full file system: no tmpfs can be mounted here (needs root)"
fi

# A font of 16 MB and more and its revision.
"$python" "$source_dir/tests/tools/grow-font.py" "$demo/installed/$bold.installed" "$scratch/pairs/old/Big.otf" 16777216 7 &&
  "$python" "$source_dir/tests/tools/grow-font.py" "$demo/revised/$bold" "$scratch/pairs/new/Big.otf" 16777216 7 40 ||
  fail "grow-font.py"
"$sabun" bundle "$scratch/pairs" -o "$scratch/data" >/dev/null || fail "sabun bundle"
old="$scratch/pairs/old/Big.otf"
new="$scratch/pairs/new/Big.otf"
font="$scratch/fonts/Big.otf"

# How long a whole update takes, so that the kills land all over it.
cp "$old" "$font"
start=$(date +%s%N)
"$sabun" update --data "$scratch/data" "$font" >/dev/null || fail "an uninterrupted update failed"
took=$((($(date +%s%N) - start) / 1000))
cmp -s "$font" "$new" || fail "an uninterrupted update did not give the revision"

stayed_old=0
became_new=0
touch "$scratch/leftovers"
for ((i = 1; i <= runs; i++)); do
  cp "$old" "$font"
  "$sabun" update --data "$scratch/data" "$font" >/dev/null 2>&1 &
  pid=$!
  # Anywhere from the start to a little past the usual end.
  delay=$((RANDOM * RANDOM % (took * 12 / 10 + 1)))
  sleep "$(printf '%d.%06d' $((delay / 1000000)) $((delay % 1000000)))"
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  if cmp -s "$font" "$old"; then
    stayed_old=$((stayed_old + 1))
  elif cmp -s "$font" "$new"; then
    became_new=$((became_new + 1))
  else
    fail "run $i (killed after ${delay} us): the font is neither the old one nor the revised one"
  fi
  [ "$(beside "$scratch/fonts")" -le 1 ] || fail "run $i left more than one file beside the font"
  find "$scratch/fonts" -maxdepth 1 -name '*.tessel-*.part' -printf '%f\n' >>"$scratch/leftovers"
done
left=$(sort -u "$scratch/leftovers" | wc -l)
echo "| SIGKILL at a random moment, $runs runs over a $((took / 1000)) ms update of a $(($(stat -c %s "$old") / 1048576)) MB font | killed | - | old $stayed_old times, revised $became_new times, never damaged | $left runs left one file beside the font, removed by a later run |"

cp "$old" "$font"
"$sabun" update --data "$scratch/data" "$font" >/dev/null || fail "the update after the kills failed"
cmp -s "$font" "$new" || fail "the update after the kills did not give the revision"
[ "$(beside "$scratch/fonts")" -eq 0 ] || fail "the next update did not remove the files the killed runs left"
echo "PASS: interrupted updates leave the old font or the revised one, and the next run cleans up"
