#!/usr/bin/env bash
# Plays N games (default 100), each with one cut or stall at a seeded random moment, and
# fails on a hang: for a person, not for CI.
#   bash testbed/e2e/soak.sh [N] [FIRST_SEED]
# Builds the client with ASan and UBSan, sound-decode and the demo pack (in VIZUZOR_BUILD,
# default build/sanitize), then runs the soak row of testbed/e2e/e2e.py once per seed
# (FIRST_SEED, default the time, then one more each game): the fault comes through the IRC
# fault proxy (a cut, or a stall of up to 90 s) or the HTTP server (a picture or an ad stalled
# or cut). A game passes when the game or the room chooser goes on, or the client ends with a
# text of the error table, in time. A failed game keeps its seed, screenshots and logs in
# build/soak/SEED (a passed one's are removed); the summary names them and the time taken.
# SOAK_JOBS games run at once (default 1), each in a world and on a display of its own.
set -euo pipefail
cd "$(dirname "$0")/../.."
count=${1:-100}
seed=${2:-$(date +%s)}
build=${VIZUZOR_BUILD:-build/sanitize}
bash tools/deps.sh
cmake -S . -B "$build" -G Ninja -DVIZUZOR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target RovodevIdozEzozuz sound-decode demo-pack
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
python=python3
python3 -c "import numpy" 2>/dev/null || python=/usr/bin/python3

keep=build/soak
mkdir -p "$keep"
start=$(date +%s)
jobs=${SOAK_JOBS:-1}

play() {  # one game: its seed and number
  local s=$1 n=$2 work=$keep/$1
  if "$python" testbed/e2e/e2e.py "$build" soak --seed "$s" --work "$work" > "$keep/$s.log" 2>&1; then
    rm -rf "$work" "$keep/$s.log"
    echo "game $n/$count seed $s: passed"
  else
    mkdir -p "$work"
    mv "$keep/$s.log" "$work/row.log" 2>/dev/null || true
    echo "game $n/$count seed $s: FAILED (kept in $work)"
  fi
}

for ((i = 0; i < count; i++)); do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  play $((seed + i)) $((i + 1)) &
done
wait
failed=()
for ((i = 0; i < count; i++)); do
  [ -e "$keep/$((seed + i))" ] && failed+=("$((seed + i))")
done
echo "$count games in $(( $(date +%s) - start )) s; ${#failed[@]} failed${failed[*]:+: seeds ${failed[*]}}"
[ ${#failed[@]} -eq 0 ]
