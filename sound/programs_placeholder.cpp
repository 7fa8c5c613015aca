// Placeholder programs until the generated catalogue lands: each is silence.
#include "sound/programs.h"

#define SILENT { End, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f }
const SoundFrame snd_silence[] = { SILENT };
const SoundFrame snd_rope_fire[] = { SILENT };
const SoundFrame snd_bounce[] = { SILENT };
const SoundFrame snd_level_start[] = { SILENT };
const SoundFrame snd_gem[] = { SILENT };
const SoundFrame snd_time_up[] = { SILENT };
const SoundFrame snd_rope_catch[] = { SILENT };
