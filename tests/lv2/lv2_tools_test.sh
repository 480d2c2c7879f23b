#!/bin/sh
# The built LV2 bundle through lilv's tools (Debian's lilv-utils).
#
#   lv2_tools_test.sh lv2ls    BUNDLE LV2_AUDIO  lv2ls lists the plug-in
#   lv2_tools_test.sh lv2info  BUNDLE LV2_AUDIO  no warnings; ports, ranges, designations, features
#   lv2_tools_test.sh terms    BUNDLE LV2_AUDIO  every prefixed term of the bundle's Turtle is
#                                                defined in the LV2 schemas under /usr/lib/lv2
#   lv2_tools_test.sh lv2apply BUNDLE LV2_AUDIO  lv2apply over a WAV file: it sends no transport,
#                                                so the output is the input bit for bit, with
#                                                Break off and with Break on
#
# LV2_AUDIO is the lv2_audio tool of this folder.
set -eu

mode=$1
bundle=$2
audio_tool=$3
uri=https://www.quillmarsh.com/plugins/chopwright
schemas=/usr/lib/lv2

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

for tool in lv2ls lv2info lv2apply; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing: install the Debian package lilv-utils"
done
[ -f "$schemas/core.lv2/lv2core.ttl" ] || fail "no LV2 schemas in $schemas: install the Debian package lv2-dev"
[ -f "$bundle/manifest.ttl" ] && [ -f "$bundle/chopwright.so" ] ||
    fail "no bundle at $bundle (build the chopwright_lv2 target)"

# Only this bundle and the system's schemas on the LV2 path.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
trap 'exit 1' HUP INT TERM
mkdir "$tmp/path"
ln -s "$bundle" "$tmp/path/chopwright.lv2"
export LV2_PATH="$tmp/path:$schemas"

case $mode in
lv2ls)
    lv2ls >"$tmp/out" 2>"$tmp/err" || { cat "$tmp/err" >&2; fail "lv2ls failed"; }
    grep -qx "$uri" "$tmp/out" || { cat "$tmp/out" "$tmp/err" >&2; fail "lv2ls does not list $uri"; }
    ;;

lv2info)
    lv2info "$uri" >"$tmp/out" 2>"$tmp/err" || { cat "$tmp/err" >&2; fail "lv2info failed"; }
    if [ -s "$tmp/err" ] || grep -qi 'warning\|error' "$tmp/out"; then
        cat "$tmp/err" "$tmp/out" >&2
        fail "lv2info reports problems"
    fi
    # The text of one port's section, its lines with the leading white space removed.
    port() {
        awk -v header="Port $1:" '$0 ~ /^\tPort [0-9]+:$/ { inside = ($1 " " $2 == header) } inside' "$tmp/out" |
            sed 's/^[[:space:]]*//'
    }
    expect() { # PORT LINE...
        number=$1
        shift
        port "$number" >"$tmp/port"
        for line in "$@"; do
            grep -qxF -- "$line" "$tmp/port" || { cat "$tmp/port" >&2; fail "port $number lacks: $line"; }
        done
    }
    core=http://lv2plug.in/ns/lv2core
    atom=http://lv2plug.in/ns/ext/atom
    for line in "Name:              Chopwright" "http://lv2plug.in/ns/ext/urid#map" \
                "$core#hardRTCapable" "Extension Data:    http://lv2plug.in/ns/ext/state#interface" \
                "Class:  http://lv2plug.in/ns/extensions/ui#X11UI" "$uri#ui"; do
        grep -qF -- "$line" "$tmp/out" || { cat "$tmp/out" >&2; fail "lv2info lacks: $line"; }
    done
    expect 0 "Symbol:      in_left" "Type:        $core#AudioPort" "$core#InputPort"
    expect 1 "Symbol:      in_right" "Type:        $core#AudioPort" "$core#InputPort"
    expect 2 "Symbol:      out_left" "Type:        $core#AudioPort" "$core#OutputPort"
    expect 3 "Symbol:      out_right" "Type:        $core#AudioPort" "$core#OutputPort"
    expect 4 "Symbol:      break_on" "Name:        Break" "Minimum:     0.000000" "Maximum:     1.000000" \
        "Default:     0.000000" "Properties:  $core#toggled"
    expect 5 "Symbol:      slice_size" "Name:        SliceSize" "Minimum:     0.000000" "Maximum:     2.000000" \
        "Default:     1.000000" "Properties:  $core#integer" "$core#enumeration" \
        '0 = "1 beat"' '1 = "1/2 beat"' '2 = "1/4 beat"'
    expect 6 "Symbol:      gate_size" "Name:        GateSize" "Minimum:     0.000000" "Maximum:     1.000000" \
        "Default:     1.000000"
    expect 7 "Symbol:      enabled" "Designation: $core#enabled" "Minimum:     0.000000" "Maximum:     1.000000" \
        "Default:     1.000000" "Properties:  $core#toggled"
    expect 8 "Symbol:      control" "Type:        $atom#AtomPort" "$core#InputPort" "Designation: $core#control"
    expect 9 "Symbol:      notify" "Type:        $atom#AtomPort" "$core#OutputPort"
    if port 10 | grep -q .; then fail "lv2info shows more than 10 ports"; fi
    ;;

