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

# With --sanitize (CI) the fuzz targets are built too, in a clang build of their
# own, and each runs briefly over its seeds (the ctest label "fuzz").
if [ "${1:-}" = "--sanitize" ]; then
  if command -v clang++ >/dev/null; then
    cmake -S . -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DVIZUZOR_FUZZ=ON >/dev/null
    cmake --build build/fuzz -j "$(nproc)" --target fuzz_targets
    ctest --test-dir build/fuzz -L fuzz -j "$(nproc)" --output-on-failure
  else
    echo "clang++ is missing: the fuzz targets are not built or run"
  fi
fi
