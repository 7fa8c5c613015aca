#!/usr/bin/env bash
# The screenshot tool captures the real game's window as a PNG of the
# window's size, and refuses bad input with a message and no picture.
# Arguments: BUILD_DIR SOURCE_DIR.
set -euo pipefail
tool="$2/tools/screenshot.sh"
game="$1/grapnel"
[ -x "$game" ] || { echo "no game binary at $game" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
check() { eval "$2" || { echo "FAILED: $1" >&2; failed=1; }; }
bash "$tool" --size 800x600 --wait 1.5 --move 400 300 --wait 0.5 "$game" "$work/shot.png" >/dev/null
check "the PNG has the window size" '[ "$(/usr/bin/convert "$work/shot.png" -format "%w %h" info:)" = "800 600" ]'
# The game's dark green background is the picture's most frequent colour
# (sed reads to the end: an early exit would break the pipe under pipefail).
top_colour=$(/usr/bin/convert "$work/shot.png" -format %c histogram:info:- | sort -rn | sed -n 1p)
check "the picture is the game's (most frequent: $top_colour)" '[[ "$top_colour" == *"(0,26,0)"* ]]'
refused() {  # what, message, arguments...
    local what=$1 message=$2 status=0
    shift 2
    bash "$tool" "$@" >/dev/null 2>"$work/refused.err" || status=$?
    check "$what: fails with '$message' and no picture" \
        '[ "$status" -ne 0 ] && grep -q "$message" "$work/refused.err" && [ ! -e "$work/refused.png" ]'
}
refused "missing binary" "not an executable" "$work/nothing" "$work/refused.png"
refused "bad size" "bad size" --size 640 "$game" "$work/refused.png"
refused "unknown option" "unknown option" --fast "$game" "$work/refused.png"
refused "game that quits" "ended (status 0) before the capture" /bin/true "$work/refused.png"
refused "no output folder" "does not exist" "$game" "$work/no/such/folder.png"
exit "$failed"
