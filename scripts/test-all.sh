#!/usr/bin/env bash
# Builds every preset and runs every test: Linux under ctest, once as it
# ships and once with AddressSanitizer and UndefinedBehaviorSanitizer (fuzz
# corpora replayed, each fuzz target run for a few seconds), the two Windows
# builds under Wine (scripts/wine-run.sh); and the formatting of the C++
# files (scripts/check-format.sh). Ends with one line for the whole
# run, "N passed, N failed", where a preset that does not build counts as one
# failure, so that a broken build never reads as success.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
passed=0
failed=0
for preset in linux linux-asan win32 win64; do
  echo "== build $preset"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$jobs"; }; then
    echo "== build $preset FAILED"
    failed=$((failed + 1))
    continue
  fi
  echo "== test $preset"
  log=$(mktemp)
  ctest --preset "$preset" -j "$jobs" 2>&1 | tee "$log"
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  if [ -n "$line" ]; then
    total=$(echo "$line" | sed -E 's/.*out of ([0-9]+).*/\1/')
    bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed.*/\1/')
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  elif ! grep -q 'No tests were found' "$log"; then
    echo "== test $preset: ctest gave no summary"
    failed=$((failed + 1))
  fi
  rm -f "$log"
done
echo "== format"
if bash scripts/check-format.sh; then
  passed=$((passed + 1))
else
  echo "== format: files differ from .clang-format (make format fixes them)"
  failed=$((failed + 1))
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
