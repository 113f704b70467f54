#!/usr/bin/env bash
# Builds everything and runs every test. --sanitize builds with ASan and UBSan
# (in its own build folder), as CI does.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/test
flags=()
if [ "${1:-}" = "--sanitize" ]; then
  build=build/sanitize
  flags+=(-DVIZUZOR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
fi

bash tools/deps.sh
cmake -S . -B "$build" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
ctest --test-dir "$build" -j "$(nproc)" --output-on-failure --timeout 300
