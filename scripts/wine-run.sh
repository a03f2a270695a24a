#!/usr/bin/env bash
# Runs a Windows program of a build tree under Wine, in a prefix that lives in
# that build tree: made once with wineboot, Windows version set to 10. The
# 32-bit build runs in the 64-bit prefix under WoW64, as on 64-bit Windows.
set -euo pipefail

exe="$1"
shift
dir=$(cd "$(dirname "$exe")" && pwd)
build="$dir"
while [ "$build" != "/" ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
[ -f "$build/CMakeCache.txt" ] || { echo "wine-run: no build tree above $exe" >&2; exit 2; }

export WINEPREFIX="$build/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

wine=wine
grep -q 'x86_64-w64-mingw32' "$build/CMakeCache.txt" && wine=wine64

(
  flock 9
  if [ ! -f "$WINEPREFIX/.tessel-ready" ]; then
    wineboot --init >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win10 /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.tessel-ready"
  fi
) 9>"$build/.wineprefix.lock"

exec "$wine" "$exe" "$@"
