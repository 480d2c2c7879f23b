#!/usr/bin/env bash
# Renders the editor's picture for the README (docs/editor.png): a test host opens the editor of
# the built bundle in a window under its own Xvfb, plays audio through the plug-in with Break on
# and grabs the window (tests/editor/editor_window_test.cpp).
#   scripts/screenshot.sh [BUILD_DIR]      default: build
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" --target Chopwright editor_window_tests -j "$(nproc 2>/dev/null || echo 2)"
rm -f "$build/tests/editor/pictures/editor_window.png"
"$build/tests/editor/editor_window_tests" --gtest_filter='*TheWaveformMovesOnThePlugFramesRunLoop' --gtest_brief=1
mkdir -p "$root/docs"
cp "$build/tests/editor/pictures/editor_window.png" "$root/docs/editor.png"
echo "$root/docs/editor.png"
