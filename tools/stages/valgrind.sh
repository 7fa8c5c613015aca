#!/usr/bin/env bash
# Memory stage: one valgrind memcheck run of the real game in a window under
# its own Xvfb, playing the scripted game of tests/scripts/game_e2e.sh (title,
# a new game, the rope fired and held, a pause, then Escape). It must end normally with no memcheck error and no lost block that
# the game's own code allocated; what SDL, Mesa and X11 keep for themselves
# is suppressed by tests/valgrind.supp. First, a small program that loses two
# blocks on purpose in a process with SDL and OpenGL loaded proves that the
# suppressions hide nothing of a program's own.
# Usage: valgrind.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:?usage: valgrind.sh BUILD_DIR}
game="$build/grapnel"
supp="$root/tests/valgrind.supp"
command -v valgrind >/dev/null || { echo "valgrind.sh: valgrind is not installed" >&2; exit 1; }
[ -x "$game" ] || { echo "valgrind.sh: no game binary at $game" >&2; exit 1; }
work=$(mktemp -d /tmp/grapnel-valgrind.XXXXXX)
trap 'rm -rf "$work"' EXIT

memcheck=(valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect
          --errors-for-leak-kinds=definite,indirect --keep-debuginfo=yes --num-callers=30
          --suppressions="$supp" --error-exitcode=42)
# One renderer thread: llvmpipe's worker threads only slow valgrind down.
export LP_NUM_THREADS=0 SDL_AUDIODRIVER=dummy

# --- The deliberate leaks -------------------------------------------------
cat >"$work/leak.cpp" <<'CPP'
// Opens an OpenGL window like the game, draws a frame, loses 77 bytes from
// malloc and a strdup'd string, and quits.
#include <SDL.h>
#include <GL/gl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
int main() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 3;
    if (!SDL_SetVideoMode(64, 64, 0, SDL_OPENGL)) return 4;
    glClear(GL_COLOR_BUFFER_BIT);
    SDL_GL_SwapBuffers();
    char* lost = static_cast<char*>(std::malloc(77));
    lost[0] = 1;
    char* name = strdup("deliberately lost");  // 18 bytes
    std::printf("%d %c\n", lost[0], name[0]);
    lost = nullptr;
    name = nullptr;
    SDL_Quit();
    return 0;
}
CPP
# shellcheck disable=SC2046
g++ -g -O0 -o "$work/leak" "$work/leak.cpp" $(pkg-config --cflags --libs sdl 2>/dev/null || sdl-config --cflags --libs) -lGL
set +e
bash "$root/tests/with_xvfb.sh" "${memcheck[@]}" --log-file="$work/leak.log" "$work/leak" >/dev/null
leak_status=$?
set -e
fail=0
if [ "$leak_status" -ne 42 ] ||
   ! grep -q "77 bytes in 1 blocks are definitely lost" "$work/leak.log" ||
   ! grep -q "18 bytes in 1 blocks are definitely lost" "$work/leak.log" ||
   ! grep -q "definitely lost: 95 bytes in 2 blocks" "$work/leak.log"; then
    echo "valgrind.sh: the deliberate leaks were not reported as exactly 77 + 18 bytes (status $leak_status):"
    grep -E "definitely lost|indirectly lost|ERROR SUMMARY" "$work/leak.log" || cat "$work/leak.log"
    fail=1
else
    echo "deliberate leaks reported: $(grep 'definitely lost:' "$work/leak.log" | sed 's/^==[0-9]*== *//')"
fi

# --- The game -------------------------------------------------------------
# The scripted game of tests/scripts/game_e2e.sh, run under memcheck. The
# game script splits its wrapper on spaces, so the wrapper is one script in a
# folder of /tmp, whatever spaces the project's path holds.
printf '#!/bin/bash\nexec' >"$work/memcheck"
printf ' %q' "${memcheck[@]}" "--log-file=$work/game.log" >>"$work/memcheck"
printf ' "$@"\n' >>"$work/memcheck"
chmod +x "$work/memcheck"
set +e
GRAPNEL_WRAPPER="$work/memcheck" bash "$root/tests/scripts/game_e2e.sh" "$build" "$root"
game_status=$?
set -e
grep -E "definitely lost:|indirectly lost:|suppressed:|ERROR SUMMARY" "$work/game.log" | sed 's/^==[0-9]*== *//' || true
if [ "$game_status" -ne 0 ]; then
    echo "valgrind.sh: the scripted game under memcheck failed (status $game_status)"
    grep -A30 -E "are definitely lost|are indirectly lost|Invalid|uninitialised|Conditional jump" \
        "$work/game.log" | head -120
    fail=1
fi
exit "$fail"
