#!/usr/bin/env bash
# Builds the plug-in and chopwright-render, then renders the built-in demo: a drum loop with
# Break on from the second bar. Writes chopwright-demo-input.wav and chopwright-demo-output.wav
# into the current folder. Arguments are passed on to chopwright-render.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" -j "$(nproc 2>/dev/null || echo 2)" --target Chopwright chopwright-render

"$root/build/tools/render/chopwright-render" "$@"