terms)
    # Lists the IRIs of prefixed names: with "defined", those a schema file defines (a subject at
    # the start of a line); else every one used. Strings, IRIs in <> and comments are left out.
    names() {
        awk -v defined="$1" '
            FNR == 1 { split("", prefix) }
            /^@prefix/ { ns = $3; gsub(/[<>]/, "", ns); p = $2; sub(/:$/, "", p); prefix[p] = ns; next }
            {
                line = $0
                gsub(/"""[^"]*"""/, "", line); gsub(/"([^"\\]|\\.)*"/, "", line); gsub(/<[^>]*>/, "", line)
                sub(/#.*/, "", line)
                if (defined) { if (!match(line, /^[A-Za-z][A-Za-z0-9_-]*:[A-Za-z][A-Za-z0-9_-]*/)) next; line = substr(line, 1, RLENGTH) }
                while (match(line, /[A-Za-z][A-Za-z0-9_-]*:[A-Za-z][A-Za-z0-9_-]*/)) {
                    term = substr(line, RSTART, RLENGTH); line = substr(line, RSTART + RLENGTH)
                    p = term; sub(/:.*/, "", p); local = term; sub(/^[^:]*:/, "", local)
                    if (p in prefix) print prefix[p] local; else if (!defined) print "undeclared prefix: " term
                }
            }' "$2"
    }
    for file in "$schemas"/*.lv2/*.ttl; do names 1 "$file"; done | sort -u >"$tmp/defined"
    count=0
    for file in "$bundle"/*.ttl; do
        names 0 "$file" | sort -u >"$tmp/used"
        comm -23 "$tmp/used" "$tmp/defined" >"$tmp/missing"
        if [ -s "$tmp/missing" ]; then
            cat "$tmp/missing" >&2
            fail "$(basename "$file") uses terms no schema defines"
        fi
        count=$((count + $(wc -l <"$tmp/used")))
    done
    [ "$count" -gt 20 ] || fail "only $count terms found in $bundle: the check reads nothing"
    ;;

lv2apply)
    "$audio_tool" make "$tmp/in.wav"
    lv2apply -i "$tmp/in.wav" -o "$tmp/off.wav" "$uri" >"$tmp/log" 2>&1 ||
        { cat "$tmp/log" >&2; fail "lv2apply failed"; }
    "$audio_tool" compare "$tmp/in.wav" "$tmp/off.wav" || fail "Break off changed the audio"
    lv2apply -i "$tmp/in.wav" -o "$tmp/on.wav" -c break_on 1 -c slice_size 2 -c gate_size 0.2 "$uri" \
        >"$tmp/log" 2>&1 || { cat "$tmp/log" >&2; fail "lv2apply failed"; }
    "$audio_tool" compare "$tmp/in.wav" "$tmp/on.wav" || fail "Break on without a transport changed the audio"
    ;;

*)
    fail "unknown mode $mode"
    ;;
esac
