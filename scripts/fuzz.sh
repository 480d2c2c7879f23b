#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang, ASan and UBSan in build-fuzz/ and runs each
# for a bounded time, starting from a copy of its seed corpus. Fails on any crash, sanitizer
# report, leak, timeout or failed check; the input that caused it is kept as a reproducer.
#   scripts/fuzz.sh [SECONDS [TARGET...]]   seconds per target: default $FUZZ_SECONDS, else 60
#   build-fuzz/fuzz/fuzz_TARGET FILE        replays one input
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh

seconds="${1:-${FUZZ_SECONDS:-60}}"
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(processor_state controller notify host_calls)

build_dir=build-fuzz
jobs="$(nproc 2>/dev/null || echo 2)"
echo "=== fuzz: building in $build_dir"
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHOPWRIGHT_FUZZ=ON \
      -DCHOPWRIGHT_BUILD_TESTS=OFF -DCHOPWRIGHT_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build "$build_dir" -j "$jobs" --target chopwright_fuzz

export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1"

# What the fuzzers add to a corpus stays out of the repository.
corpora="$(mktemp -d)"
trap 'rm -rf "$corpora"' EXIT
results="$build_dir/fuzz/results"
mkdir -p "$results"

failed=()
for target in "${targets[@]}"; do
  cp -r "fuzz/corpus/$target" "$corpora/$target"
  log="$results/$target.log"
  rm -f "$results/$target"-*
  echo "=== fuzz: $target for $seconds s"
  if "$build_dir/fuzz/fuzz_$target" "$corpora/$target" -max_total_time="$seconds" -timeout=10 \
       -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$results/$target-" >"$log" 2>&1; then
    echo "    $(sed -n 's/^stat::number_of_executed_units: */inputs run: /p' "$log")"
  else
    failed+=("$target")
    # The log from the first report line on: the report, the input and where it was written.
    awk '/ERROR|fuzz check failed|runtime error|terminate called/ { shown = 1 } shown' "$log" | head -n 120 || true
    reproducer="$(ls "$results/$target"-* 2>/dev/null | head -n 1)"
    echo "    FAILED: log $log; replay: $build_dir/fuzz/fuzz_$target $reproducer"
  fi
done

[ ${#failed[@]} -eq 0 ] || echo "=== fuzz: findings in ${failed[*]}"
echo "fuzz: $((${#targets[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
