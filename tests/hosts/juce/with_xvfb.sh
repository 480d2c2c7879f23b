#!/usr/bin/env bash
# Runs a command with DISPLAY on an Xvfb of its own, which is stopped when the command ends.
#   with_xvfb.sh COMMAND [ARGS...]
set -euo pipefail
dir="$(mktemp -d)"
mkfifo "$dir/display"
# Xvfb writes its display number to fd 3 once it accepts connections; its output stays out of
# ctest's pipes.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$dir/display" >/dev/null 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$dir"' EXIT
if ! read -r -t 10 number <"$dir/display"; then
  echo "Xvfb did not start (is the xvfb package installed? scripts/setup.sh installs it)" >&2
  exit 1
fi
DISPLAY=":$number" "$@"
