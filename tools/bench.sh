#!/usr/bin/env bash
# Builds the benchmarks in Release (in build/bench, apart from the test and
# sanitizer builds) and runs them: all modules, or those named (divir,
# framework, media, sound). Arguments after -- go to each benchmark, for example
#   bash tools/bench.sh media -- --benchmark_filter=Jpeg
set -euo pipefail
cd "$(dirname "$0")/.."

modules=()
while (($#)) && [ "$1" != "--" ]; do
  modules+=("$1")
  shift
done
[ "${1:-}" = "--" ] && shift
((${#modules[@]})) || modules=(divir framework media sound)

bash tools/deps.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVIZUZOR_TESTS=OFF -DVIZUZOR_BENCHMARKS=ON >/dev/null
targets=()
for m in "${modules[@]}"; do
  targets+=("${m}_bench")
done
cmake --build build/bench -j "$(nproc)" --target "${targets[@]}"
for m in "${modules[@]}"; do
  "build/bench/bench/$m/${m}_bench" "$@"
done
