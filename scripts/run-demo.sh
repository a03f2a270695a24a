#!/usr/bin/env bash
# Runs the updater's main job on its built-in demo data: the demo's installed
# fonts are put (afresh) into the user's font folder, where the search finds
# them, and the updater revises them there, in the terminal. The repository
# keeps them as *.otf.installed, a name the search passes over.
#
# --clean removes the demo fonts again (make demo-clean).
set -euo pipefail
cd "$(dirname "$0")/.."

# Under sudo the fonts still go to the invoking user's folder.
home="$HOME"
if [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then home=$(getent passwd "$SUDO_USER" | cut -d: -f6); fi
fonts="${XDG_DATA_HOME:-$home/.local/share}/fonts/tessel-demo"

if [ "${1:-}" = "--clean" ]; then
  rm -rf "$fonts"
  command -v fc-cache >/dev/null && fc-cache "$(dirname "$fonts")" >/dev/null 2>&1 || true
  echo "demo fonts removed from $fonts"
  exit 0
fi

updater=build/linux-app/app/tessel_202310
[ -x "$updater" ] || { echo "run-demo: $updater is not built (make build)" >&2; exit 1; }
if [ ! -t 0 ] || [ ! -t 1 ]; then
  echo "run-demo: the updater runs in a terminal; start make run from one" >&2
  exit 1
fi

mkdir -p "$fonts"
for f in resources/demo/installed/*.otf.installed; do
  cp -f "$f" "$fonts/$(basename "$f" .installed)"
done
chmod u+w "$fonts"/*.otf
echo "demo fonts installed in $fonts (make demo-clean removes them)"

if [ "$(id -u)" -eq 0 ]; then
  exec "$updater"
fi
echo "The updater revises installed fonts and so needs the rights of an administrator,"
echo "which on Linux is user 0: it runs through sudo now (it searches the whole disk,"
echo "but revises only the demo fonts it finds)."
exec sudo "$updater"
