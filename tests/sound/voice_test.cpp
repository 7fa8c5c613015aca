// The synthesizer voice: the worked examples of its oscillators, and every program pinned by a hash.
#include "sound/voice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "sound/programs.h"

namespace {

constexpr float eighth = 0.125f;  // phase step: eight samples per oscillator cycle

std::vector<float> render(SoundVoice& voice, int32_t count, int32_t run = 1 << 30) {
    std::vector<float> out(static_cast<size_t>(count), 12345.0f);
    for (int32_t done = 0; done < count; done += run) voice.render(out.data() + done, std::min(run, count - done));
    return out;
}

// With filter 1 the output is the oscillator one sample late, so each case reads the oscillator's
// cycle (phases 0, 1/8, ... 7/8, the phase wrapping on reaching 1) directly.
TEST(SoundVoice, OscillatorCycles) {
    // clang-format off
    const struct { uint32_t wave; float shape, amplitude, volume; float cycle[8]; } cases[] = {
        {Pulse, 0.5f, 1, 1, {1, 1, 1, 1, -1, -1, -1, -1}},
        {Pulse, 0.25f, 1, 1, {1, 1, -1, -1, -1, -1, -1, -1}},
        {Triangle, 0.5f, 1, 1, {-1, -0.5f, 0, 0.5f, 1, 0.5f, 0, -0.5f}},
        {Triangle, 0.0f, 1, 1, {1, 0.75f, 0.5f, 0.25f, 0, -0.25f, -0.5f, -0.75f}},
        {Triangle, 1.0f, 1, 1, {-1, -0.75f, -0.5f, -0.25f, 0, 0.25f, 0.5f, 0.75f}},
        {7, 0.5f, 1, 1, {0, 0, 0, 0, 0, 0, 0, 0}},  // an unknown wave is silent
        {Pulse, 0.5f, 0.5f, 0.25f, {0.125f, 0.125f, 0.125f, 0.125f, -0.125f, -0.125f, -0.125f, -0.125f}},
    };
    // clang-format on
    for (const auto& c : cases) {
        const SoundFrame program[] = {{c.wave, eighth, c.amplitude, c.shape, 0, 1}, {End, 0, 0, 0, 0, 0}};
        SoundVoice voice;
        voice.frame = program;
        voice.samples_left = sound_tick_samples;  // mid-tick: no boundary is crossed
        voice.volume = c.volume;
        const std::vector<float> out = render(voice, 17);
        EXPECT_EQ(out[0], 0.0f);
        for (size_t i = 1; i < out.size(); ++i) {
            ASSERT_EQ(out[i], c.cycle[(i - 1) % 8]) << "wave " << c.wave << " shape " << c.shape << " sample " << i;
        }
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
// length; the lock is gone at the end. The hashes were taken from the voice
// once its worked examples held; any change to the voice (noise, filter,
// tick timing) or a program changes them.
TEST(SoundVoice, EveryProgramRendersItsRecordedSound) {
    // clang-format off
    const struct { SoundProgram program; int frames; uint64_t hash; } cases[] = {
        {snd_silence, 0, 0x159a9f626c430fcbull},       {snd_rope_fire, 13, 0xce6386aa6f2fce70ull},
        {snd_bounce, 6, 0x33b30879b08034faull},        {snd_level_start, 121, 0x5a967cce0f298facull},
        {snd_gem, 20, 0x0e8cb70af60ea2e5ull},          {snd_time_up, 141, 0x08268ec868862115ull},
        {snd_rope_catch, 7, 0xdb18f6568ae6ffd6ull},
    };
    // clang-format on
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
    // Installed exactly at a tick's boundary, a program leaves its first
    // frame at once; a count of zero or less writes and changes nothing.
    SoundVoice fresh;
    fresh.frame = snd_bounce;
    render(fresh, 1);
    EXPECT_EQ(fresh.frame, snd_bounce + 1);
    for (int32_t count : {0, -1, -735}) {
        float sentinel = 7.0f;
        fresh.render(&sentinel, count);
        EXPECT_EQ(sentinel, 7.0f);
        EXPECT_EQ(fresh.samples_left, sound_tick_samples - 1);
    }
}

}  // namespace
