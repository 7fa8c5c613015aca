#!/usr/bin/env bash
# Captures what the player sees: runs the game in a window inside a private
# Xvfb, waits or plays the given steps, and saves the window as a PNG.
#
#   bash tools/screenshot.sh [--size WxH] [STEP]... GAME_BINARY OUT.png
#
# Steps run in order (the default is a single "--wait 2"):
#   --wait SECONDS     let the game run
#   --click X Y        click button 1 at window pixel (X, Y)
#   --move X Y         move the pointer to window pixel (X, Y)
#   --key KEYS         press keys (xdotool names, e.g. space or Escape)
#   --xdotool 'ARGS'   any other xdotool command line
# Needs Xvfb, xdotool, xwininfo, xwd and ImageMagick; builds nothing.
set -euo pipefail

usage() {
    sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//' >&2
    exit 2
}
fail() {
    echo "screenshot.sh: $*" >&2
    exit 1
}

width=640
height=480
steps=()
while [ $# -gt 0 ]; do
    case "$1" in
        --size)
            [ $# -ge 2 ] || fail "--size needs WxH, for example 1024x768"
            [[ "$2" =~ ^([1-9][0-9]{1,3})x([1-9][0-9]{1,3})$ ]] || fail "bad size '$2': expected WxH, for example 1024x768"
            width=${BASH_REMATCH[1]}
            height=${BASH_REMATCH[2]}
            shift 2 ;;
        --wait)
            [ $# -ge 2 ] && [[ "$2" =~ ^[0-9]+(\.[0-9]+)?$ ]] || fail "--wait needs a number of seconds"
            steps+=("wait" "$2"); shift 2 ;;
        --click|--move)
            [ $# -ge 3 ] && [[ "$2" =~ ^[0-9]+$ ]] && [[ "$3" =~ ^[0-9]+$ ]] || fail "$1 needs two window pixel coordinates"
            steps+=("${1#--}" "$2 $3"); shift 3 ;;
        --key)
            [ $# -ge 2 ] || fail "--key needs a key name"
            steps+=("key" "$2"); shift 2 ;;
        --xdotool)
            [ $# -ge 2 ] || fail "--xdotool needs its arguments in one word"
            steps+=("xdotool" "$2"); shift 2 ;;
        -h|--help) usage ;;
        --*) fail "unknown option '$1' (try --help)" ;;
        *) break ;;
    esac
done
[ $# -eq 2 ] || usage
game=$1
out=$2
[ -x "$game" ] && [ -f "$game" ] || fail "'$game' is not an executable game binary"
[ -d "$(dirname "$out")" ] || fail "the folder of '$out' does not exist"
[ ${#steps[@]} -gt 0 ] || steps=("wait" "2")
for tool in Xvfb xdotool xwininfo xwd /usr/bin/convert; do
    command -v "$tool" >/dev/null || fail "$tool is missing (Debian: xvfb xdotool x11-utils x11-apps imagemagick)"
done

# The screen is at least 1024x768 and holds the window.
screen_w=$(( width > 1024 ? width : 1024 ))
screen_h=$(( height > 768 ? height : 768 ))

work=$(mktemp -d)
xvfb_pid=""
game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null && wait "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 "${screen_w}x${screen_h}x24" -nolisten tcp -noreset \
    3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"

SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} \
    "$game" --windowed --width "$width" --height "$height" >"$work/game.out" 2>"$work/game.err" &
game_pid=$!

game_ended() {
    local status=0
    wait "$game_pid" || status=$?
    game_pid=""
    fail "the game ended (status $status) before the capture: $(cat "$work/game.err")"
}

# The game sets no caption: its window is the top-level one of its size.
geometry=""
for _ in $(seq 1 200); do
    kill -0 "$game_pid" 2>/dev/null || game_ended
    geometry=$(xwininfo -root -children 2>/dev/null |
        awk -v size="${width}x${height}" '$0 ~ " " size "\\+" { print $1, $NF; exit }')
    [ -n "$geometry" ] && break
    sleep 0.05
done
[ -n "$geometry" ] || fail "no ${width}x${height} window appeared"
read -r window_id corner <<<"$geometry"
origin_x=$(echo "$corner" | cut -d+ -f2)
origin_y=$(echo "$corner" | cut -d+ -f3)

# The window is black until the game presents its first frame, which on a
# busy machine can take a while after the window opens (the audio device and
# the renderer start in between). Every frame clears to the dark green
# background, so wait until the window's mean brightness is above zero.
first_frame=""
for _ in $(seq 1 200); do
    kill -0 "$game_pid" 2>/dev/null || game_ended
    mean=$(xwd -id "$window_id" -silent 2>/dev/null | /usr/bin/convert xwd:- -format '%[fx:mean]' info: 2>/dev/null || true)
    if [ -n "$mean" ] && [ "$mean" != "0" ]; then
        first_frame=yes
        break
    fi
    sleep 0.05
done
[ -n "$first_frame" ] || fail "the game showed no frame within 10 seconds"

for ((i = 0; i < ${#steps[@]}; i += 2)); do
    kind=${steps[i]}
    arg=${steps[i + 1]}
    case "$kind" in
        wait) sleep "$arg" ;;
        move|click)
            read -r x y <<<"$arg"
            xdotool mousemove $((origin_x + x)) $((origin_y + y))
            [ "$kind" = click ] && xdotool click 1 ;;
        key)
            # Without a window manager the keyboard focus follows the pointer.
            xdotool mousemove $((origin_x + width / 2)) $((origin_y + height / 2)) key "$arg" ;;
        xdotool)
            # shellcheck disable=SC2086 # the step is a whole xdotool command line
            xdotool $arg ;;
    esac
    kill -0 "$game_pid" 2>/dev/null || game_ended
done

xwd -root -silent >"$work/screen.xwd" || fail "xwd could not read the screen"
/usr/bin/convert "xwd:$work/screen.xwd" -crop "${width}x${height}+${origin_x}+${origin_y}" +repage \
    "png:$out" || fail "could not write '$out'"
echo "saved ${width}x${height} window $window_id to $out"
