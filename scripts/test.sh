#!/usr/bin/env bash
# Builds everything from nothing and runs every test.
#   scripts/test.sh                  release build in build/, all tests
#   scripts/test.sh address|undefined|thread
#                                    the same under a sanitizer, in build-<sanitizer>/
set -euo pipefail
cd "$(dirname "$0")/.."

"./scripts/setup.sh"

sanitizer="${1:-}"
build_dir="build${sanitizer:+-$sanitizer}"
jobs="$(nproc 2>/dev/null || echo 2)"

cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCHOPWRIGHT_SANITIZER="$sanitizer" \
      ${sanitizer:+-DCHOPWRIGHT_BUILD_BENCHMARKS=OFF}
cmake --build "$build_dir" -j "$jobs"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
ctest --test-dir "$build_dir" -j "$jobs" --output-on-failure --timeout 600
