#!/usr/bin/env bash
# Long fuzz runs on a developer machine: bash tools/fuzz.sh [TARGET|all] [SECONDS]
# Builds the fuzz targets (clang, build/fuzz) and runs TARGET (every target when
# omitted or "all", FUZZ_JOBS at a time, default 2) for SECONDS each (default
# 600) over its seeds. New corpus entries are kept in build/fuzz/runs/TARGET/corpus,
# crashes, leaks, hangs and undefined behaviour as reproducers in
# build/fuzz/runs/TARGET/ (crash-*, leak-*, timeout-*), with the run's log.
# Reproduce one with: build/fuzz/tests/fuzz/fuzz_TARGET FILE
# Fold useful entries back into the seeds with libFuzzer's -merge=1.
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:-all}
seconds=${2:-600}
jobs=${FUZZ_JOBS:-2}
build=build/fuzz

if ! command -v clang++ >/dev/null; then
  echo "clang++ is missing (bash tools/deps.sh installs it): no fuzz targets" >&2
  exit 1
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVIZUZOR_FUZZ=ON >/dev/null
cmake --build "$build" -j "${BUILD_JOBS:-3}" --target fuzz_targets

targets=()
if [ "$target" = all ]; then
  for f in tests/fuzz/corpus/*/; do targets+=("$(basename "$f")"); done
else
  targets=("$target")
fi

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

run() {
  local t=$1 runs="$build/runs/$1"
  mkdir -p "$runs/corpus"
  local dict=()
  grep -q "add_fuzz_target($t .*DICT" tests/fuzz/CMakeLists.txt &&
    dict=(-dict="tests/fuzz/dict/$(sed -n "s/^add_fuzz_target($t .*DICT \([^ )]*\).*/\1/p" tests/fuzz/CMakeLists.txt)")
  local rc=0
  "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "${dict[@]}" -artifact_prefix="$runs/" "$runs/corpus" "tests/fuzz/corpus/$t" >"$runs/log.txt" 2>&1 || rc=$?
  local done
  done=$(grep -E '^#[0-9]+' "$runs/log.txt" | tail -1 || true)
  echo "$t: exit $rc; $done"
  [ "$rc" -eq 0 ] || echo "$t: see $runs/log.txt and the reproducer in $runs/"
  return "$rc"
}

failed=0
pids=()
for t in "${targets[@]}"; do
  run "$t" &
  pids+=($!)
  if [ "${#pids[@]}" -ge "$jobs" ]; then
    wait "${pids[0]}" || failed=1
    pids=("${pids[@]:1}")
  fi
done
for p in "${pids[@]}"; do wait "$p" || failed=1; done
exit "$failed"
