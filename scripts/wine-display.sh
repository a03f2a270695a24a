# Sourced by the scripts that walk the Windows updater's dialogs under Wine
# in a virtual X display (there is no window manager): finding, focusing,
# pressing and photographing its windows. The program under test runs as
# $app; screenshots go to $shots.

# Visible windows titled exactly $1, one id a line.
windows_named() { timeout 10 xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }

# Waits up to $2 seconds for a visible window titled $1 and prints its id;
# fails at once when the program has ended.
wait_window() {
  local id deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    id=$(windows_named "$1" | head -1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    kill -0 "$app" 2>/dev/null || return 1
    sleep 0.2
  done
  return 1
}

# Waits up to $2 seconds for window $1 to be gone.
wait_gone() {
  local deadline=$((SECONDS + $2))
  while [ $SECONDS -lt $deadline ]; do
    timeout 10 xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
    timeout 10 xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || return 0
    sleep 0.2
  done
  return 1
}

# Gives window $1 the keyboard (there is no window manager to do it).
focus() {
  timeout 10 xdotool windowfocus --sync "$1" >/dev/null 2>&1 || timeout 10 xdotool windowfocus "$1" 2>/dev/null
  sleep 0.3
}

# Presses key $2 in window $1.
press() {
  focus "$1"
  timeout 10 xdotool key "$2"
}

# Saves window $1 as $shots/$2.png (once it has painted).
shoot() {
  sleep 0.5
  timeout 20 import -window "$1" "$shots/$2.png" 2>/dev/null
}

# Waits up to $1 seconds for the program to end; its status in $app_status.
wait_exit() {
  local deadline=$((SECONDS + $1))
  while kill -0 "$app" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
  wait "$app"
  app_status=$?
  return 0
}

stop_program() {
  kill "$app" 2>/dev/null
  timeout 20 wineserver -k 2>/dev/null
}
