#!/usr/bin/env bash
# Plays a short generated scene (moving and held sprites, a caption, a picture)
# on a virtual X display and captures the display as a PNG.
# Usage: bash testbed/scene/show_scene.sh [out.png]   (default build/scene.png)
set -euo pipefail
cd "$(dirname "$0")/../.."
out=${1:-build/scene.png}
build=build/testbed
bash tools/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIZUZOR_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j3 --target scene_demo >/dev/null

display=:96
source testbed/virtual_display.sh

"$build/testbed/scene/scene_demo" "$ready" &
demo=$!
for _ in $(seq 100); do [ -e "$ready" ] && break; sleep 0.1; done
[ -e "$ready" ] || { echo "the window did not come up" >&2; exit 1; }
sleep 0.2
mkdir -p "$(dirname "$out")"
import -window root "$out"
echo "captured $out"
