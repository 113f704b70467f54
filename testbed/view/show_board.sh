#!/usr/bin/env bash
# Plays a Dar Eradar round in the game view on the fixture pack at 640 x 480
# on a virtual X display, from the room's segment texts: the selection with a
# click on a swatch, then its results, then a game's ten-name ranking; one PNG
# per screen in OUT.
# Usage: bash testbed/view/show_board.sh [OUT]   (default build/board)
set -euo pipefail
cd "$(dirname "$0")/../.."
out=$(realpath -m "${1:-build/board}")
build=build/testbed
bash tools/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVIZUZOR_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j3 --target board_demo >/dev/null

display=:97
source testbed/virtual_display.sh

mkdir -p "$out"
stages=$(mktemp -d)
(cd "$build/testbed/view" && exec ./board_demo "$stages") &
demo=$!
for stage in selection results; do
  for _ in $(seq 600); do [ -e "$stages/$stage" ] && break; sleep 0.1; done
  [ -e "$stages/$stage" ] || { echo "the demo did not reach $stage" >&2; exit 1; }
  import -window root "$out/$stage.png"
  touch "$stages/$stage.done"
  echo "captured $out/$stage.png"
done
wait "$demo"
demo=""
rm -rf "$stages"
# The game-winner screen's ranking of ten names, from its segment text, on a display of its own.
VIZUZOR_RANKING_DISPLAY=:98 bash testbed/view/show_ranking.sh "$out/ranking.png"
