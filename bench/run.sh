#!/usr/bin/env bash
# Measures `sabun make` on revision pairs of CJK fonts (16 MB and more)
# against xdelta3 -e -9 -S none on the same pairs, in the same run, and
# prints for each pair the patch size and build time as ratios to xdelta3's
# (below 1 is better). Makes the pairs first when they are missing (needs
# python3-fonttools and fonts-noto-cjk; a few minutes, once).
#
#   bench/run.sh [--benchmark_repetitions=N ...]
#
# BUILD (default build/bench) and PAIRS (default build/bench-pairs) choose the
# folders; PYTHON the interpreter that has fontTools (default /usr/bin/python3).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build/bench}
pairs=${PAIRS:-build/bench-pairs}
python=${PYTHON:-/usr/bin/python3}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target patch_bench -j 2 >/dev/null
"$python" bench/make-pairs.py "$pairs"

json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$build/bench/patch_bench" --pairs="$pairs" --benchmark_format=json "$@" >"$json"

"$python" - "$json" <<'PY'
import json, sys
runs = [b for b in json.load(open(sys.argv[1]))["benchmarks"] if b.get("run_type") != "aggregate"]
def mean(kind, pair, key):
    values = [b[key] for b in runs if b["name"].split("/")[:2] == [kind, pair] and key in b]
    return sum(values) / len(values) if values else None
pairs = sorted({b["name"].split("/")[1] for b in runs})
print("%-15s %12s %12s %12s %7s %9s %9s %7s" % ("pair", "new font", "patch", "xdelta3", "size", "make ms", "xdelta ms", "time"))
for pair in pairs:
    ours, theirs = mean("make", pair, "patch_bytes"), mean("xdelta3", pair, "patch_bytes")
    ours_ms, theirs_ms = mean("make", pair, "real_time"), mean("xdelta3", pair, "real_time")
    font = mean("make", pair, "new_font_bytes")
    if None in (ours, theirs, ours_ms, theirs_ms):
        print("%-15s failed" % pair)
        continue
    print("%-15s %12d %12d %12d %7.3f %9.0f %9.0f %7.2f" % (pair, font, ours, theirs, ours / theirs, ours_ms, theirs_ms, ours_ms / theirs_ms))
PY
