#!/usr/bin/env bash
# ThreadSanitizer run of the sound owner: start-up, play_sound and shutdown
# while SDL's audio thread renders. First proves the checker sees a race of
# ours (a voice field written without the audio lock), then runs the sound
# tests that share the voice with the audio thread and expects no report.
# Usage: tsan_sound.sh BUILD_DIR   (exit 77 when the compiler has no ThreadSanitizer)
set -euo pipefail
build=${1:?usage: tsan_sound.sh BUILD_DIR}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
out="$build/tsan-sound"
mkdir -p "$out"
flags=(-std=c++17 -O1 -g -fsanitize=thread -ffp-contract=off -I"$root" $(sdl-config --cflags))
libs=($(sdl-config --libs) -lm -pthread)

if ! echo 'int main(){}' | g++ -x c++ -fsanitize=thread - -o "$out/probe" 2>/dev/null; then
  echo "tsan_sound: skipped: this compiler cannot build with ThreadSanitizer"
  exit 77
fi

sound_sources=("$root"/sound/*.cpp)
objects=()
for src in "${sound_sources[@]}"; do
  obj="$out/$(basename "${src%.cpp}").o"
  g++ "${flags[@]}" -c "$src" -o "$obj"
  objects+=("$obj")
done

# The canary: the game thread writes the voice's volume with no audio lock.
cat > "$out/canary.cpp" <<'CPP'
#include <SDL.h>
#include "sound/synth.h"
int main() {
    SDL_Init(SDL_INIT_AUDIO);
    Synth* synth = new Synth;
    for (int i = 0; i < 2000; ++i) { synth->voice.volume = static_cast<float>(i % 2); SDL_Delay(0); }
    delete synth;
    SDL_Quit();
    return 0;
}
CPP
g++ "${flags[@]}" "$out/canary.cpp" "${objects[@]}" "${libs[@]}" -o "$out/canary"
# A real file: SDL 2's disk driver (under the compatibility library) refuses /dev/null.
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out/canary.raw" SDL_DISKAUDIODELAY=0
if TSAN_OPTIONS="exitcode=66" "$out/canary" > "$out/canary.log" 2>&1; then
  echo "tsan_sound: the unlocked write was not reported; ThreadSanitizer sees nothing here"
  cat "$out/canary.log"
  exit 1
fi
grep -q "data race" "$out/canary.log" || { cat "$out/canary.log"; exit 1; }
echo "tsan_sound: canary race reported, as it should be"

g++ "${flags[@]}" "$root"/tests/sound/synth_test.cpp "${objects[@]}" -lgtest -lgtest_main "${libs[@]}" -o "$out/sound_tests"
TSAN_OPTIONS="halt_on_error=1 exitcode=66" "$out/sound_tests"
echo "tsan_sound: no races in start-up, play_sound and shutdown"
