#!/usr/bin/env bash
# The updater deployed the way Intune, Configuration Manager or a startup
# script deploys it: started by a service (tests/app/DeployAgent.cpp, which
# captures its standard output and reads its exit status), where no window
# can be seen. Runs after the end-to-end walk, in its prefix, with the very
# program the walk ran (build/PRESET-e2e):
#
#   A. four old fonts, one of them in C:\windows\Fonts held open by another
#      process for the whole run (as another session's load of the font
#      holds it): no window appears; the service sees 3010; the record
#      names each font, the held one revised at the next restart; a second
#      copy started on the desktop meanwhile ends with 1618, with no window;
#      the held font is untouched until `wineboot -r`, then equals its
#      revision byte for byte with nothing left beside it;
#   B. the same deployment again: 0, nothing to revise;
#   C. the same held font in the user's own font folder, which users can
#      write: 1603, code 10 in the record, the font untouched, nothing left.
#
# Usage: wine-deployed.sh SOURCE_DIR WORK_DIR PRESET (WORK_DIR as the walk's).
# Each phase runs in a virtual display of its own, where xdotool would see a
# window the service's program made (Wine draws them on the X display).
# Prints "wine deployed: PASS" or "wine deployed: FAIL: <reason>".
set -uo pipefail

display_mode=0
if [ "${1:-}" = "--in-display" ]; then
  display_mode=1
  shift
fi
source_dir=$(cd "$1" && pwd)
work=$(cd "$2" && pwd)
preset=$3

fail() {
  echo "wine deployed: FAIL: $*"
  exit 1
}
step() { echo "-- deployed: $* [${SECONDS} s]"; }

source "$source_dir/scripts/wine-loaders.sh"
source "$source_dir/scripts/wine-prefix.sh"
wine_prefix_environment "$work"
c="$WINEPREFIX/drive_c"
demo="$source_dir/resources/demo"
records="$work/deployed"
exe="$source_dir/build/$preset-e2e/app/tessel_202310.exe"
agent="$source_dir/build/$preset/tests/app/deploy_agent.exe"
loader=$(wine_loader_for "$exe") || fail "no Wine loader for the updater"
agent_loader=$(wine_loader_for "$agent") || fail "no Wine loader for the deployment agent"
user_fonts="users/$(wine_prefix_user)/AppData/Local/Microsoft/Windows/Fonts"
held_system="windows/Fonts/TesselDemoSansJP-Bold.otf"
held_user="$user_fonts/TesselDemoSansJP-Bold.otf"
program_titles='VELDMARK|検索中|フォントを改訂中|確　認'

agent() { timeout 120 "$agent_loader" 'C:\deploy\deploy_agent.exe' "$@"; }

# Starts a process holding drive_c's $1 open, sharing reads only; its pid in $holder.
hold() {
  "$agent_loader" 'C:\deploy\deploy_agent.exe' hold "C:\\$(echo "$1" | tr / '\\')" 600 >"$records/hold.log" 2>&1 &
  holder=$!
  local deadline=$((SECONDS + 60))
  until grep -qs holding "$records/hold.log"; do
    [ $SECONDS -lt $deadline ] && kill -0 $holder 2>/dev/null || fail "nothing holds $1: $(cat "$records/hold.log")"
    sleep 0.2
  done
}

# The program's windows on the display, one title a line.
program_windows() {
  local id
  for id in $(timeout 10 xdotool search --onlyvisible --name . 2>/dev/null); do
    timeout 10 xdotool getwindowname "$id" 2>/dev/null
  done | grep -E "$program_titles"
}

# Deploys the updater as run $1 while watching the display; the service's
# status in $status, the record in $records/$1.txt.
deploy() {
  rm -f "$c/deploy/$1".*
  agent deploy 'C:\deploy\tessel_202310.exe' "C:\\deploy\\$1" >"$records/$1.agent.log" 2>&1 &
  local agent_pid=$!
  if [ "${2:-}" = second-copy ]; then
    agent waitmutex 'Global\tessel_202310.EXE' 60 || fail "$1: the deployed copy took no mutex"
    timeout 60 "$loader" 'C:\deploy\tessel_202310.exe' >"$records/$1.second.log" 2>&1
    second_status=$?
  fi
  while kill -0 $agent_pid 2>/dev/null; do
    shown=$(program_windows)
    [ -z "$shown" ] || fail "$1: a window appeared under the service: $shown"
    sleep 0.3
  done
  wait $agent_pid || fail "$1: the agent failed: $(cat "$records/$1.agent.log")"
  cp "$c/deploy/$1.txt" "$c/deploy/$1.station" "$records/" 2>/dev/null
  status=$(tr -d '\r\n' <"$c/deploy/$1.status" 2>/dev/null)
  [ -n "$status" ] || fail "$1: the service read no exit status"
  echo "   $1: exit status $status; $(tail -n 1 "$records/$1.txt")"
}

old_fonts() {
  echo "windows/Fonts/TesselDemoSansJP-Regular.otf TesselDemoSansJP-Regular"
  echo "$held_system TesselDemoSansJP-Bold"
  echo "windows/Fonts/TesselDemoSerifJP-Regular.otf TesselDemoSerifJP-Regular"
  echo "$user_fonts/TesselDemoSerifJP-Bold.otf TesselDemoSerifJP-Bold"
}

