#!/usr/bin/env bash
# Installs the Debian packages a target needs, only those that are missing
# (with one apt-get update first when something is missing).
#
#   install-deps.sh linux   what the Linux updater and sabun need to build
#                           and run (make run): no Wine, no mingw, no tests
#   install-deps.sh bench   what make bench builds, measures against and
#                           makes its inputs with
#   install-deps.sh fuzz    clang and libFuzzer for make fuzz
#   install-deps.sh all     everything make test needs: the Windows cross
#                           compilers, Wine, the test and benchmark libraries,
#                           the fonts, the display and terminal tools; and the
#                           Japanese and US English UTF-8 locales, under which
#                           Wine runs the Windows tests with the ANSI code
#                           pages 932 and 1252
#
# Wine's 32-bit half (wine32:i386) is installed only where this kernel
# executes 32-bit programs (scripts/runs-i386.sh): elsewhere it could never
# run, and the i386 package indexes are the ones mirrors most often serve out
# of step. Where it is already installed it is left as it is.
set -euo pipefail

linux_packages=(cmake make g++ libcli11-dev libdivsufsort-dev libncurses-dev)
test_packages=(
  python3 fontconfig locales tmux util-linux clang-format
  libgtest-dev googletest libbenchmark-dev clang libclang-rt-14-dev
  mingw-w64 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 fonts-wine xvfb xauth xdotool imagemagick
  fonts-noto-cjk fonts-stix fonts-linuxlibertine xdelta3 osslsigncode openssl zip
  fonts-inter python3-fonttools zstd
)
# What make bench measures against and makes its inputs with.
bench_packages=(libbenchmark-dev zstd xdelta3 bsdiff python3-fonttools fonts-noto-cjk time)
# Wine's ANSI code page follows the locale: 932 for the Windows tests, 1252
# for the end-to-end walk's run on a Western European system.
locale_names=(ja_JP.UTF-8 en_US.UTF-8)

case "${1:-all}" in
  linux) packages=("${linux_packages[@]}") ;;
  all)
    packages=("${linux_packages[@]}" "${test_packages[@]}")
    if bash "$(dirname "$0")/runs-i386.sh" >/dev/null; then packages+=(wine32:i386); fi
    ;;
  bench) packages=("${linux_packages[@]}" "${bench_packages[@]}") ;;
  fuzz) packages=("${linux_packages[@]}" libgtest-dev libbenchmark-dev clang libclang-rt-14-dev) ;;
  *) echo "usage: install-deps.sh linux|all|bench|fuzz" >&2; exit 2 ;;
esac

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  # A mirror in the middle of a sync fails an update now and then, and with
  # a stale index of one architecture the install cannot be resolved: both
  # are tried again after a pause, three times. A mirror that keeps serving
  # an index other than the one its signed Release file names (seen for days
  # with bookworm-security's i386 index) is then taken as it serves it, with
  # a warning: the packages are still checked against that index, only the
  # index itself cannot be checked against the signature.
  fetch() {
    if command -v curl >/dev/null; then
      curl -fsSL "$1"
    else
      python3 -c 'import sys, urllib.request; sys.stdout.buffer.write(urllib.request.urlopen(sys.argv[1]).read())' "$1"
    fi
  }
  install_missing() {
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
  }
  installed=false
  update_log=$(mktemp)
  trap 'rm -f "$update_log"' EXIT
  for attempt in 1 2 3; do
    $sudo apt-get update -q 2>&1 | tee "$update_log" || true
    if install_missing; then
      installed=true
      break
    fi
    echo "apt-get install failed (attempt $attempt)"
    [ "$attempt" -eq 3 ] && break
    mismatched=$(grep -oE 'Failed to fetch [^ ]*Packages\.xz +(File has unexpected size|Hash Sum mismatch)' "$update_log" |
      awk '{print $4}' | sort -u)
    if [ -n "$mismatched" ]; then
      for url in $mismatched; do
        list=/var/lib/apt/lists/$(echo "${url#*://}" | sed 's/\.xz$//; s|/|_|g')
        echo "install-deps: WARNING: $url does not match its signed Release file;" \
             "using the index as the mirror serves it"
        fetch "$url" | xz -dc | $sudo tee "$list" >/dev/null || echo "install-deps: could not fetch $url"
      done
      if install_missing; then
        installed=true
        break
      fi
    fi
    sleep 60
  done
  $installed || { echo "install-deps: could not install ${missing[*]}" >&2; exit 1; }
fi

[ "${1:-all}" = all ] || exit 0
# glibc lists its generated locales as "ja_JP.utf8".
generate=false
for locale_name in "${locale_names[@]}"; do
  if ! locale -a 2>/dev/null | grep -qix "${locale_name%.UTF-8}\.utf-\?8"; then
    echo "generating the $locale_name locale"
    generate=true
    if grep -q "^# *$locale_name UTF-8" /etc/locale.gen 2>/dev/null; then
      $sudo sed -i "s/^# *$locale_name UTF-8/$locale_name UTF-8/" /etc/locale.gen
    elif ! grep -q "^$locale_name UTF-8" /etc/locale.gen 2>/dev/null; then
      echo "$locale_name UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
    fi
  fi
done
if $generate; then $sudo locale-gen; fi
