// The synthesizer voice: the worked examples of its oscillators, noise, filter,
// phase and tick timing, and every program's rendered sound pinned by a hash.
#include "sound/voice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "sound/programs.h"

namespace {

constexpr float eighth = 0.125f;  // phase step: eight samples per oscillator cycle
const SoundFrame end_frame{End, 0, 0, 0, 0, 0};

std::vector<float> render(SoundVoice& voice, int32_t count, int32_t run = 1 << 30) {
    std::vector<float> out(static_cast<size_t>(count), 12345.0f);
    for (int32_t done = 0; done < count; done += run) voice.render(out.data() + done, std::min(run, count - done));
    return out;
}

// With filter 1 the output is the oscillator one sample late, so each case
// reads the oscillator's cycle s (phases 0, 1/8, ... 7/8) directly.
TEST(SoundVoice, OscillatorCycles) {
    const struct {
        uint32_t wave;
        float shape, amplitude, volume;
        float cycle[8];
    } cases[] = {
        {Pulse, 0.5f, 1, 1, {1, 1, 1, 1, -1, -1, -1, -1}},
        {Pulse, 0.25f, 1, 1, {1, 1, -1, -1, -1, -1, -1, -1}},
        {Triangle, 0.5f, 1, 1, {-1, -0.5f, 0, 0.5f, 1, 0.5f, 0, -0.5f}},
        {Triangle, 0.0f, 1, 1, {1, 0.75f, 0.5f, 0.25f, 0, -0.25f, -0.5f, -0.75f}},
        {Triangle, 1.0f, 1, 1, {-1, -0.75f, -0.5f, -0.25f, 0, 0.25f, 0.5f, 0.75f}},
        {7, 0.5f, 1, 1, {0, 0, 0, 0, 0, 0, 0, 0}},  // an unknown wave is silent
        {Pulse, 0.5f, 0.5f, 0.25f, {0.125f, 0.125f, 0.125f, 0.125f, -0.125f, -0.125f, -0.125f, -0.125f}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "wave " << c.wave << " shape " << c.shape);
        const SoundFrame program[] = {{c.wave, eighth, c.amplitude, c.shape, 0, 1}, end_frame};
        SoundVoice voice;
        voice.frame = program;
        voice.samples_left = sound_tick_samples;  // mid-tick: no boundary is crossed
        voice.volume = c.volume;
        const std::vector<float> out = render(voice, 17);
        EXPECT_EQ(out[0], 0.0f);
        for (size_t i = 1; i < out.size(); ++i) ASSERT_EQ(out[i], c.cycle[(i - 1) % 8]) << "sample " << i;
    }
}

TEST(SoundVoice, NoiseFilterAndPhaseSteps) {
    // Noise alone through filter 1: the output is r one sample late.
    const SoundFrame noise[] = {{Pulse, 0, 0, 0.5f, 1, 1}, end_frame};
    SoundVoice voice;
    voice.seed = 0;
    voice.frame = noise;
    voice.samples_left = sound_tick_samples;
    const uint32_t seeds[] = {3763723u, 2827193426u, 4063731461u, 3348964372u};
    const float r[] = {-0.99824738f, 0.31651449f, 0.89232242f};
    for (int i = 0; i < 4; ++i) {
        const float out = render(voice, 1)[0];
        EXPECT_EQ(voice.seed, seeds[i]) << "draw " << i;
        if (i > 0) {
            EXPECT_EQ(out, r[i - 1]) << "draw " << i;
        }
    }
    // Filter 0 freezes the output, whatever oscillator and noise do.
    const SoundFrame frozen[] = {{Triangle, 0.3f, 1, 0.2f, 1, 0}, end_frame};
    voice.frame = frozen;
    voice.volume = 0.5f;
    const float held = voice.filter_pos * 0.5f;
    for (float sample : render(voice, 2 * sound_tick_samples)) ASSERT_EQ(sample, held);
    // The phase wraps once on reaching 1.
    const struct { float start, step, after; } phases[] = {
        {0.5f, 0.75f, 0.25f}, {0.5f, 0.5f, 0.0f}, {0.875f, 0.125f, 0.0f}, {0.25f, 0.5f, 0.75f}};
    for (const auto& p : phases) {
        const SoundFrame step[] = {{Triangle, p.step, 1, 0.5f, 0, 0.5f}, end_frame};
        voice.frame = step;
        voice.phase = p.start;
        render(voice, 1);
        EXPECT_EQ(voice.phase, p.after) << p.start << " + " << p.step;
    }
}

TEST(SoundVoice, TicksMoveThroughTheProgramAndReleaseTheLock) {
    const SoundFrame two[] = {{Pulse, eighth, 0.5f, 0.5f, 0, 0.5f}, {Triangle, eighth, 0.5f, 0.5f, 0, 0.5f}, end_frame};
    SoundVoice voice;
    render(voice, 1);
    voice.frame = two;
    voice.locked = true;
    // The first frame sounds for the rest of the tick (734 samples), the
    // second for a whole tick; the lock clears at the boundary after End's tick.
    for (int i = 0; i < 2300; ++i) {
        render(voice, 1);
        ASSERT_EQ(voice.frame - two, i < 734 ? 0 : i < 1469 ? 1 : 2) << i;
        ASSERT_EQ(voice.locked, i < 2204) << i;
    }
    // Installed exactly at a boundary, a program leaves its first frame at once.
    SoundVoice fresh;
    fresh.frame = snd_bounce;
    render(fresh, 1);
    EXPECT_EQ(fresh.frame, snd_bounce + 1);
    EXPECT_EQ(fresh.samples_left, sound_tick_samples - 1);
    // A count of zero or less writes and changes nothing.
    for (int32_t count : {0, -1, -735}) {
        float sentinel = 7.0f;
        fresh.render(&sentinel, count);
        EXPECT_EQ(sentinel, 7.0f);
        EXPECT_EQ(fresh.samples_left, sound_tick_samples - 1);
    }
}

uint64_t hash_of(const std::vector<float>& samples) {
    uint64_t h = 1469598103934665603ull;  // FNV-1a over the samples' bits
    for (float s : samples) {
        uint32_t bits;
        std::memcpy(&bits, &s, sizeof bits);
        h = (h ^ bits) * 1099511628211ull;
    }
    return h;
}

// Each program as the game plays it: started one sample into a tick on a
// fresh voice, through its End frame and one tick more, in runs of any
// length. The hashes were taken from the voice once its worked examples above
// held; any change to the voice or a program changes them.
TEST(SoundVoice, EveryProgramRendersItsRecordedSound) {
    const struct {
        SoundProgram program;
        int frames;
        uint64_t hash;
    } cases[] = {
        {snd_silence, 0, 0x159a9f626c430fcbull},       {snd_rope_fire, 13, 0xce6386aa6f2fce70ull},
        {snd_bounce, 6, 0x33b30879b08034faull},        {snd_level_start, 121, 0x5a967cce0f298facull},
        {snd_gem, 20, 0x0e8cb70af60ea2e5ull},          {snd_time_up, 141, 0x08268ec868862115ull},
        {snd_rope_catch, 7, 0xdb18f6568ae6ffd6ull},
    };
    for (const auto& c : cases) {
        for (int32_t run : {1, 7, 256, 735, 1000}) {
            SoundVoice voice;
            render(voice, 1);
            voice.frame = c.program;
            voice.locked = true;
            const std::vector<float> out = render(voice, (c.frames + 2) * sound_tick_samples, run);
            EXPECT_EQ(hash_of(out), c.hash) << "program of " << c.frames << " frames, runs of " << run
                                            << ": 0x" << std::hex << hash_of(out);
            EXPECT_FALSE(voice.locked);
            EXPECT_EQ(voice.frame, c.program + c.frames);
        }
    }
}

}  // namespace
