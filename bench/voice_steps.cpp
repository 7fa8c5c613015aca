// Counts the instructions of the voice for callgrind: SoundVoice::render per
// sample, and the audio callback per device buffer of 512 frames, over every
// sound program. Collection is switched on only around the calls:
//   SDL_AUDIODRIVER=dummy valgrind --tool=callgrind --collect-atstart=no voice_steps
// It prints the samples and callbacks counted under each dump's name.
#include <SDL.h>
#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>

#include "sound/programs.h"
#include "sound/synth.h"

namespace {

constexpr int run_samples = 256;      // samples per render call, as the callback renders
constexpr int render_calls = 400;     // per program
constexpr int callback_bytes = 1024;  // 512 one-channel frames of 16 bits
constexpr int callbacks = 200;        // per program

const SoundProgram programs[] = {snd_level_start, snd_time_up, snd_gem,
                                 snd_bounce, snd_rope_fire, snd_rope_catch};

void start(SoundVoice& voice, SoundProgram program) {
    voice.frame = program;
    voice.volume = 1.0f;
    voice.locked = false;
}

}  // namespace

int main() {
    if (getenv("SDL_AUDIODRIVER") == nullptr) setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_AUDIO) < 0) {
        fprintf(stderr, "voice_steps: %s\n", SDL_GetError());
        return 1;
    }
    Synth* synth = new Synth;
    // The device's own callbacks wait while this thread plays their part.
    SDL_PauseAudio(1);
    SDL_LockAudio();
    static float samples[run_samples];
    static uint8_t stream[callback_bytes];
    long rendered = 0;
    CALLGRIND_ZERO_STATS;
    for (SoundProgram program : programs) {
        start(synth->voice, program);
        for (int i = 0; i < render_calls; ++i) {
            CALLGRIND_TOGGLE_COLLECT;
            synth->voice.render(samples, run_samples);
            CALLGRIND_TOGGLE_COLLECT;
            rendered += run_samples;
        }
    }
    CALLGRIND_DUMP_STATS_AT("voice/render");
    long called = 0;
    for (SoundProgram program : programs) {
        start(synth->voice, program);
        for (int i = 0; i < callbacks; ++i) {
            CALLGRIND_TOGGLE_COLLECT;
            audio_callback(synth, stream, callback_bytes);
            CALLGRIND_TOGGLE_COLLECT;
            ++called;
        }
    }
    CALLGRIND_DUMP_STATS_AT("voice/callback");
    // The floor: switching collection on and off around nothing.
    for (long i = 0; i < called; ++i) {
        CALLGRIND_TOGGLE_COLLECT;
        CALLGRIND_TOGGLE_COLLECT;
    }
    CALLGRIND_DUMP_STATS_AT("voice/empty");
    SDL_UnlockAudio();
    delete synth;
    SDL_Quit();
    printf("voice/render calls %d samples %ld\nvoice/callback calls %ld frames %ld\n",
           render_calls * static_cast<int>(sizeof programs / sizeof programs[0]), rendered,
           called, called * callback_bytes / 2);
    return 0;
}
