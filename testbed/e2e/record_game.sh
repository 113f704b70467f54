#!/usr/bin/env bash
# Plays the end-to-end test's game and keeps what it saw and heard:
#   bash testbed/e2e/record_game.sh OUT [--full]
# Builds the client, sound-decode and the demo pack (in VIZUZOR_BUILD, default build/release),
# then plays the game row of testbed/e2e/e2e.py (--full: against the world bot's full game with
# its hostile rows) under a virtual display, and leaves in OUT: contact.png (one labelled
# screenshot per step), shots/, game.wav (the client's sound as it played it), and every log
# (bot.log, http.log, proxy.log, ngircd.log, client.err, xdg-open.log, ...). The row's own
# output (one line per step and check) is OUT/row.log as well as on the terminal.
set -euo pipefail
cd "$(dirname "$0")/../.."
if [ $# -lt 1 ] || [ "${1#-}" != "$1" ]; then
  echo "usage: bash testbed/e2e/record_game.sh OUT [--full]" >&2
  exit 2
fi
out=$1
row=game
case "${2:-}" in
  "") ;;
  --full) row=game-full ;;
  *) echo "usage: bash testbed/e2e/record_game.sh OUT [--full]" >&2; exit 2 ;;
esac

build=${VIZUZOR_BUILD:-build/release}
bash tools/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVIZUZOR_TESTS=OFF -DVIZUZOR_BENCHMARKS=OFF >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target RovodevIdozEzozuz sound-decode demo-pack

# The Python that has numpy (a Python of its own on the path may lack the system's packages).
python=python3
python3 -c "import numpy" 2>/dev/null || python=/usr/bin/python3
mkdir -p "$out"
status=0
"$python" testbed/e2e/e2e.py "$build" "$row" --record "$out" | tee "$out/row.log" || status=$?
echo "kept in $out: contact.png, game.wav, shots/ and the logs"
exit "$status"
