#!/bin/sh
# Ardour 7 (Debian's `ardour`) with the built bundle, headless, in a temporary home.
#
#   ardour_test.sh scan      BUNDLE
#   ardour_test.sh off       BUNDLE ARDOUR_AUDIO   Break off: the bounce is the input, bit for bit
#   ardour_test.sh break     BUNDLE ARDOUR_AUDIO   Break automated on from bar 2
#   ardour_test.sh lv2-off   LV2_BUNDLE ARDOUR_AUDIO   the same with the LV2 plug-in
#   ardour_test.sh lv2-break LV2_BUNDLE ARDOUR_AUDIO
#
# ARDOUR_AUDIO is the ardour_audio tool of this folder; the Lua scripts sit next to this file.
set -eu

mode=$1
bundle=$2
audio_tool=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/ardour_env.sh"
scanner=$ardour_lib/ardour-vst3-scanner

format=VST3
case $mode in
    lv2-*) format=LV2 mode=${mode#lv2-} ;;
esac

require_ardour "$scanner" "$lua"
if [ "$format" = LV2 ]; then
    [ -f "$bundle/chopwright.so" ] && [ -f "$bundle/manifest.ttl" ] ||
        fail "no LV2 bundle at $bundle (build the chopwright_lv2 target)"
else
    [ -f "$bundle/Contents/x86_64-linux/Chopwright.so" ] || fail "no bundle at $bundle (build the Chopwright target)"
fi

# Runs Ardour's scanner on a bundle; its output goes to $tmp/scan.log.
scan() {
    status=0
    LD_LIBRARY_PATH=$ardour_lib timeout -k 5 20 "$scanner" -v -f "$1" </dev/null >"$tmp/scan.log" 2>&1 || status=$?
    if [ "$status" -ne 0 ] || ! grep -q '^\[Info\]: Found Plugin: Chopwright$' "$tmp/scan.log"; then
        cat "$tmp/scan.log" >&2
        fail "ardour-vst3-scanner (exit status $status) did not find Chopwright in $1"
    fi
}

# The value of attribute $2 of the <VST3Info> element in cache file $1.
info() {
    sed -n "s/.*<VST3Info [^>]* $2=\"\([^\"]*\)\".*/\1/p" "$1"
}

if [ "$mode" = scan ]; then
    scan "$bundle"
    set -- "$XDG_CACHE_HOME"/ardour7/vst/*.v3i
    [ $# -eq 1 ] && [ -f "$1" ] || fail "expected one .v3i cache file in $XDG_CACHE_HOME/ardour7/vst, found: $*"
    cache=$1
    [ "$(grep -c '<VST3Info ' "$cache")" -eq 1 ] || { cat "$cache" >&2; fail "expected exactly one class in $cache"; }
    grep -q " module=\"$bundle/Contents/x86_64-linux/Chopwright.so\"" "$cache" ||
        { cat "$cache" >&2; fail "the cache does not name the scanned module"; }
    for expected in name=Chopwright vendor=Quillmarsh category=Fx version=1.3.0.1 \
                    n_inputs=2 n_outputs=2 n_aux_inputs=0 n_aux_outputs=0 \
                    n_midi_inputs=0 n_midi_outputs=0; do
        key=${expected%%=*}
        actual=$(info "$cache" "$key")
        [ "$actual" = "${expected#*=}" ] || { cat "$cache" >&2; fail "$key is \"$actual\", expected \"${expected#*=}\""; }
    done
    echo "Ardour's scanner: $(grep 'Found Plugin' "$tmp/scan.log"), cache $(basename "$cache") as expected"
    exit 0
fi

[ "$mode" = off ] || [ "$mode" = break ] || fail "unknown mode $mode"
[ -x "$audio_tool" ] || fail "no ardour_audio tool at $audio_tool"

if [ "$format" = LV2 ]; then
    # Ardour finds LV2 bundles through lilv, in ~/.lv2 as installed, with no scan of its own.
    mkdir -p "$HOME/.lv2"
    cp -R "$bundle" "$HOME/.lv2/chopwright.lv2"
    export LV2_PATH="$HOME/.lv2:/usr/lib/lv2"
else
    # Ardour finds VST3 plug-ins in ~/.vst3 from its scanner's cache, and takes a cache file only
    # when it is newer than the module (whole seconds): the copy is dated a minute back.
    mkdir -p "$HOME/.vst3"
    cp -R "$bundle" "$HOME/.vst3/Chopwright.vst3"
    touch -d '1 minute ago' "$HOME/.vst3/Chopwright.vst3/Contents/x86_64-linux/Chopwright.so"
    scan "$HOME/.vst3/Chopwright.vst3"
fi

# ardour7-lua SCRIPT ARGS...: the script's output goes to $tmp/lua.log.
run_lua() {
    status=0
    (cd "$tmp" && timeout -k 5 35 "$lua" "$@" </dev/null >"$tmp/lua.log" 2>&1) || status=$?
    if [ "$status" -ne 0 ]; then
        cat "$tmp/lua.log" >&2
        fail "ardour7-lua $1 failed (exit status $status)"
    fi
}

# Four bars of 120 BPM at 48 kHz.
bars=4
frames=$((bars * 96000))
"$audio_tool" make "$tmp/input.wav" "$bars"

run_lua "$here/make_session.lua" "$tmp/session" "$frames"
sources=$(sed -n 's/^SOURCE //p' "$tmp/lua.log")
[ "$(echo "$sources" | wc -l)" -eq 2 ] || { cat "$tmp/lua.log" >&2; fail "the session's region does not read two files"; }
"$audio_tool" split "$tmp/input.wav" "$(echo "$sources" | sed -n 1p)" "$(echo "$sources" | sed -n 2p)"

run_lua "$here/bounce.lua" "$tmp/session" "$mode" "$frames" "$format"
bounced=$(sed -n 's/^BOUNCED //p' "$tmp/lua.log")
[ "$(echo "$bounced" | wc -l)" -eq 2 ] || { cat "$tmp/lua.log" >&2; fail "the bounce did not write two files"; }

if [ "$mode" = off ]; then
    untouched=$frames
    break_bar=0
else
    # Ardour 7.3 bounces in blocks of 8192 frames and hands a VST 3 plug-in each automation
    # value as it stands at the end of a block, at the block's first frame. Break therefore
    # arrives with the block that holds the frame before bar 2, 5888 frames before bar 2;
    # what the plug-in plays there, before any bar has been recorded, is not checked.
    # An LV2 plug-in's control ports are automated to the frame: Ardour cuts the block at the
    # automation point, so all of bar 1 stays untouched.
    untouched=$(( (96000 - 1) / 8192 * 8192 ))
    [ "$format" = LV2 ] && untouched=96000
    break_bar=2
fi
"$audio_tool" compare "$tmp/input.wav" "$(echo "$bounced" | sed -n 1p)" "$(echo "$bounced" | sed -n 2p)" \
    "$untouched" "$break_bar"