# Run A in the display.
phase_a() {
  step "A: four fonts, one of them held in C:\\windows\\Fonts"
  hold "$held_system"
  deploy run-a second-copy
  kill $holder 2>/dev/null
  wait $holder 2>/dev/null
  grep -qx '__wineservice_winstation visible=0' "$records/run-a.station" ||
    fail "the service's window station: $(cat "$records/run-a.station")"
  [ "$status" = 3010 ] || fail "run A: the service saw $status, not 3010: $(cat "$records/run-a.txt")"
  [ "$second_status" -eq $((1618 % 256)) ] ||
    fail "run A: the second copy ended with $second_status, not 1618's low byte"
  [ "$(grep -c ': 1.000 -> 1.010: revised$' "$records/run-a.txt")" -eq 3 ] ||
    fail "run A: the record does not show three fonts revised: $(cat "$records/run-a.txt")"
  grep -q "TesselDemoSansJP-Bold.otf: 1.000 -> 1.010: revised at the next restart" "$records/run-a.txt" ||
    fail "run A: the record does not show the held font revised at the restart"
  grep -qx 'tessel_202310: exit status 3010: .*(4 revised, 1 of them at the next restart, 0 failed)' \
    "$records/run-a.txt" || fail "run A: no closing line: $(cat "$records/run-a.txt")"
}

# Runs B and C in the display, after the restart.
phase_bc() {
  step "B: the same deployment after the restart"
  deploy run-b
  [ "$status" = 0 ] || fail "run B: the service saw $status, not 0: $(cat "$records/run-b.txt")"
  grep -q '^tessel_202310: exit status 0: nothing to revise' "$records/run-b.txt" ||
    fail "run B: $(cat "$records/run-b.txt")"

  step "C: the held font in the user's own font folder"
  cp "$demo/installed/TesselDemoSansJP-Bold.otf.installed" "$c/$held_user"
  hold "$held_user"
  deploy run-c
  kill $holder 2>/dev/null
  wait $holder 2>/dev/null
  [ "$status" = 1603 ] || fail "run C: the service saw $status, not 1603: $(cat "$records/run-c.txt")"
  grep -q "TesselDemoSansJP-Bold.otf: 1.000 -> 1.010: failed (10)" "$records/run-c.txt" ||
    fail "run C: the record does not show code 10: $(cat "$records/run-c.txt")"
}

# Runs phase $1 in a virtual display of its own.
in_new_display() {
  timeout 300 xvfb-run -a -s "-screen 0 1280x1024x24" bash "$0" --in-display "$source_dir" "$work" "$preset" "$1" |
    tee "$records/display-$1.log"
  local result=${PIPESTATUS[0]}
  timeout 30 wineserver -k 2>/dev/null
  [ "$result" -ne 124 ] || fail "phase $1 did not finish in time"
  [ "$result" -eq 0 ] || exit 1
  grep -qx "in-display: done" "$records/display-$1.log" || fail "phase $1 stopped early"
}

if [ $display_mode -eq 1 ]; then
  "phase_$4"
  echo "in-display: done"
  exit 0
fi

wine64=$(wine_find_loader wine64) || fail "wine64 is not installed"
[ -f "$agent" ] || fail "no $agent: build the $preset preset first"
rm -rf "$records" "$c/deploy"
mkdir -p "$records" "$c/deploy"
cp "$exe" "$agent" "$c/deploy/"
rm -f "$c/$held_user"
while read -r path stem; do
  cp "$demo/installed/$stem.otf.installed" "$c/$path"
done < <(old_fonts)

in_new_display a
held_folder=$(dirname "$c/$held_system")
cmp -s "$c/$held_system" "$demo/installed/TesselDemoSansJP-Bold.otf.installed" ||
  fail "the held font changed before the restart"
ls "$held_folder" | grep -q '^TesselDemoSansJP-Bold\.otf\..*\.part$' ||
  fail "no revised font waits beside the held one: $(ls "$held_folder")"

step "the restart (wineboot -r)"
(unset DISPLAY; timeout 120 "$wine64" wineboot -r >"$records/wineboot.log" 2>&1) || fail "wineboot -r failed"
timeout 60 wineserver -w
cmp -s "$c/$held_system" "$demo/revised/TesselDemoSansJP-Bold.otf" ||
  fail "after the restart the held font is not its revision"
ls "$held_folder" | grep -q '\.part$' && fail "the restart left a file beside the font: $(ls "$held_folder")"
while read -r path stem; do
  cmp -s "$c/$path" "$demo/revised/$stem.otf" || fail "C:/$path is not its revision"
done < <(old_fonts)

in_new_display bc
cmp -s "$c/$held_user" "$demo/installed/TesselDemoSansJP-Bold.otf.installed" ||
  fail "run C changed the held font in the user's folder"
ls "$c/$user_fonts" | grep -q '\.part$' && fail "run C left a file beside the held font: $(ls "$c/$user_fonts")"
echo "wine deployed: PASS (records in $records)"
