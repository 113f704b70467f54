#!/usr/bin/env bash
# Shows the game window with a composed frame (filled rectangles and lines of text)
# on a virtual X display and captures the display as a PNG.
# Usage: bash testbed/canvas/show_canvas_window.sh [out.png]   (default build/canvas_window.png)
set -euo pipefail
cd "$(dirname "$0")/../.."
out=${1:-build/canvas_window.png}
build=build/testbed
bash tools/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIZUZOR_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j4 --target canvas_window_demo >/dev/null

display=:97
source testbed/virtual_display.sh

"$build/testbed/canvas/canvas_window_demo" "$ready" &
demo=$!
for _ in $(seq 100); do [ -e "$ready" ] && break; sleep 0.1; done
[ -e "$ready" ] || { echo "the window did not come up" >&2; exit 1; }
sleep 0.5
mkdir -p "$(dirname "$out")"
import -window root "$out"
echo "captured $out"
