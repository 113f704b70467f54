#!/usr/bin/env bash
# Starts the game view on the fixture pack at 800 x 600 on a virtual X display
# and captures the display once the view has started.
# Usage: bash testbed/view/show_view.sh [out.png]   (default build/view.png)
set -euo pipefail
cd "$(dirname "$0")/../.."
out=$(realpath -m "${1:-build/view.png}")
build=build/testbed
bash tools/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIZUZOR_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j3 --target view_demo >/dev/null

display=:96
source testbed/virtual_display.sh

# The view opens its resources relative to the folder it runs in.
(cd "$build/testbed/view" && exec ./view_demo "$ready") &
demo=$!
for _ in $(seq 100); do [ -e "$ready" ] && break; sleep 0.1; done
[ -e "$ready" ] || { echo "the view did not start" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
sleep 0.5
import -window root "$out"
echo "captured $out"
