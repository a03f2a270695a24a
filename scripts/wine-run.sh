#!/usr/bin/env bash
# Runs a Windows program of a build tree under Wine (ctest's emulator for the
# win32 and win64 presets). The Wine prefix lives in the build tree and is
# made once: wineboot, Windows version 10, and the null graphics driver so
# that windows and dialogs work without a display. The program runs as on a
# Japanese Windows (ANSI code page 932) when glibc has the ja_JP.UTF-8 locale
# (scripts/install-deps.sh makes it). A 32-bit program runs in the 64-bit
# prefix under WoW64, as the shipped build does on 64-bit Windows.
set -euo pipefail

[ $# -ge 1 ] || { echo "usage: wine-run.sh program.exe [arguments...]" >&2; exit 2; }
exe="$1"
shift
[ -f "$exe" ] || { echo "wine-run: no such program: $exe" >&2; exit 2; }

build=$(cd "$(dirname "$exe")" && pwd)
while [ "$build" != "/" ] && [ ! -f "$build/CMakeCache.txt" ]; do build=$(dirname "$build"); done
[ -f "$build/CMakeCache.txt" ] || { echo "wine-run: no build tree above $exe" >&2; exit 2; }

export WINEPREFIX="$build/wineprefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

if locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  export LC_ALL=ja_JP.UTF-8
else
  echo "wine-run: no ja_JP.UTF-8 locale (run scripts/install-deps.sh): the ANSI code page is not 932" >&2
fi

source "$(dirname "$0")/wine-loaders.sh"
loader=$(wine_loader_for "$exe" 2>&1) || { echo "wine-run: $loader" >&2; exit 2; }
wine64=$(wine_find_loader wine64) || { echo "wine-run: wine64 is not installed" >&2; exit 2; }
machine=$(wine_pe_machine "$exe")

# Made once per build tree; parallel tests wait for the first to finish it.
stamp="$WINEPREFIX/.tessel-prefix-1"
(
  flock 9
  # A prefix made before wine32 was installed has no 32-bit system folder
  # ("could not load kernel32.dll"): a 32-bit program has it made again.
  if [ "$machine" = 014c ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    rm -f "$stamp"
  fi
  if [ ! -f "$stamp" ]; then
    rm -rf "$WINEPREFIX"
    if ! "$wine64" wineboot --init >/dev/null 2>&1; then
      echo "wine-run: wineboot could not make the prefix $WINEPREFIX" >&2
      exit 1
    fi
    "$wine64" reg add 'HKCU\Software\Wine' /v Version /t REG_SZ /d win10 /f >/dev/null 2>&1
    "$wine64" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null 2>&1
    # The settings are read when the next Wine server starts.
    wineserver -w
    touch "$stamp"
  fi
) 9>"$build/.wineprefix.lock"

exec "$loader" "$exe" "$@"
