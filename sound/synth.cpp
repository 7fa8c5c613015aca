// The sound owner: opening and closing the audio device, the audio callback,
// and play_sound, the one way the game starts a sound.
#include "sound/synth.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>

#include "sound/sample_output.h"

SoundRequestObserver sound_request_observer = nullptr;

namespace {

// The device request: 44100 samples per second, one channel so that every
// 16-bit slot the callback fills is one tick-timed voice sample, and a buffer
// of 512 sample frames (11.6 ms).
constexpr int device_rate_hz = 44100;
constexpr Uint8 device_channels = 1;
constexpr Uint16 device_buffer_frames = 512;

// The callback's render target; only the audio thread touches it.
float mix_buffer[mix_run_samples];

}  // namespace

Synth::Synth() {
    SDL_AudioSpec request = {};
    request.freq = device_rate_hz;
    request.format = AUDIO_S16LSB;
    request.channels = device_channels;
    request.samples = device_buffer_frames;
    request.callback = audio_callback;
    request.userdata = this;
    if (SDL_OpenAudio(&request, nullptr) < 0) {
        fprintf(stderr, "Couldn't open audio: %s\n", SDL_GetError());
        exit(1);
    }
    SDL_PauseAudio(0);
}

Synth::~Synth() {
    SDL_PauseAudio(1);
    // Pausing is not enough before our memory goes: SDL's audio thread tests
    // the pause flag without the audio lock, so a callback that has passed
    // that test can still start after we have taken and dropped the lock.
    // Closing the device joins the audio thread, so no callback can run once
    // it returns. SDL_Quit at exit finds the device already closed.
    SDL_CloseAudio();
}

void audio_callback(void* userdata, uint8_t* stream, int len) {
    SoundVoice& voice = static_cast<Synth*>(userdata)->voice;
    fill_s16_stream(stream, len, mix_buffer,
                    [&voice](float* run, int32_t n) { voice.render(run, n); });
}

void play_sound(SoundProgram program, float volume, bool lock) {
    if (sound_request_observer) sound_request_observer(program, volume, lock);
    SDL_LockAudio();
    // No voice exists before the sound owner is made or after it is gone.
    SoundVoice* voice = current_voice;
    if (voice && !voice->locked) {
        voice->frame = program;
        voice->volume = volume;
        voice->locked = lock;
    }
    SDL_UnlockAudio();
}
