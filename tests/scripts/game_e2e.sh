#!/usr/bin/env bash
# A scripted game with the real binary in a window under its own Xvfb: the
# title, a press that starts a game, the rope fired and held while the
# pointer moves, taps of space, a pause and its end, then Escape. The game
# must quit with status 0 and write nothing on standard error; in the
# sanitizer build this is the end-to-end run under AddressSanitizer,
# UndefinedBehaviorSanitizer and LeakSanitizer.
# Usage: game_e2e.sh BUILD_DIR SOURCE_DIR
#   GRAPNEL_WRAPPER, when set, is a command the game is run under (the
#   valgrind stage uses it); GRAPNEL_LOG names a file for the game's
#   standard error instead of a temporary one.
set -u
if [ "${1:-}" != "--inside" ]; then
    build=${1:?usage: game_e2e.sh BUILD_DIR SOURCE_DIR}
    source_dir=${2:?usage: game_e2e.sh BUILD_DIR SOURCE_DIR}
    [ -x "$build/grapnel" ] || { echo "no game binary in $build"; exit 1; }
    command -v xdotool >/dev/null || { echo "xdotool is missing"; exit 77; }
    exec bash "$source_dir/tests/with_xvfb.sh" bash "$0" --inside "$build"
fi

build=$2
work=$(mktemp -d)
log=${GRAPNEL_LOG:-$work/stderr.txt}
trap 'rm -rf "$work"' EXIT
read -r -a wrapper <<<"${GRAPNEL_WRAPPER:-}"
SDL_AUDIODRIVER=dummy "${wrapper[@]}" "$build/grapnel" --windowed >"$work/stdout.txt" 2>"$log" &
pid=$!

window=""
for _ in $(seq 1 900); do   # under valgrind Mesa starts slowly: up to 90 s
    window=$(xwininfo -root -children 2>/dev/null | grep -m1 ' 640x480+' || true)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "FAIL: the game's window never appeared"
    kill "$pid" 2>/dev/null
    wait "$pid"
    cat "$log"
    exit 1
fi
read -r x y <<<"$(sed -n 's/.* 640x480+\([0-9]*\)+\([0-9]*\).*/\1 \2/p' <<<"$window")"
at() { xdotool mousemove $((x + $1)) $((y + $2)); }

sleep 1
at 320 240; xdotool click 1             # the title takes the press: a new game
sleep 3                                 # zoom out, new game, zoom in
at 420 120; xdotool mousedown 1         # fire up and right, and hold
sleep 1.5
at 200 150; sleep 0.5; at 500 300; sleep 0.5
xdotool mouseup 1
at 250 100
for _ in 1 2 3; do xdotool keydown space; sleep 0.4; xdotool keyup space; sleep 0.2; done
xdotool key p; sleep 0.5; xdotool key p # pause and go on
at 100 400; xdotool click 1; sleep 0.5
xdotool key Escape

status=""
for _ in $(seq 1 600); do
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid"
        status=$?
        break
    fi
    sleep 0.1
done
if [ -z "$status" ]; then
    echo "FAIL: the game did not quit on Escape"
    kill -9 "$pid"
    wait "$pid"
    exit 1
fi
fail=0
if [ "$status" -ne 0 ]; then
    echo "FAIL: the game ended with status $status"
    fail=1
fi
# Only the wrapper may write on standard error; the game itself writes
# nothing when all goes well.
if [ -z "${GRAPNEL_WRAPPER:-}" ] && [ -s "$log" ]; then
    echo "FAIL: the game wrote on standard error:"
    head -60 "$log"
    fail=1
fi
[ "$fail" -eq 0 ] && echo "game_e2e: a scripted game ran and quit cleanly"
exit "$fail"
