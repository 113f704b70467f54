#!/usr/bin/env bash
# The README's first command.
#   bash tools/run.sh [--fresh] [--full] [--proxy]
#       the demo world (ngircd, the HTTP server with the demo server tree, the world bot)
#       and the client against it: testbed/demo/run.sh
#   bash tools/run.sh --servers FILE.ini
#       the client alone, against the servers FILE.ini's "Debug" section names
#       (DispatchServerName, DispatchServerPort)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--servers" ]; then
  [ $# -eq 2 ] || { echo "usage: bash tools/run.sh --servers FILE.ini" >&2; exit 2; }
  ini=$(realpath "$2")
  bash tools/deps.sh
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVIZUZOR_TESTS=OFF -DVIZUZOR_BENCHMARKS=OFF >/dev/null
  cmake --build build/release -j "${JOBS:-$(nproc)}" --target RovodevIdozEzozuz
  exec build/release/app/RovodevIdozEzozuz "$ini"
fi
exec bash testbed/demo/run.sh "$@"
