#!/usr/bin/env bash
# A scripted game with the real binary under its own Xvfb (start, rope held
# while the pointer moves, space, pause, Escape) must quit with status 0 and
# nothing on standard error; the sanitizer build and the valgrind stage run it
# too (GRAPNEL_WRAPPER runs the game under a command, GRAPNEL_LOG keeps stderr).
# Usage: game_e2e.sh BUILD_DIR SOURCE_DIR
set -u
if [ "${1:-}" != "--inside" ]; then
    build=${1:?usage: game_e2e.sh BUILD_DIR SOURCE_DIR}
    [ -x "$build/grapnel" ] || { echo "no game binary in $build"; exit 1; }
    command -v xdotool >/dev/null || { echo "xdotool is missing"; exit 77; }
    exec bash "${2:?usage: game_e2e.sh BUILD_DIR SOURCE_DIR}/tests/with_xvfb.sh" bash "$0" --inside "$build"
fi
work=$(mktemp -d)
log=${GRAPNEL_LOG:-$work/stderr.txt}
trap 'rm -rf "$work"' EXIT
read -r -a wrapper <<<"${GRAPNEL_WRAPPER:-}"
SDL_AUDIODRIVER=dummy "${wrapper[@]}" "$2/grapnel" --windowed >/dev/null 2>"$log" &
pid=$!
window=""
for _ in $(seq 1 900); do   # under valgrind Mesa starts slowly: up to 90 s
    window=$(xwininfo -root -children 2>/dev/null | grep -m1 ' 640x480+')
    [ -n "$window" ] || ! kill -0 "$pid" 2>/dev/null && break
    sleep 0.1
done
[ -n "$window" ] || { echo "FAIL: the game's window never appeared"; kill "$pid"; cat "$log"; exit 1; }
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

for _ in $(seq 1 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && { echo "FAIL: the game did not quit on Escape"; kill -9 "$pid"; exit 1; }
wait "$pid"
status=$?
[ "$status" -eq 0 ] || { echo "FAIL: the game ended with status $status"; head -60 "$log"; exit 1; }
# Only a wrapper may write on standard error.
if [ -z "${GRAPNEL_WRAPPER:-}" ] && [ -s "$log" ]; then
    echo "FAIL: the game wrote on standard error:"; head -60 "$log"; exit 1
fi
echo "game_e2e: a scripted game ran and quit cleanly"
