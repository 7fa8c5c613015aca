// Measures what the audio callback costs per sample: drives audio_callback on
// the game's own voice with device-sized buffers while the real device waits.
// For instruction counts run it under callgrind, collecting only inside the
// callback, and divide the collected instructions by the samples it prints:
//   SDL_AUDIODRIVER=dummy valgrind --tool=callgrind '--toggle-collect=audio_callback*' build/sound_callback_cost
#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "sound/programs.h"
#include "sound/synth.h"

namespace {

constexpr int buffer_bytes = 1024;          // one device buffer: 512 one-channel frames
constexpr int buffers_per_program = 200;    // about 2.3 s of sound per program

}  // namespace

int main() {
    if (getenv("SDL_AUDIODRIVER") == nullptr) setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_Init(SDL_INIT_AUDIO) < 0) {
        fprintf(stderr, "sound_callback_cost: %s\n", SDL_GetError());
        return 1;
    }
    Synth* synth = new Synth;
    // The device's own callbacks wait on the audio lock while this thread
    // plays the audio thread's part.
    SDL_PauseAudio(1);
    SDL_LockAudio();
    static uint8_t buffer[buffer_bytes];
    const SoundProgram programs[] = {snd_level_start, snd_time_up, snd_gem, snd_bounce,
                                     snd_rope_fire, snd_rope_catch};
    long samples = 0;
    unsigned checksum = 0;
    const auto start = std::chrono::steady_clock::now();
    for (SoundProgram program : programs) {
        synth->voice.frame = program;
        synth->voice.volume = 1.0f;
        synth->voice.locked = false;
        for (int i = 0; i < buffers_per_program; ++i) {
            audio_callback(synth, buffer, buffer_bytes);
            checksum = checksum * 31u + buffer[i % buffer_bytes];
            samples += buffer_bytes / 2;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    SDL_UnlockAudio();
    delete synth;
    SDL_Quit();
    printf("samples %ld, %.1f ns per sample, %.0fx real time (checksum %08x)\n", samples,
           seconds * 1e9 / static_cast<double>(samples),
           static_cast<double>(samples) / 44100.0 / seconds, checksum);
    return 0;
}
