#!/usr/bin/env bash
# Long fuzz runs on a developer machine: bash tools/fuzz.sh [TARGET|all] [SECONDS]
# Builds the fuzz targets (clang, build/fuzz) and runs TARGET (a comma-separated
# list runs several; every target when omitted or "all"), FUZZ_JOBS at a time
# (default 2), for SECONDS each (default 600) over its seeds, or until FUZZ_RUNS
# executions when that is set. New corpus entries are kept in
# build/fuzz/runs/TARGET/corpus, crashes, leaks, hangs and undefined behaviour as
# reproducers in build/fuzz/runs/TARGET/ (crash-*, leak-*, timeout-*), with the
# run's log. FUZZ_BUILD=0 runs the targets as last built.
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
if [ "${FUZZ_BUILD:-1}" != 0 ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVIZUZOR_FUZZ=ON >/dev/null
  cmake --build "$build" -j "${BUILD_JOBS:-3}" --target fuzz_targets
fi

targets=()
if [ "$target" = all ]; then
  for f in tests/fuzz/corpus/*/; do targets+=("$(basename "$f")"); done
else
  IFS=, read -r -a targets <<<"$target"
fi

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

run() {
  local t=$1 runs="$build/runs/$1"
  mkdir -p "$runs/corpus"
  local dict=()
  grep -q "add_fuzz_target($t .*DICT" tests/fuzz/CMakeLists.txt &&
    dict=(-dict="tests/fuzz/dict/$(sed -n "s/^add_fuzz_target($t .*DICT \([^ )]*\).*/\1/p" tests/fuzz/CMakeLists.txt)")
  local runs_limit=()
  [ -n "${FUZZ_RUNS:-}" ] && runs_limit=(-runs="$FUZZ_RUNS")
  local rc=0
  "$build/tests/fuzz/fuzz_$t" -max_total_time="$seconds" "${runs_limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "${dict[@]}" -artifact_prefix="$runs/" "$runs/corpus" "tests/fuzz/corpus/$t" >"$runs/log.txt" 2>&1 || rc=$?
  local done units
  done=$(grep -E '^#[0-9]+' "$runs/log.txt" | tail -1 || true)
  units=$(sed -n 's/^stat::number_of_executed_units: *//p' "$runs/log.txt" | tail -1)
  echo "$t: exit $rc; ${units:-?} executions; $done"
  [ "$rc" -eq 0 ] || echo "$t: see $runs/log.txt and the reproducer in $runs/"
  return "$rc"
}

# A new run starts as soon as any running one ends.
failed=0
running=0
for t in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  run "$t" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
exit "$failed"
