#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and runs one of them.
#   scripts/fuzz.sh font_reader_fuzzer [seconds]
#   scripts/fuzz.sh patch_fuzzer [seconds]
# New findings land in fuzz/corpus/<target>/ (keep the small ones).
set -euo pipefail
cd "$(dirname "$0")/.."
target="${1:?target name}"
seconds="${2:-60}"
build=build/fuzz
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" -DTESSEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target tessel_engine >/dev/null
flags="-fsanitize=fuzzer,address,undefined -g -O1 -std=c++20 -I."
libs="$build/engine/libtessel_engine.a $build/search/libtessel_search.a $build/patch/libtessel_patch.a $build/font/libtessel_font.a $build/platform/libtessel_platform.a"
clang++ $flags -fsanitize-coverage=trace-cmp fuzz/"$target".cpp $libs -o "$build/$target"
mkdir -p "fuzz/corpus/$target"
"$build/$target" -max_total_time="$seconds" -max_len=65536 "fuzz/corpus/$target"
