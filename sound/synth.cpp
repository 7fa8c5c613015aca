// The sound owner and play_sound. (Device handling to follow.)
#include "sound/synth.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>

SoundRequestObserver sound_request_observer = nullptr;

Synth::Synth() {
    SDL_AudioSpec request = {};
    request.freq = 44100;
    request.format = AUDIO_S16LSB;
    request.channels = 1;
    request.samples = 512;
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
}

void audio_callback(void*, uint8_t* stream, int len) {
    for (int i = 0; i < len; ++i) stream[i] = 0;
}

void play_sound(SoundProgram program, float volume, bool lock) {
    if (sound_request_observer) sound_request_observer(program, volume, lock);
    SDL_LockAudio();
    if (!current_voice->locked) {
        current_voice->frame = program;
        current_voice->volume = volume;
        current_voice->locked = lock;
    }
    SDL_UnlockAudio();
}
