#!/usr/bin/env bash
# Checks (or with --fix, applies) the formatting of every C++ file of the
# tree by .clang-format: make format fixes, make test checks.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
else
  clang-format --dry-run -Werror "${files[@]}"
fi
