#!/usr/bin/env bash
# Plays writer-made animations (one moving, one repeating, one with text) through
# the animation service on a virtual X display and captures the display at three
# moments, as OUT-1.png, OUT-2.png and OUT-3.png.
# Usage: bash testbed/animation/show_animation.sh [out.png]   (default build/animation.png)
set -euo pipefail
cd "$(dirname "$0")/../.."
out=${1:-build/animation.png}
build=build/testbed
bash tools/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIZUZOR_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j3 --target animation_demo >/dev/null

display=:95
source testbed/virtual_display.sh

"$build/testbed/animation/animation_demo" "$build/testbed/animation/srf/demo.srf" "$ready" &
demo=$!
for _ in $(seq 100); do [ -e "$ready" ] && break; sleep 0.1; done
[ -e "$ready" ] || { echo "the window did not come up" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
stem=${out%.png}
for n in 1 2 3; do
  sleep 0.7
  import -window root "$stem-$n.png"
  echo "captured $stem-$n.png"
done
