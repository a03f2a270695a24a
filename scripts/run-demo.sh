#!/usr/bin/env bash
# Runs the updater's main job on its built-in demo data.
set -euo pipefail
cd "$(dirname "$0")/.."
exec build/linux/app/tessel_202310
