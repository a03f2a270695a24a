#!/usr/bin/env bash
# Runs the updater's main job on its built-in demo data: the demo's installed
# fonts are put (afresh) into the user's font folder, where the search finds
# them, and the updater revises them there. (The repository keeps them as
# *.otf.installed, a name the search passes over.)
set -euo pipefail
cd "$(dirname "$0")/.."
fonts="${XDG_DATA_HOME:-$HOME/.local/share}/fonts/tessel-demo"
mkdir -p "$fonts"
for f in resources/demo/installed/*.otf.installed; do
  cp -f "$f" "$fonts/$(basename "$f" .installed)"
done
chmod u+w "$fonts"/*.otf
echo "demo fonts installed in $fonts"
exec build/linux/app/tessel_202310
