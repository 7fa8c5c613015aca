// Turning voice samples into the device's signed 16-bit little-endian slots.
#pragma once

#include <cstdint>

// The callback renders at most this many samples at a time, into a fixed
// buffer, so its memory does not depend on the device's buffer size.
constexpr int32_t mix_run_samples = 256;

// Full scale of a sample in 16-bit units: 1.0 becomes 32767.
constexpr float s16_full_scale = 32767.0f;

// sample * 32767 truncated towards zero. The voice can go beyond [-1, 1]
// (a full-volume bounce reaches about 1.5): such products saturate at the
// ends of the int16 range, -32768 and 32767, instead of wrapping into a loud
// click. A NaN, which no valid program produces, becomes silence.
inline int16_t sample_to_s16(float sample) {
    const float scaled = sample * s16_full_scale;
    if (scaled >= 32767.0f) return 32767;
    if (scaled <= -32768.0f) return -32768;
    if (scaled != scaled) return 0;
    return static_cast<int16_t>(scaled);
}

// Fills the len / 2 whole 16-bit slots of stream (an odd last byte is left
// alone) in runs of at most mix_run_samples: render_run(run, n) writes the
// next n samples into run, which holds mix_run_samples floats.
template <typename RenderRun>
void fill_s16_stream(uint8_t* stream, int len, float* run, RenderRun render_run) {
    int32_t total = len / 2;
    while (total > 0) {
        const int32_t n = total < mix_run_samples ? total : mix_run_samples;
        total -= n;
        render_run(run, n);
        for (int32_t i = 0; i < n; ++i) {
            const uint16_t bits = static_cast<uint16_t>(sample_to_s16(run[i]));
            stream[0] = static_cast<uint8_t>(bits & 0xffu);
            stream[1] = static_cast<uint8_t>(bits >> 8);
            stream += 2;
        }
    }
}
