// The sound owner: the audio device, its callback, and play_sound, the one way
// the game starts a sound.
#pragma once

#include <cstdint>

#include "sound/voice.h"

// Owns the voice; opening it starts the audio device (or ends the program
// with "Couldn't open audio: %s\n" and status 1).
class Synth {
public:
    Synth();
    ~Synth();
    Synth(const Synth&) = delete;
    Synth& operator=(const Synth&) = delete;

    SoundVoice voice;
};

// SDL's audio callback: fills the buffer with the voice in runs of 256 samples.
void audio_callback(void* userdata, uint8_t* stream, int len);

// Starts program on the current voice unless a locked program still holds it.
void play_sound(SoundProgram program, float volume, bool lock);

// Tests and tools may watch every request made through play_sound, taken or
// dropped. Null in the game.
using SoundRequestObserver = void (*)(SoundProgram program, float volume, bool lock);
extern SoundRequestObserver sound_request_observer;
