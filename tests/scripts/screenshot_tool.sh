#!/usr/bin/env bash
# The screenshot tool: it captures the real game's window as a PNG of the
# window's size, and refuses bad input with a message instead of a capture.
# Arguments: BUILD_DIR SOURCE_DIR.
set -euo pipefail
build=$1
source=$2
tool="$source/tools/screenshot.sh"
game="$build/grapnel"
[ -x "$game" ] || { echo "no game binary at $game" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
check() {
    if ! eval "$2"; then
        echo "FAILED: $1" >&2
        failed=1
    fi
}

# A capture at a size other than the default, after a pointer move.
bash "$tool" --size 800x600 --wait 1.5 --move 400 300 --wait 0.5 "$game" "$work/shot.png" >"$work/out.txt"
check "a PNG was written" '[ -s "$work/shot.png" ]'
check "the PNG has the window size" \
    '[ "$(/usr/bin/convert "$work/shot.png" -format "%w %h" info:)" = "800 600" ]'
# The game's dark green background is the picture's most frequent colour.
# sed reads to the end: an early exit here would break the pipe under pipefail.
top_colour=$(/usr/bin/convert "$work/shot.png" -format %c histogram:info:- | sort -rn | sed -n 1p)
check "the picture is the game's (most frequent: $top_colour)" '[[ "$top_colour" == *"(0,26,0)"* ]]'

# Bad input: a clear message, a failing status, no picture.
expect_refusal() {
    local what=$1 message=$2
    shift 2
    local status=0
    bash "$tool" "$@" >"$work/refused.out" 2>"$work/refused.err" || status=$?
    check "$what: fails" '[ "$status" -ne 0 ]'
    check "$what: says '$message'" 'grep -q "$message" "$work/refused.err"'
    check "$what: writes no picture" '[ ! -e "$work/refused.png" ]'
}
expect_refusal "missing binary" "not an executable" "$work/nothing" "$work/refused.png"
expect_refusal "bad size" "bad size" --size 640 "$game" "$work/refused.png"
expect_refusal "unknown option" "unknown option" --fast "$game" "$work/refused.png"
expect_refusal "game that quits" "ended (status 0) before the capture" /bin/true "$work/refused.png"
expect_refusal "no output folder" "does not exist" "$game" "$work/no/such/folder.png"
exit "$failed"
