# Sourced by the scripts that run the Linux updater as root in a mount
# namespace of its own, so that its search finds only the fonts the script
# put in SCRATCH.
#
#   hide_places SCRATCH FOLDER...
#
# prints the shell lines that cover each FOLDER (a glob is expanded inside
# the namespace) and this checkout, wherever it lies (a clone need not be
# under /work: its build trees hold the fonts of other tests), with an empty
# tmpfs. A folder that holds SCRATCH, a symbolic link, or one already hidden
# under an earlier mount is left as it is.
hide_places() {
  local keep=$1
  shift
  local checkout
  checkout=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
  cat <<LINES
for d in $* "$checkout"; do
  case "$keep/" in "\$d"/*) continue ;; esac
  [ -d "\$d" ] && [ ! -L "\$d" ] && mount -t tmpfs tessel-hidden "\$d"
done
LINES
}
