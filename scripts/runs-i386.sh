#!/usr/bin/env bash
# Whether this kernel executes 32-bit x86 programs, found out by running one:
# a 96-byte static i386 ELF program (exit(42) through int 0x80) written to a
# scratch folder. Some kernels run 64-bit user code only; there execve gives
# "Exec format error", and Wine's 32-bit loader (and so the shipped i686
# build) cannot run at all.
#
#   runs-i386.sh [--why]
#
# Exit status 0 and "yes" where it runs, 1 and "no" where it does not; with
# --why, a sentence saying so instead of the word. TESSEL_RUNS_I386=yes|no,
# when set, is taken as the answer (make test sets it once for the whole
# run; set it to no to try the 64-bit-only route on a kernel that can run
# both).
set -uo pipefail

answer=${TESSEL_RUNS_I386:-}
[ "$answer" = yes ] || [ "$answer" = no ] || answer=""
if [ -z "$answer" ]; then
  # Under the tree's build folder, not /tmp, which may be mounted noexec.
  scratch_parent="$(cd "$(dirname "$0")/.." && pwd)/build"
  mkdir -p "$scratch_parent"
  scratch=$(mktemp -d "$scratch_parent/.runs-i386.XXXXXX")
  trap 'rm -rf "$scratch"' EXIT
  # ELF header (52 bytes), one loadable segment (32 bytes), then
  #   mov eax, 1; mov ebx, 42; int 0x80
  printf '%b' \
    '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
    '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
    '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
    '\x00\x00\x00\x00' \
    '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' \
    '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' \
    '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$scratch/exit42"
  chmod +x "$scratch/exit42"
  "$scratch/exit42" 2>/dev/null
  if [ $? -eq 42 ]; then answer=yes; else answer=no; fi
fi

case "$answer" in
  yes)
    [ "${1:-}" = --why ] && echo "this kernel executes 32-bit programs" || echo yes
    exit 0
    ;;
  *)
    [ "${1:-}" = --why ] && echo "this kernel cannot execute 32-bit programs" || echo no
    exit 1
    ;;
esac
