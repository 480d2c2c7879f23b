#!/usr/bin/env bash
# Redraws the editor's pictures (resource/*.png) with chopwright-make-art. The files are
# committed; run this after changing tools/art/make_art.cpp.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" >/dev/null
cmake --build "$root/build" --target chopwright-make-art
"$root/build/tools/art/chopwright-make-art" "$root/resource"
ls "$root/resource"
