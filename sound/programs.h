// The constant sound programs: six effects and the silence the voice starts on.
#pragma once

#include "sound/voice.h"

extern const SoundFrame snd_silence[];
extern const SoundFrame snd_rope_fire[];
extern const SoundFrame snd_bounce[];
extern const SoundFrame snd_level_start[];
extern const SoundFrame snd_gem[];
extern const SoundFrame snd_time_up[];
extern const SoundFrame snd_rope_catch[];

// Every program by its name, for tools and harnesses that name sounds in text.
struct NamedSoundProgram {
    const char* name;
    SoundProgram program;
};
extern const NamedSoundProgram sound_programs[];
extern const int sound_program_count;
