#!/usr/bin/env bash
# make bench: one table of ratios, each figure against its baseline measured
# in the same run, with peak memory. Builds a release sabun and the
# in-process benchmarks (build/bench), makes the revision pairs of Debian's
# Noto CJK fonts once (build/bench-pairs, with fontTools, a few minutes) and
# the folder tree of the search once (build/bench-work).
#
# Then the update at its real size (bench/scale.py): 381 fonts of 5 to 20 MB
# made once (build/scale/fleet, half an hour), bundled, built into the Linux,
# win32 and win64 updaters and run end to end in the terminal (tmux) and
# under Wine. It runs as root, as the updater does.
#
#   bench/run.sh [RUNS]        everything
#   bench/run.sh --scale       the real-size section only
#
# BUILD, PAIRS, WORK and SCALE choose the folders; PYTHON the interpreter that
# has fontTools (default /usr/bin/python3).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD:-build/bench}
pairs=${PAIRS:-build/bench-pairs}
work=${WORK:-build/bench-work}
python=${PYTHON:-/usr/bin/python3}
scale=${SCALE:-build/scale}
only_scale=0
if [ "${1:-}" = --scale ]; then
  only_scale=1
  shift
fi
runs=${1:-5}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target sabun engine_bench -j "$(nproc)" >/dev/null
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -g | awk '/Mem:/ {print $2}') GB"
echo "kernel $(uname -r); transparent huge pages: $(cat /sys/kernel/mm/transparent_hugepage/enabled 2>/dev/null || echo none)"
echo "$("$python" bench/fault-cost.py)"
if [ $only_scale -eq 0 ]; then
  "$python" bench/make-pairs.py "$pairs"
  echo
  echo "Whole commands (median of $runs runs):"
  "$python" bench/measure.py "$build/tools/sabun" "$pairs" "$work" "$runs"
  echo
  echo "In process, on sans-edits:"
  "$build/bench/engine_bench" --pair="$pairs/sans-edits" --benchmark_min_time=0.5 2>/dev/null | grep -E '^(Read|Build|Sum)'
fi

echo
echo "At real size:"
if [ "$(id -u)" -ne 0 ]; then
  echo "(left out: the updater revises fonts only for root)"
  exit 0
fi
"$python" bench/scale.py "$build/tools/sabun" "$scale"
