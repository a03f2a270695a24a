#!/usr/bin/env bash
# make bench: one table of ratios, each figure against its baseline measured
# in the same run, with peak memory. Builds a release sabun and the
# in-process benchmarks (build/bench), makes the revision pairs of Debian's
# Noto CJK fonts once (build/bench-pairs, with fontTools, a few minutes) and
# the folder tree of the search once (build/bench-work).
#
#   bench/run.sh [RUNS]
#
# BUILD, PAIRS and WORK choose the folders; PYTHON the interpreter that has
# fontTools (default /usr/bin/python3).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build/bench}
pairs=${PAIRS:-build/bench-pairs}
work=${WORK:-build/bench-work}
python=${PYTHON:-/usr/bin/python3}
runs=${1:-5}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target sabun engine_bench -j "$(nproc)" >/dev/null
"$python" bench/make-pairs.py "$pairs"

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -g | awk '/Mem:/ {print $2}') GB"
echo
echo "Whole commands (median of $runs runs):"
"$python" bench/measure.py "$build/tools/sabun" "$pairs" "$work" "$runs"
echo
echo "In process, on sans-edits:"
"$build/bench/engine_bench" --pair="$pairs/sans-edits" --benchmark_min_time=0.5 2>/dev/null | grep -E '^(Read|Build|Sum)'
