#!/bin/sh
# Ardour 7 (Debian's `ardour`) loads the bundle's library as a Linux VST 2 plug-in, headless,
# in a temporary home: its VST 2 scanner lists the effect, then a session lists its parameters.
#
#   ardour_vst2_test.sh LIBRARY     LIBRARY: Chopwright.vst3/Contents/x86_64-linux/Chopwright.so
set -eu

library=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../hosts/ardour/ardour_env.sh"
scanner=$ardour_lib/ardour-vst-scanner

require_ardour "$scanner" "$lua"
[ -f "$library" ] || fail "no library at $library (build the Chopwright target)"
mkdir -p "$tmp/lxvst"

# Installed as the README says: a link to the bundle's library in a folder of the VST 2 path.
# Ardour takes a cache file only when it is newer than the module (whole seconds): the copy
# of the bundle is dated a minute back.
bundle=$(cd "$(dirname "$library")/../.." && pwd)
cp -R "$bundle" "$tmp/Chopwright.vst3"
touch -d '1 minute ago' "$tmp/Chopwright.vst3/Contents/x86_64-linux/Chopwright.so"
ln -s "$tmp/Chopwright.vst3/Contents/x86_64-linux/Chopwright.so" "$tmp/lxvst/Chopwright.so"
plugin=$tmp/lxvst/Chopwright.so

status=0
LD_LIBRARY_PATH=$ardour_lib timeout -k 5 20 "$scanner" -v -f "$plugin" </dev/null >"$tmp/scan.log" 2>&1 || status=$?
if [ "$status" -ne 0 ] || ! grep -q "^\[Info\]: Found Plugin: 'wphc' Chopwright$" "$tmp/scan.log"; then
    cat "$tmp/scan.log" >&2
    fail "ardour-vst-scanner (exit status $status) did not find Chopwright in $plugin"
fi

set -- "$XDG_CACHE_HOME"/ardour7/vst/*.v2i
[ $# -eq 1 ] && [ -f "$1" ] || fail "expected one .v2i cache file in $XDG_CACHE_HOME/ardour7/vst, found: $*"
cache=$1
[ "$(grep -c '<VST2Info ' "$cache")" -eq 1 ] || { cat "$cache" >&2; fail "expected exactly one effect in $cache"; }
grep -q "<VST2Cache [^>]*binary=\"$plugin\"" "$cache" || { cat "$cache" >&2; fail "the cache does not name the scanned library"; }
# The unique identifier "chpw" is 0x63687077.
for expected in id=1667788919 name=Chopwright creator=Quillmarsh category=Effect n_inputs=2 n_outputs=2 \
                n_midi_inputs=0 n_midi_outputs=0 is_instrument=0 can_process_replace=1 has_editor=1; do
    key=${expected%%=*}
    actual=$(sed -n "s/.*<VST2Info[^>]* $key=\"\([^\"]*\)\".*/\1/p" "$cache")
    [ "$actual" = "${expected#*=}" ] || { cat "$cache" >&2; fail "$key is \"$actual\", expected \"${expected#*=}\""; }
done

# The scanner records no parameters: a headless session loads the effect from the path.
status=0
(cd "$tmp" && LXVST_PATH="$tmp/lxvst" timeout -k 5 35 "$lua" "$here/vst2_parameters.lua" "$tmp/session" \
    </dev/null >"$tmp/lua.log" 2>&1) || status=$?
if [ "$status" -ne 0 ]; then
    cat "$tmp/lua.log" >&2
    fail "ardour7-lua vst2_parameters.lua failed (exit status $status)"
fi
expected="PARAMETER 0 Break 0
PARAMETER 1 SliceSize 0.5
PARAMETER 2 GateSize 1
PARAMETER 3 Bypass 0
SliceSize 1"
actual=$(grep -E '^(PARAMETER|SliceSize) ' "$tmp/lua.log" || true)
if [ "$actual" != "$expected" ]; then
    cat "$tmp/lua.log" >&2
    fail "Ardour reads the parameters as
$actual
expected
$expected"
fi
echo "Ardour's VST 2 scanner: $(grep 'Found Plugin' "$tmp/scan.log"), cache $(basename "$cache") as expected"
echo "$actual"
