# Sourced by the Ardour test scripts: Ardour 7's tools, fail, and a temporary home ($tmp/home,
# removed on exit) with no display, so that Ardour reads and writes nothing of the user's.
ardour_lib=/usr/lib/ardour7
lua=/usr/bin/ardour7-lua

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# require_ardour TOOL...: each must be there, or the test fails naming the package.
require_ardour() {
    for tool in "$@"; do
        [ -x "$tool" ] || fail "$tool is missing: install the Debian package ardour (7.x)"
    done
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
trap 'exit 1' HUP INT TERM
export HOME="$tmp/home" XDG_CACHE_HOME="$tmp/home/cache" XDG_CONFIG_HOME="$tmp/home/config" \
       XDG_DATA_HOME="$tmp/home/data"
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME"
