// The one synthesizer voice: its program format and the sample renderer.
#pragma once

#include <cstdint>

// The kind of a frame, stored as a u32 inside the frame.
enum SoundWave : uint32_t {
    Pulse = 0,
    Triangle = 1,
    End = 2,  // the last frame of a program; the voice rests on it
};

// One tick (735 samples) of a program.
struct SoundFrame {
    uint32_t wave;     // a SoundWave value
    float phase_step;  // oscillator cycles per sample: Hz / 44100
    float amplitude;   // oscillator gain
    float shape;       // 0..1: pulse duty, or the triangle's peak position
    float noise;       // gain of the white noise
    float filter;      // 0 freezes the filter, 1 passes the input one sample late
};

// A program is a constant array of frames ending in one End frame,
// addressed by its first frame.
using SoundProgram = const SoundFrame*;

constexpr int32_t sound_tick_samples = 735;  // 1/60 s at 44100 Hz

struct SoundVoice {
    SoundVoice();
    // Stops being the current voice, so play_sound never reaches freed memory.
    ~SoundVoice();

    // Writes count samples (nothing when count <= 0) and advances the voice.
    void render(float* out, int32_t count);

    float phase;       // oscillator phase in cycles, 0 <= phase < 1
    float filter_pos;  // filter output before the volume
    float filter_vel;
    int32_t samples_left;     // samples left in the current tick, 0..735
    uint32_t seed;            // noise generator state
    const SoundFrame* frame;  // the frame being played
    float volume;             // written by play_sound
    bool locked;              // set by a locking play_sound, cleared at rest
};

// The voice that play_sound acts on: the one constructed last.
extern SoundVoice* current_voice;
