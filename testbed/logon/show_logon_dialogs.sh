#!/usr/bin/env bash
# Shows the five logon and registration dialogs over the game window under Xvfb
# and saves what the screen shows, one PNG each (logon, required, optional,
# progress, one-field): the demo pushes a new user's clicks, keys and typing into
# SDL's event queue. Then, when xdotool is installed, a second run is worked from
# outside through the X server as a person would: New Member, the required page
# by typing, Tab and Alt letters, the optional page by clicks, Cancel, then a
# logon by mouse and keyboard (answered locally); its last frame is
# xdotool-end.png.
# Usage: bash testbed/logon/show_logon_dialogs.sh [out_folder]   (default build/logon_dialogs)
set -euo pipefail
cd "$(dirname "$0")/../.."
out=$(realpath -m "${1:-build/logon_dialogs}")
build=build/testbed
if [ "${SKIP_DEPS:-0}" != 1 ]; then bash tools/deps.sh; fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIZUZOR_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j3 --target logon_dialogs_demo >/dev/null
demo=$(realpath "$build/testbed/logon/logon_dialogs_demo")
mkdir -p "$out"

if [ -z "${DISPLAY:-}" ] || [ "${IN_XVFB:-0}" != 1 ]; then
  # Run the rest inside a private X server.
  exec env IN_XVFB=1 SKIP_DEPS=1 xvfb-run -a -s "-screen 0 800x600x24" bash "$0" "$out"
fi

"$demo" --shots "$out"

if ! command -v xdotool >/dev/null; then
  echo "xdotool is not installed: the run from outside is skipped" >&2
  exit 0
fi

log="$out/xdotool.log"
: > "$log"
"$demo" --interactive "$out/xdotool-end.png" > "$log" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

wait_for() {  # a line of the demo's output [how many times]
  for _ in $(seq 200); do
    [ "$(grep -cx "$1" "$log" || true)" -ge "${2:-1}" ] && return 0
    sleep 0.05
  done
  echo "never saw: $1" >&2; cat "$log" >&2; exit 1
}
click() {  # dialog control
  local xy
  xy=$(grep "^place $1 $2 " "$log" | tail -1 | cut -d' ' -f4,5)
  [ -n "$xy" ] || { echo "no place for $1 $2" >&2; exit 1; }
  # shellcheck disable=SC2086
  xdotool mousemove --window "$wid" $xy click 1
  sleep 0.1
}
keys() { xdotool key --delay 30 "$@"; sleep 0.1; }
typed() { xdotool type --delay 30 "$1"; sleep 0.1; }

wait_for "shown 101"
wid=$(xdotool search --sync --name "Vizuzor logon" | head -1)
xdotool windowfocus --sync "$wid" 2>/dev/null || true

click 101 1000                       # New Member
wait_for "shown 109"
for field in Newbie secret secret "New Bie" new@bie.org; do
  typed "$field"; keys Tab
done
keys Tab; typed Springfield; keys Tab Tab; typed 12345
keys alt+x Down                      # "Se&x": Male
click 109 1015; keys Down Down Return # the age list by mouse, then keys
keys Return                          # Next >>
wait_for "shown 110"
click 110 1045                       # School
click 110 2                          # Cancel: back to the logon dialog
wait_for "shown 101" 2
click 101 1003                       # the user name's text
keys End BackSpace BackSpace BackSpace
typed Newbie                         # typing a name empties the password
click 101 1002; typed secret
click 101 1001                       # Save Password
keys Return                          # Enter
wait_for "completed 0 Newbie"
wait $pid
trap - EXIT
echo "$out/xdotool-end.png"
echo "worked from outside through the X server: logon completed"
