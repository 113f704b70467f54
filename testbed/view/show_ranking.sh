#!/usr/bin/env bash
# Plays a game-winner segment (an "SGW" wire text) in the game view on the
# fixture pack at 800 x 600 on a virtual X display and captures the display
# once its voices have ended. Other scripts call it for the ranking screen.
# Usage: bash testbed/view/show_ranking.sh [out.png] ["SGW ..." text]
#   default: build/ranking.png and a ranking of ten names
set -euo pipefail
cd "$(dirname "$0")/../.."
out=$(realpath -m "${1:-build/ranking.png}")
text=${2:-"SGW -1 10 Ann 42 Bob 30 Cy 28 Dee 25 Eve 19 Fay 15 Gus 11 Hal 8 Ivy 4 Jo 2 S 0 0 0 60000 0 "}
build=build/testbed
bash tools/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIZUZOR_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j3 --target segment_demo >/dev/null

display=${VIZUZOR_RANKING_DISPLAY:-:98}
source testbed/virtual_display.sh

# The view opens its resources relative to the folder it runs in.
(cd "$build/testbed/view" && exec ./segment_demo "$ready" 3000 "$text") &
demo=$!
for _ in $(seq 300); do [ -e "$ready.1" ] && break; sleep 0.1; done
[ -e "$ready.1" ] || { echo "the ranking was not shown" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
import -window root "$out"
rm -f "$ready.1"
echo "captured $out"
