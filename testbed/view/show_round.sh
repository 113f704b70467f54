#!/usr/bin/env bash
# Plays the parts of a round with the game view's controls on the fixture pack
# at 800 x 600 on a virtual X display: a picture downloaded from the test HTTP
# server in each frame style, a round's announcement and transition, a
# countdown and a vote, saving a PNG of the game window after each.
# Usage: bash testbed/view/show_round.sh [out-folder]   (default build/round)
set -euo pipefail
cd "$(dirname "$0")/../.."
out=$(realpath -m "${1:-build/round}")
build=build/testbed
bash tools/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIZUZOR_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j3 --target round_demo >/dev/null
mkdir -p "$out"

# The pictures: 400 x 300 baseline JPEGs served from the test HTTP server's /file/.
pictures=$(mktemp -d)
logs=$(mktemp -d)
for i in 1 2 3; do
  convert -size 400x300 "gradient:#$((3 * i))0a0c0-#203040" -fill white \
    -draw "rectangle 40,40,$((40 + 100 * i)),90" -interlace none -quality 85 "$pictures/p$i.jpg"
done
portfile=$(mktemp)
python3 testbed/http/http_server.py --log "$logs" --files "$pictures" >"$portfile" &
server=$!
for _ in $(seq 100); do [ -s "$portfile" ] && break; sleep 0.1; done
port=$(head -n1 "$portfile")

display=:95
source testbed/virtual_display.sh
trap 'kill $server 2>/dev/null || true; rm -rf "$pictures" "$logs" "$portfile"; cleanup' EXIT

# The view opens its resources relative to the folder it runs in.
(cd "$build/testbed/view" && exec ./round_demo "$out" "$port")
for ppm in "$out"/*.ppm; do
  convert "$ppm" "${ppm%.ppm}.png"
  rm -f "$ppm"
  echo "saved ${ppm%.ppm}.png"
done
