// The sound catalogue: the worked frames and the even glides. (The voice's
// tests pin every program's frame count and rendered sound.)
#include "sound/programs.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(SoundPrograms, WorkedFramesAreExact) {
    const struct { SoundProgram program; int frame; float phase_step, amplitude, shape, noise, filter; } rows[] = {
        {snd_rope_fire, 0, 0.004989f, 0.1f, 0.1f, 0.4f, 0.01f},
        {snd_rope_fire, 1, 0.005329f, 0.1f, 0.1f, 0.428571f, 0.022857f},
        {snd_rope_fire, 8, 0.008294f, 0.08f, 0.1f, 0.48f, 0.082f},
        {snd_bounce, 1, 0.002122f, 0.85f, 0.5f, 0.57f, 0.33f},
        {snd_level_start, 1, 0.000624f, 0.1f, 0.5f, 0.29625f, 0.05875f},
        {snd_level_start, 41, 0.000616f, 0.09875f, 0.5f, 0.15f, 0.395f},
        {snd_level_start, 120, 0.000247f, 0.0f, 0.5f, 0.15f, 0.0f},
        {snd_gem, 1, 0.013165f, 0.2f, 0.05f, 0.0f, 0.46f},
        {snd_gem, 10, 0.159637f, 0.2f, 0.5f, 0.0f, 1.0f},
        {snd_gem, 11, 0.004989f, 0.2f, 0.5f, 0.0f, 1.0f},
        {snd_gem, 12, 0.006583f, 0.2f, 0.5f, 0.0f, 1.0f},
        {snd_gem, 18, 0.002494f, 0.2f, 0.5f, 0.0f, 1.0f},
        {snd_time_up, 1, 0.015441f, 0.4f, 0.496f, 0.0f, 0.199f},
        {snd_time_up, 101, 0.00124f, 0.39f, 0.1f, 0.0f, 0.0975f},
        {snd_time_up, 140, 0.00099f, 0.0f, 0.1f, 0.0f, 0.0f},
        {snd_rope_catch, 0, 0.009977f, 0.0f, 0.5f, 1.0f, 0.4f},
        {snd_rope_catch, 1, 0.009977f, 0.0f, 0.5f, 1.0f, 0.1f},
        {snd_rope_catch, 6, 0.009977f, 0.0f, 0.5f, 1.0f, 0.0f},
    };
    for (const auto& r : rows) {
        const SoundFrame& f = r.program[r.frame];
        SCOPED_TRACE(testing::Message() << "frame " << r.frame << " at " << r.phase_step);
        EXPECT_EQ(f.phase_step, r.phase_step);
        EXPECT_EQ(f.amplitude, r.amplitude);
        EXPECT_EQ(f.shape, r.shape);
        EXPECT_EQ(f.noise, r.noise);
        EXPECT_EQ(f.filter, r.filter);
    }
}

// Within a segment the pitch steps by one ratio, even in semitones; it jumps
// only between segments.
TEST(SoundPrograms, GlidesAreEvenInSemitones) {
    const struct { SoundProgram program; int first, last; double semitones_per_frame; } glides[] = {
        {snd_bounce, 0, 5, -4.8},         {snd_gem, 0, 10, 4.8},         {snd_gem, 11, 16, 4.8},
        {snd_gem, 17, 19, 24.0},          {snd_rope_fire, 0, 7, 8.0 / 7.0}, {snd_rope_fire, 7, 12, 0.8},
        {snd_level_start, 0, 40, 0.0},    {snd_level_start, 40, 120, -0.2}, {snd_time_up, 0, 100, -0.44},
        {snd_time_up, 100, 140, -0.1},
    };
    for (const auto& g : glides) {
        const double ratio = std::pow(2.0, g.semitones_per_frame / 12.0);
        for (int i = g.first + 1; i <= g.last; ++i) {
            const double a = g.program[i - 1].phase_step, b = g.program[i].phase_step;
            // Each step is rounded to six decimals.
            EXPECT_NEAR(b / a, ratio, (b / a) * (0.5e-6 / a + 0.5e-6 / b) + 1e-7) << "frame " << i;
        }
    }
}

}  // namespace
