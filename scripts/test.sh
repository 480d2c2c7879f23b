#!/usr/bin/env bash
# Builds everything from nothing and runs every test.
#   scripts/test.sh                       release build in build/, all tests
#   scripts/test.sh VARIANT...            each variant in turn: plain, address, undefined,
#                                         address+undefined, thread (sanitizer builds go to
#                                         build-VARIANT/)
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh

jobs="$(nproc 2>/dev/null || echo 2)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp"

for variant in "${@:-plain}"; do
  if [ "$variant" = plain ]; then
    build_dir=build sanitizer=""
  else
    build_dir="build-$variant" sanitizer="$variant"
  fi
  echo "=== $variant: building in $build_dir"
  cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHOPWRIGHT_SANITIZER="$sanitizer" \
        -DCHOPWRIGHT_BUILD_BENCHMARKS="$([ -z "$sanitizer" ] && echo ON || echo OFF)" >/dev/null
  cmake --build "$build_dir" -j "$jobs"
  echo "=== $variant: testing"
  ctest --test-dir "$build_dir" -j "$jobs" --output-on-failure --timeout 600
done
