// The sound owner and play_sound. (Device handling to follow.)
#include "sound/synth.h"

#include <SDL.h>

SoundRequestObserver sound_request_observer = nullptr;

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
