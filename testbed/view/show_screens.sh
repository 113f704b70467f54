#!/usr/bin/env bash
# Plays preflight, a two-line round and a round without a winner from the room
# bot's segment texts (testbed/view/round_segments.txt) through the game view
# on the fixture pack, on a virtual X display, and captures each screen once it
# has played for a while: one PNG per screen in the folder given.
# Usage: bash testbed/view/show_screens.sh [out-folder]   (default build/screens)
set -euo pipefail
cd "$(dirname "$0")/../.."
out=$(realpath -m "${1:-build/screens}")
build=build/testbed
segments=$(realpath testbed/view/round_segments.txt)
bash tools/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIZUZOR_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j3 --target screens_demo >/dev/null

display=:97
source testbed/virtual_display.sh
mkdir -p "$out"

# The view opens its resources relative to the folder it runs in. The demo
# names each capture in $ready and waits until it is gone.
(cd "$build/testbed/view" && exec ./screens_demo "$segments" "$ready") &
demo=$!
shots=0
while kill -0 "$demo" 2>/dev/null; do
  if [ -e "$ready" ]; then
    name=$(cat "$ready")
    import -window root "$out/$name.png"
    echo "captured $out/$name.png"
    shots=$((shots + 1))
    rm -f "$ready"
  fi
  sleep 0.1
done
status=0
wait "$demo" || status=$?
demo=""
[ "$status" -eq 0 ] || { echo "the demo failed ($status)" >&2; exit 1; }
[ "$shots" -gt 0 ] || { echo "no screen was captured" >&2; exit 1; }
echo "$shots screens in $out"
