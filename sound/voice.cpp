// The synthesizer voice: construction and the sample renderer, step by step in f32.
#include "sound/voice.h"

#include "sound/programs.h"

SoundVoice* current_voice = nullptr;

namespace {

// The noise generator: a 32-bit linear congruential generator (wraps modulo 2^32).
constexpr uint32_t noise_multiplier = 4637237u;
constexpr uint32_t noise_increment = 3763723u;
// Maps the unsigned seed onto [0, 2): 2^31.
constexpr float noise_scale = 2147483648.0f;

float oscillator(const SoundFrame& f, float phase) {
    switch (f.wave) {
        case Pulse:
            return phase < f.shape ? 1.0f : -1.0f;
        case Triangle:
            // Each branch divides only by a width that is not zero there, since
            // 0 <= phase < 1 and 0 <= shape <= 1.
            if (phase < f.shape) return 2.0f * phase / f.shape - 1.0f;
            return 2.0f * (1.0f - phase) / (1.0f - f.shape) - 1.0f;
        default:
            return 0.0f;
    }
}

}  // namespace

SoundVoice::SoundVoice() {
    phase = 0.0f;
    filter_vel = 0.0f;
    filter_pos = 0.0f;
    samples_left = 0;
    frame = snd_silence;
    current_voice = this;
    locked = false;
    // Any seed would do (it only shifts the noise sequence); any finite volume
    // would do (the silent program renders zeros whatever it is).
    seed = 0;
    volume = 1.0f;
}

SoundVoice::~SoundVoice() {
    // play_sound must not reach a voice that no longer exists.
    if (current_voice == this) current_voice = nullptr;
}

void SoundVoice::render(float* out, int32_t count) {
    while (count > 0) {
        if (samples_left == 0) {
            if (frame->wave != End) {
                ++frame;
            } else {
                locked = false;
            }
            samples_left = sound_tick_samples;
        }
        const int32_t n = samples_left < count ? samples_left : count;
        const SoundFrame f = *frame;
        for (int32_t i = 0; i < n; ++i) {
            float s = oscillator(f, phase);
            phase = phase + f.phase_step;
            if (phase >= 1.0f) phase = phase - 1.0f;
            s = s * f.amplitude;
            seed = seed * noise_multiplier + noise_increment;
            const float r = static_cast<float>(seed) / noise_scale - 1.0f;
            s = s + f.noise * r;
            filter_pos = filter_pos + f.filter * filter_vel;
            filter_vel = filter_vel + f.filter * (s - filter_pos - filter_vel);
            out[i] = filter_pos * volume;
        }
        out += n;
        samples_left -= n;
        count -= n;
    }
}
