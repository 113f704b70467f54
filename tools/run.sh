#!/usr/bin/env bash
# Builds the client and runs it from its build folder. Arguments pass through.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVIZUZOR_TESTS=OFF -DVIZUZOR_BENCHMARKS=OFF >/dev/null
cmake --build build/release -j "$(nproc)" --target RovodevIdozEzozuz
exec build/release/app/RovodevIdozEzozuz "$@"
