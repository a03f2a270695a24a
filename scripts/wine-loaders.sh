# Sourced by the scripts that run Windows programs under Wine: which Wine
# loader runs a program. Debian's /usr/bin/wine wrapper (and wineboot, reg
# and regedit through it) prefers the 32-bit loader once wine32 is installed,
# which fails outright on a kernel that runs 64-bit user code only; so the
# prefix is made, and every 64-bit program run, through the 64-bit loader by
# name.

# Prints the path of the first Wine loader named that is installed.
wine_find_loader() {
  local name
  for name in "$@"; do
    if [ -x "/usr/lib/wine/$name" ]; then echo "/usr/lib/wine/$name"; return 0; fi
    if command -v "$name" >/dev/null 2>&1; then command -v "$name"; return 0; fi
  done
  return 1
}

# Prints the machine field of the Windows program $1's PE header: 014c for
# i386, 8664 for x86-64.
wine_pe_machine() {
  local pe_offset
  pe_offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  od -An -tx2 -j$((pe_offset + 4)) -N2 "$1" | tr -d ' '
}

# Prints the loader for the Windows program $1 by its machine field, or says
# on standard error why it cannot run here and returns 1.
wine_loader_for() {
  case "$(wine_pe_machine "$1")" in
    8664) wine_find_loader wine64 || { echo "wine64 is not installed" >&2; return 1; } ;;
    # Debian's /usr/bin/wine without wine32 says "wine32 is missing" and ends
    # with status 0, so a 32-bit program would seem to pass without running:
    # the 32-bit loader itself is required.
    014c)
      if ! bash "$(dirname "${BASH_SOURCE[0]}")/runs-i386.sh" >/dev/null; then
        echo "this kernel cannot execute 32-bit programs, so neither can Wine's 32-bit loader" >&2
        return 1
      fi
      [ -x /usr/lib/wine/wine ] || { echo "wine32 is not installed (apt-get install wine32:i386)" >&2; return 1; }
      echo /usr/lib/wine/wine
      ;;
    *) echo "$1 is not a Windows x86 or x64 program" >&2; return 1 ;;
  esac
}
