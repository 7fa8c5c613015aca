// The sound catalogue: frame counts, the checked frames, glides and invariants.
#include "sound/programs.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

int frames_before_end(SoundProgram program) {
    int n = 0;
    while (program[n].wave != End) ++n;
    return n;
}

struct ProgramCase {
    const char* name;
    SoundProgram program;
    uint32_t wave;
    int frames;  // before End
};

const ProgramCase programs[] = {
    {"snd_silence", snd_silence, End, 0},
    {"snd_rope_fire", snd_rope_fire, Triangle, 13},
    {"snd_bounce", snd_bounce, Triangle, 6},
    {"snd_level_start", snd_level_start, Triangle, 121},
    {"snd_gem", snd_gem, Triangle, 20},
    {"snd_time_up", snd_time_up, Pulse, 141},
    {"snd_rope_catch", snd_rope_catch, Pulse, 7},
};

// Every frame keeps to the ranges the voice relies on; End is all zero.
TEST(SoundPrograms, FrameCountsWavesRangesAndOneZeroEndFrame) {
    for (const ProgramCase& c : programs) {
        SCOPED_TRACE(c.name);
        const int n = frames_before_end(c.program);
        EXPECT_EQ(n, c.frames);
        for (int i = 0; i < n; ++i) {
            const SoundFrame& f = c.program[i];
            EXPECT_EQ(f.wave, c.wave) << i;
            EXPECT_TRUE(f.phase_step >= 0 && f.phase_step < 1 && f.shape >= 0 && f.shape <= 1 &&
                        f.filter >= 0 && f.filter <= 1 && f.amplitude >= 0 && f.noise >= 0)
                << "frame " << i;
        }
        const SoundFrame& end = c.program[n];
        EXPECT_TRUE(end.phase_step == 0 && end.amplitude == 0 && end.shape == 0 && end.noise == 0 &&
                    end.filter == 0);
    }
}

struct CheckRow {
    const char* name;
    SoundProgram program;
    int frame;
    float phase_step, amplitude, shape, noise, filter;
};

TEST(SoundPrograms, CheckedFramesAreExact) {
    const CheckRow rows[] = {
        {"snd_rope_fire", snd_rope_fire, 0, 0.004989f, 0.1f, 0.1f, 0.4f, 0.01f},
        {"snd_rope_fire", snd_rope_fire, 1, 0.005329f, 0.1f, 0.1f, 0.428571f, 0.022857f},
        {"snd_rope_fire", snd_rope_fire, 8, 0.008294f, 0.08f, 0.1f, 0.48f, 0.082f},
        {"snd_bounce", snd_bounce, 1, 0.002122f, 0.85f, 0.5f, 0.57f, 0.33f},
        {"snd_level_start", snd_level_start, 1, 0.000624f, 0.1f, 0.5f, 0.29625f, 0.05875f},
        {"snd_level_start", snd_level_start, 41, 0.000616f, 0.09875f, 0.5f, 0.15f, 0.395f},
        {"snd_level_start", snd_level_start, 120, 0.000247f, 0.0f, 0.5f, 0.15f, 0.0f},
        {"snd_gem", snd_gem, 1, 0.013165f, 0.2f, 0.05f, 0.0f, 0.46f},
        {"snd_gem", snd_gem, 10, 0.159637f, 0.2f, 0.5f, 0.0f, 1.0f},
        {"snd_gem", snd_gem, 11, 0.004989f, 0.2f, 0.5f, 0.0f, 1.0f},
        {"snd_gem", snd_gem, 12, 0.006583f, 0.2f, 0.5f, 0.0f, 1.0f},
        {"snd_gem", snd_gem, 18, 0.002494f, 0.2f, 0.5f, 0.0f, 1.0f},
        {"snd_time_up", snd_time_up, 1, 0.015441f, 0.4f, 0.496f, 0.0f, 0.199f},
        {"snd_time_up", snd_time_up, 101, 0.00124f, 0.39f, 0.1f, 0.0f, 0.0975f},
        {"snd_time_up", snd_time_up, 140, 0.00099f, 0.0f, 0.1f, 0.0f, 0.0f},
        {"snd_rope_catch", snd_rope_catch, 0, 0.009977f, 0.0f, 0.5f, 1.0f, 0.4f},
        {"snd_rope_catch", snd_rope_catch, 1, 0.009977f, 0.0f, 0.5f, 1.0f, 0.1f},
        {"snd_rope_catch", snd_rope_catch, 6, 0.009977f, 0.0f, 0.5f, 1.0f, 0.0f},
    };
    for (const CheckRow& r : rows) {
        SCOPED_TRACE(testing::Message() << r.name << " frame " << r.frame);
        const SoundFrame& f = r.program[r.frame];
        EXPECT_EQ(f.phase_step, r.phase_step);
        EXPECT_EQ(f.amplitude, r.amplitude);
        EXPECT_EQ(f.shape, r.shape);
        EXPECT_EQ(f.noise, r.noise);
        EXPECT_EQ(f.filter, r.filter);
    }
}

// The tolerance of a ratio of two values each rounded to six decimals.
double ratio_tolerance(double a, double b) {
    return (b / a) * (0.5e-6 / a + 0.5e-6 / b) + 1e-7;
}

// Frames first..last of each glide step in pitch by the same ratio: even
// semitones, with jumps only between segments.
TEST(SoundPrograms, GlidesAreEvenInSemitones) {
    struct Glide { const char* name; SoundProgram program; int first, last; double semitones_per_frame; };
    const Glide glides[] = {
        {"snd_bounce", snd_bounce, 0, 5, -4.8},  // 2^-0.4 per frame
        {"snd_gem", snd_gem, 0, 10, 4.8},
        {"snd_gem", snd_gem, 11, 16, 4.8},
        {"snd_gem", snd_gem, 17, 19, 24.0},
        {"snd_rope_fire", snd_rope_fire, 0, 7, 8.0 / 7.0},
        {"snd_rope_fire", snd_rope_fire, 7, 12, 0.8},
        {"snd_level_start", snd_level_start, 0, 40, 0.0},
        {"snd_level_start", snd_level_start, 40, 120, -0.2},
        {"snd_time_up", snd_time_up, 0, 100, -0.44},
        {"snd_time_up", snd_time_up, 100, 140, -0.1},
    };
    for (const Glide& g : glides) {
        const double ratio = std::pow(2.0, g.semitones_per_frame / 12.0);
        for (int i = g.first + 1; i <= g.last; ++i) {
            const double a = g.program[i - 1].phase_step, b = g.program[i].phase_step;
            EXPECT_NEAR(b / a, ratio, ratio_tolerance(a, b)) << g.name << " frames " << i - 1 << ".." << i;
        }
    }
    // The bounce from 123.47 Hz to 30.87 Hz; the gem from 7040 Hz down to
    // 220 Hz, and from 880 Hz down to 27.5 Hz: no glide across its joins.
    const struct { SoundProgram frame; double hz; } pitches[] = {
        {snd_bounce, 123.47}, {snd_bounce + 5, 30.87}, {snd_gem + 10, 7040.0},
        {snd_gem + 11, 220.0}, {snd_gem + 16, 880.0}, {snd_gem + 17, 27.5},
    };
    for (const auto& p : pitches) EXPECT_NEAR(p.frame->phase_step * 44100.0, p.hz, 0.03) << p.hz;
}

}  // namespace
