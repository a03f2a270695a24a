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
  # ctest's exit status says whether everything passed; its JUnit file gives
  # the counts (build/<preset>/ctest-junit.xml).
  junit="build/$preset/ctest-junit.xml"
  rm -f "$junit"
  ctest --preset "$preset" -j "$jobs" --output-junit "$PWD/$junit"
  status=$?
  counts=$(python3 - "$junit" <<'PY'
import sys
import xml.etree.ElementTree as ET
try:
    cases = ET.parse(sys.argv[1]).getroot().iter("testcase")
except (OSError, ET.ParseError):
    print("0 0")
    sys.exit()
good = bad = 0
for case in cases:
    status = case.get("status")
    if status in ("disabled", "notrun"):
        continue
    if status == "run" and case.find("failure") is None:
        good += 1
    else:
        bad += 1
print(good, bad)
PY
)
  read -r good bad <<<"$counts"
  # A failing ctest with no failure counted (it could not run, or wrote no
  # file) still counts as one.
  if [ "$status" -ne 0 ] && [ "$bad" -eq 0 ]; then bad=1; fi
  passed=$((passed + good))
  failed=$((failed + bad))
  echo "== test $preset: $good passed, $bad failed"
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
