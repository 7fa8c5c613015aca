// The synthesizer voice: oscillators, noise, filter, phase and the tick timing.
#include "sound/voice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "sound/programs.h"

namespace {

constexpr float test_step = 0.125f;  // eight samples per oscillator cycle

// Puts the voice on the first frame of program in the middle of a tick, so the
// next renders play that frame without crossing a boundary.
void start_mid_tick(SoundVoice& voice, SoundProgram program) {
    voice.frame = program;
    voice.samples_left = sound_tick_samples;
    voice.volume = 1.0f;
}

std::vector<float> render(SoundVoice& voice, int32_t count) {
    std::vector<float> out(static_cast<size_t>(count), 12345.0f);
    voice.render(out.data(), count);
    return out;
}

TEST(SoundVoice, ConstructionGivesASilentRestingVoice) {
    SoundVoice voice;
    EXPECT_EQ(current_voice, &voice);
    EXPECT_EQ(voice.frame, snd_silence);
    EXPECT_EQ(voice.phase, 0.0f);
    EXPECT_EQ(voice.filter_pos, 0.0f);
    EXPECT_EQ(voice.filter_vel, 0.0f);
    EXPECT_EQ(voice.samples_left, 0);
    EXPECT_FALSE(voice.locked);
    EXPECT_TRUE(std::isfinite(voice.volume));
    // Three ticks and a bit: silence, however the boundaries fall.
    for (float sample : render(voice, 3 * sound_tick_samples + 17)) ASSERT_EQ(sample, 0.0f);
    EXPECT_EQ(voice.frame, snd_silence);
    // The noise generator steps even while the voice is silent.
    voice.seed = 0;
    render(voice, 2);
    EXPECT_EQ(voice.seed, 2827193426u);
    {
        SoundVoice second;
        EXPECT_EQ(current_voice, &second);
    }
    EXPECT_EQ(current_voice, nullptr);  // the last voice made is current until it goes
}

// With filter 1 the output is the oscillator value one sample late, so these
// cases read the oscillator sequence s directly.
struct OscillatorCase {
    const char* name;
    uint32_t wave;
    float shape;
    std::vector<float> cycle;  // s for phases 0, 1/8, ... 7/8
    float amplitude = 1.0f;
    float volume = 1.0f;
};

TEST(SoundVoice, OscillatorCycles) {
    const OscillatorCase cases[] = {
        {"pulse half duty", Pulse, 0.5f, {1, 1, 1, 1, -1, -1, -1, -1}},
        {"pulse quarter duty", Pulse, 0.25f, {1, 1, -1, -1, -1, -1, -1, -1}},
        {"triangle centred", Triangle, 0.5f, {-1, -0.5f, 0, 0.5f, 1, 0.5f, 0, -0.5f}},
        {"triangle shape 0: falling ramp", Triangle, 0.0f,
         {1, 0.75f, 0.5f, 0.25f, 0, -0.25f, -0.5f, -0.75f}},
        {"triangle shape 1: rising ramp", Triangle, 1.0f,
         {-1, -0.75f, -0.5f, -0.25f, 0, 0.25f, 0.5f, 0.75f}},
        {"unknown wave is silent", 7, 0.5f, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"amplitude and volume scale", Pulse, 0.5f,
         {0.125f, 0.125f, 0.125f, 0.125f, -0.125f, -0.125f, -0.125f, -0.125f}, 0.5f, 0.25f},
    };
    for (const OscillatorCase& c : cases) {
        SCOPED_TRACE(c.name);
        const SoundFrame program[] = {
            {c.wave, test_step, c.amplitude, c.shape, 0.0f, 1.0f},
            {End, 0, 0, 0, 0, 0},
        };
        SoundVoice voice;
        start_mid_tick(voice, program);
        voice.volume = c.volume;
        const std::vector<float> out = render(voice, 17);
        EXPECT_EQ(out[0], 0.0f);
        for (size_t i = 1; i < out.size(); ++i) ASSERT_EQ(out[i], c.cycle[(i - 1) % 8]) << "sample " << i;
    }
}

TEST(SoundVoice, FilterZeroHoldsTheOutput) {
    const SoundFrame program[] = {
        {Pulse, test_step, 1.0f, 0.5f, 0.0f, 1.0f},  // drives the filter to +1
        {Triangle, 0.3f, 1.0f, 0.2f, 1.0f, 0.0f},    // loud, noisy, frozen filter
        {End, 0, 0, 0, 0, 0},
    };
    SoundVoice voice;
    voice.frame = program;
    voice.samples_left = 3;  // three samples of the first frame, then the frozen one
    voice.volume = 0.5f;
    const std::vector<float> out = render(voice, 2 * sound_tick_samples);
    EXPECT_EQ(out[2], 0.5f);
    for (size_t i = 3; i < out.size(); ++i) ASSERT_EQ(out[i], 0.5f) << "sample " << i;
}

TEST(SoundVoice, NoiseSequenceFromSeedZero) {
    // Noise alone through filter 1: the output is r one sample late.
    const SoundFrame program[] = {{Pulse, 0.0f, 0.0f, 0.5f, 1.0f, 1.0f}, {End, 0, 0, 0, 0, 0}};
    SoundVoice voice;
    voice.seed = 0;
    start_mid_tick(voice, program);
    const uint32_t seeds[] = {3763723u, 2827193426u, 4063731461u, 3348964372u};
    const float r[] = {-0.99824738f, 0.31651449f, 0.89232242f, 0.55948305f};
    float out = 0.0f;
    for (int i = 0; i < 4; ++i) {
        voice.render(&out, 1);
        EXPECT_EQ(voice.seed, seeds[i]) << "draw " << i;
        if (i > 0) {
            EXPECT_EQ(out, r[i - 1]) << "draw " << i;
        }
    }
}

TEST(SoundVoice, PhaseWrapsOnceAtOne) {
    struct Case { float start, step, after; };
    const Case cases[] = {
        {0.5f, 0.75f, 0.25f},
        {0.5f, 0.5f, 0.0f},
        {0.875f, 0.125f, 0.0f},
        {0.25f, 0.5f, 0.75f},
        {0.0f, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        const SoundFrame program[] = {{Triangle, c.step, 1.0f, 0.5f, 0.0f, 0.5f}, {End, 0, 0, 0, 0, 0}};
        SoundVoice voice;
        start_mid_tick(voice, program);
        voice.phase = c.start;
        float out;
        voice.render(&out, 1);
        EXPECT_EQ(voice.phase, c.after) << c.start << " + " << c.step;
    }
}

TEST(SoundVoice, ProgramTimingAfterOneRenderedSample) {
    const SoundFrame program[] = {
        {Pulse, test_step, 0.5f, 0.5f, 0.0f, 0.5f},
        {Triangle, test_step, 0.5f, 0.5f, 0.0f, 0.5f},
        {End, 0, 0, 0, 0, 0},
    };
    SoundVoice voice;
    float out;
    voice.render(&out, 1);
    voice.frame = program;
    voice.volume = 1.0f;
    voice.locked = true;

    // Where the voice stands after each rendered sample, one at a time.
    std::vector<int> frame_after;
    std::vector<bool> locked_after;
    for (int i = 0; i < 2300; ++i) {
        voice.render(&out, 1);
        frame_after.push_back(static_cast<int>(voice.frame - program));
        locked_after.push_back(voice.locked);
    }
    // The first frame sounds for the rest of the tick (734 samples), the second
    // for a whole tick; End is current from sample 1469 (counting from 0).
    for (int i = 0; i < 734; ++i) ASSERT_EQ(frame_after[i], 0) << i;
    for (int i = 734; i < 1469; ++i) ASSERT_EQ(frame_after[i], 1) << i;
    for (int i = 1469; i < 2300; ++i) ASSERT_EQ(frame_after[i], 2) << i;
    // The lock holds through the End tick and clears at the boundary that
    // begins sample 2204.
    for (int i = 0; i < 2204; ++i) ASSERT_TRUE(locked_after[i]) << i;
    for (int i = 2204; i < 2300; ++i) ASSERT_FALSE(locked_after[i]) << i;
}

TEST(SoundVoice, ProgramInstalledAtABoundarySkipsItsFirstFrame) {
    SoundVoice voice;
    voice.frame = snd_bounce;  // fresh voice: samples_left is 0
    float out;
    voice.render(&out, 1);
    EXPECT_EQ(voice.frame, snd_bounce + 1);
    EXPECT_EQ(voice.samples_left, sound_tick_samples - 1);
}

TEST(SoundVoice, RunLengthsDoNotChangeTheSound) {
    const int32_t total = 16 * sound_tick_samples;
    SoundVoice reference;
    reference.frame = snd_gem;
    const std::vector<float> expected = render(reference, total);
    ASSERT_NE(expected[2 * sound_tick_samples], 0.0f);
    for (int32_t run : {1, 7, 256, 735, 1000}) {
        SoundVoice voice;
        voice.frame = snd_gem;
        std::vector<float> out(static_cast<size_t>(total));
        for (int32_t done = 0; done < total; done += run) {
            voice.render(out.data() + done, std::min(run, total - done));
        }
        EXPECT_EQ(out, expected) << "runs of " << run;
    }
}

TEST(SoundVoice, CountOfZeroOrLessChangesNothing) {
    SoundVoice voice;
    voice.frame = snd_rope_catch;
    voice.phase = 0.3f;
    voice.seed = 99;
    voice.filter_pos = 0.2f;
    voice.filter_vel = -0.1f;
    voice.locked = true;
    for (int32_t count : {0, -1, -735}) {
        float sentinel = 7.0f;
        voice.render(&sentinel, count);
        EXPECT_EQ(sentinel, 7.0f);
        EXPECT_EQ(voice.frame, snd_rope_catch);
        EXPECT_EQ(voice.samples_left, 0);
        EXPECT_EQ(voice.phase, 0.3f);
        EXPECT_EQ(voice.seed, 99u);
        EXPECT_EQ(voice.filter_pos, 0.2f);
        EXPECT_EQ(voice.filter_vel, -0.1f);
        EXPECT_TRUE(voice.locked);
    }
}

}  // namespace
