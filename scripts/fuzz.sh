#!/usr/bin/env bash
# Runs every fuzz target (or the one named) for a bounded time with clang's
# libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer (the
# linux-asan preset), then merges what it found into fuzz/corpus/<target>/.
#
#   scripts/fuzz.sh [SECONDS [TARGET...]]      SECONDS per target, default 180
#
# An input that crashes or hangs is left in build/linux-asan/fuzz/<target>-artifacts/
# and the run stops with a failure: make it a corpus file and fix it.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-180}
shift || true
cmake --preset linux-asan >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/*_fuzzer.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi
cmake --build --preset linux-asan -j "$(nproc)" --target "${targets[@]}" >/dev/null
for target in "${targets[@]}"; do
  corpus="fuzz/corpus/$target"
  finds="build/linux-asan/fuzz/$target-session"
  artifacts="build/linux-asan/fuzz/$target-artifacts"
  rm -rf "$finds" "$artifacts"
  mkdir -p "$corpus" "$finds" "$artifacts"
  echo "== $target: $seconds s"
  # An input that takes over 10 s counts as a find, as a crash does.
  "build/linux-asan/fuzz/$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$finds" "$corpus" 2>&1 |
    grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb|#[0-9]+ *DONE)|ERROR|SUMMARY' || true
  if [ -n "$(ls -A "$artifacts")" ]; then
    echo "$target: found an input that fails, see $artifacts/"
    exit 1
  fi
  # Only the inputs that add coverage go into the corpus.
  "build/linux-asan/fuzz/$target" -merge=1 "$corpus" "$finds" 2>&1 | grep -E 'MERGE-OUTER: [0-9]+ new files' || true
done
