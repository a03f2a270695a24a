#!/usr/bin/env bash
# Builds every preset and runs every test: Linux under ctest, once as it
# ships and once with AddressSanitizer and UndefinedBehaviorSanitizer (fuzz
# corpora replayed, each fuzz target run for a few seconds), the two Windows
# builds under Wine (scripts/wine-run.sh); and the formatting of the C++
# files (scripts/check-format.sh). The shipped i686 build is also checked
# without running it (scripts/check-shipped-exe.py).
#
# Where this kernel cannot execute 32-bit programs (scripts/runs-i386.sh),
# the i686 build is built and checked but not run, and the whole Windows
# suite, the end-to-end walk included, runs on the x86-64 build; where it
# can, the walk runs once, on the i686 build. A line per build and a summary
# say which ran and why.
#
# Ends with one line for the whole run, "N passed, N failed", where a preset
# that does not build counts as one failure, so that a broken build never
# reads as success.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
passed=0
failed=0
summary=()
if TESSEL_RUNS_I386=$(bash scripts/runs-i386.sh); then
  windows_plan="$(bash scripts/runs-i386.sh --why): the Windows tests run on the win32 build (the shipped one) and on the win64 build, the end-to-end walk on win32"
else
  windows_plan="$(bash scripts/runs-i386.sh --why): the win32 build is built and checked, not run; the Windows tests and the end-to-end walk run on the win64 build"
fi
export TESSEL_RUNS_I386
echo "== host: $windows_plan"
# The build trees and the Wine prefixes of the tests take about 4 GB at the
# peak (measured on a fresh clone); a full disk fails the Windows tests in
# ways that do not say so, so the room is said first.
free_mb=$(df -Pm . | awk 'NR == 2 {print $4}')
echo "== disk: ${free_mb} MB free here; the run needs about 4000 MB at its peak"
[ "${free_mb:-0}" -ge 4000 ] || echo "== disk: WARNING: too little room, the Windows tests may fail with 'No space left on device'"

for preset in linux linux-asan win32 win64; do
  echo "== build $preset"
  # The Windows builds check their update data with the Linux build's sabun
  # (without it they would build one of their own).
  configure_args=()
  if [[ $preset == win* ]] && [ -x build/linux/tools/sabun ]; then
    configure_args=(-DTESSEL_HOST_SABUN="$PWD/build/linux/tools/sabun")
  fi
  if ! { cmake --preset "$preset" "${configure_args[@]}" >/dev/null && cmake --build --preset "$preset" -j "$jobs"; }; then
    echo "== build $preset FAILED"
    summary+=("$preset: did not build")
    failed=$((failed + 1))
    continue
  fi
  ran=""
  if [ "$preset" = win32 ]; then
    echo "== check win32: the shipped program, without running it"
    checks=$(python3 scripts/check-shipped-exe.py build/win32/app/tessel_202310.exe)
    echo "$checks"
    good=$(grep -c '^ok:' <<<"$checks")
    bad=$(grep -c '^FAIL:' <<<"$checks")
    [ "$good" -gt 0 ] || bad=$((bad + 1))
    passed=$((passed + good))
    failed=$((failed + bad))
    echo "== check win32: $good passed, $bad failed"
    if [ "$TESSEL_RUNS_I386" = no ]; then
      line="win32: built and checked ($good passed, $bad failed), not run: this kernel cannot execute 32-bit programs; the Windows tests ran on the win64 build"
      echo "== test $line"
      summary+=("$line")
      continue
    fi
    ran=" (and $good checks of the program)"
  fi
  ctest_args=()
  if [ "$preset" = win64 ] && [ "$TESSEL_RUNS_I386" = yes ]; then
    ctest_args=(-E '^(wine_end_to_end|real_pairs_wine)$')
    ran=" (the end-to-end walk ran on the win32 build)"
  elif [ "$preset" = win64 ]; then
    ran=" (the Windows tests and the end-to-end walk, for the win32 build that cannot run here)"
  fi
  echo "== test $preset"
  # ctest's exit status says whether everything passed; its JUnit file gives
  # the counts (build/<preset>/ctest-junit.xml).
  junit="build/$preset/ctest-junit.xml"
  rm -f "$junit"
  ctest --preset "$preset" -j "$jobs" --output-junit "$PWD/$junit" "${ctest_args[@]}"
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
  echo "== test $preset: $good passed, $bad failed$ran"
  # The unit tests' Wine prefix (over a gigabyte) goes once its tests have
  # passed, before the next build adds its own: the disk of a test machine
  # may be small. A failed run keeps it to be looked at.
  if [[ $preset == win* ]] && [ "$status" -eq 0 ]; then
    timeout 30 env WINEPREFIX="$PWD/build/$preset/wineprefix" wineserver -k 2>/dev/null
    rm -rf "build/$preset/wineprefix"
  fi
  summary+=("$preset: $good passed, $bad failed$ran")
done
echo "== format"
if bash scripts/check-format.sh; then
  summary+=("format: 1 passed")
  passed=$((passed + 1))
else
  echo "== format: files differ from .clang-format (make format fixes them)"
  failed=$((failed + 1))
  summary+=("format: files differ from .clang-format")
fi
echo "== summary: $windows_plan"
printf '   %s\n' "${summary[@]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
