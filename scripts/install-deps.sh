#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that
# are missing (an apt-get update first when something is missing).
set -euo pipefail

packages=(
  cmake make g++ python3 fontconfig
  libgtest-dev googletest libbenchmark-dev libcli11-dev libdivsufsort-dev
  mingw-w64 wine wine64 wine32:i386 xvfb xauth
  fonts-noto-cjk fonts-stix fonts-linuxlibertine xdelta3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
