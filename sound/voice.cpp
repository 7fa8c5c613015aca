// The synthesizer voice. (Rendering to follow.)
#include "sound/voice.h"

#include "sound/programs.h"

SoundVoice* current_voice = nullptr;

SoundVoice::SoundVoice() {
    phase = 0.0f;
    filter_vel = 0.0f;
    filter_pos = 0.0f;
    samples_left = 0;
    frame = snd_silence;
    current_voice = this;
    locked = false;
    seed = 0;
    volume = 0.0f;
}
