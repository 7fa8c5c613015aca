// The sound output: 16-bit conversion, the callback's runs, play_sound and its
// lock, and the opened device end to end through SDL's disk audio driver.
#include "sound/synth.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sound/programs.h"
#include "sound/sample_output.h"
#include "tests/sdl_library.h"

namespace {

// Truncation toward zero inside the range, saturation beyond it.
TEST(SampleOutput, ConversionTruncatesAndSaturates) {
    const float inf = HUGE_VALF;
    // clang-format off
    const struct { float sample; int16_t slot; } cases[] = {
        {1.0f, 32767},      {-1.0f, -32767},   {0.99999f, 32766}, {-0.5f, -16383},  {0.5f, 16383},
        {0.0f, 0},          {0.00002f, 0},     {-0.00004f, -1},   {1.00001f, 32767}, {1e30f, 32767},
        {inf, 32767},       {-1.00001f, -32767},  // -32767.3 still fits: truncated, not saturated
        {-1.00004f, -32768}, {-1.5f, -32768},  {-inf, -32768},    {std::nanf(""), 0},
    };
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(sample_to_s16(c.sample), c.slot) << c.sample;
}

// Fills len bytes (and guard bytes beyond) from a renderer that gives slot k the value 37k - 9000,
// and checks the runs asked for and every byte: an odd last byte is left alone, nothing past a run.
TEST(SampleOutput, StreamIsFilledInRunsOfAtMost256LittleEndian) {
    const struct {
        int len;
        std::vector<int32_t> runs;
    } cases[] = {
        {1024, {256, 256}}, {601, {256, 44}}, {2, {1}}, {1, {}}, {-4, {}}, {1538, {256, 256, 256, 1}}};
    for (const auto& c : cases) {
        std::vector<uint8_t> stream(static_cast<size_t>(std::max(c.len, 0)) + 8, 0xab);
        float run[mix_run_samples + 1];
        run[mix_run_samples] = 42.0f;
        std::vector<int32_t> runs;
        int32_t next = 0;
        fill_s16_stream(stream.data(), c.len, run, [&](float* out, int32_t n) {
            runs.push_back(n);
            for (int32_t i = 0; i < n; ++i, ++next) out[i] = (37.0f * next - 9000.0f + std::copysign(0.5f, 37.0f * next - 9000.0f)) / 32767.0f;
        });
        EXPECT_EQ(runs, c.runs) << c.len;
        EXPECT_EQ(run[mix_run_samples], 42.0f);
        for (size_t b = 0; b < stream.size(); ++b) {
            ASSERT_TRUE(b < 2 * (stream.size() / 2 - 4) ? static_cast<int16_t>(stream[b & ~size_t(1)] | stream[b | 1] << 8) ==
                                                              37 * static_cast<int>(b / 2) - 9000
                                                        : stream[b] == 0xab)
                << "length " << c.len << ", byte " << b;
        }
    }
}

// No device is open here: SDL's audio lock is then a no-op, and the test renders the voice itself.
TEST(PlaySound, UnlockedIsReplacedLockedHoldsUntilEndHasBeenCurrentForATick) {
    {
        SoundVoice voice;
        std::vector<float> out(21 * sound_tick_samples);
        const auto expect_voice = [&voice](SoundProgram frame, float volume, bool locked) {
            EXPECT_TRUE(voice.frame == frame && voice.volume == volume && voice.locked == locked)
                << voice.frame - frame << " " << voice.volume << " " << voice.locked;
        };
        voice.render(out.data(), 1);  // the tick has started, as in a running game
        play_sound(snd_rope_fire, 1.0f, false);
        play_sound(snd_rope_catch, 0.5f, false);
        expect_voice(snd_rope_catch, 0.5f, false);
        voice.render(out.data(), 100);
        // A locking request replaces an unlocked program; while locked, any request is dropped with its volume.
        play_sound(snd_gem, 0.75f, true);
        play_sound(snd_bounce, 0.25f, false);
        play_sound(snd_time_up, 0.5f, true);
        expect_voice(snd_gem, 0.75f, true);
        // snd_gem: 20 frames; End is current after the rest of the tick and 19 more, locked through its tick.
        voice.render(out.data(), sound_tick_samples - 101 + 20 * sound_tick_samples);
        play_sound(snd_bounce, 0.5f, false);
        expect_voice(snd_gem + 20, 0.75f, true);
        voice.render(out.data(), 1);
        play_sound(snd_bounce, 0.5f, false);
        expect_voice(snd_bounce, 0.5f, false);
    }
    EXPECT_EQ(current_voice, nullptr);
    play_sound(snd_gem, 1.0f, true);  // with no voice nothing happens
}

// How many samples the voice has rendered, read from its noise generator (one
// step a sample from seed 0). The test renders some 10^4; the bound (minutes
// of sound) keeps a voice that did not start from seed 0 from hanging it.
int64_t rendered(Synth& synth) {
    SDL_LockAudio();
    const uint32_t seed = synth.voice.seed;
    SDL_UnlockAudio();
    int64_t count = 0;
    for (uint32_t s = 0; s != seed && count < 10000000; ++count) s = s * 4637237u + 3763723u;
    return count;
}

// The real callback on SDL's audio thread through the disk driver, 20 ms a buffer: the file holds SDL's
// silence while the device starts (whole buffers of 512), then every voice sample in order, one per
// 16-bit slot, a request taking effect at a buffer boundary. Then, at full speed, the sound owner made
// and released while its callback runs (a sanitizer catches a callback still running on a freed Synth).
TEST(DiskAudio, FileHoldsEveryVoiceSampleOnePerSlotAndShutdownWaitsForTheCallback) {
    char dir[] = "/tmp/grapnel-disk-audio-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/out.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", path.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "20", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    Synth* synth = new Synth;
    bool odd_buffer_count_seen = false;
    const auto run_until = [&](int64_t samples) {  // the bound only keeps a stuck device from hanging the test
        for (int wait = 0; wait < 20000; ++wait, SDL_Delay(1)) {
            const int64_t n = rendered(*synth);
            // One channel: each callback renders 512 samples (two would make 1024).
            EXPECT_EQ(n % 512, 0) << n;
            odd_buffer_count_seen = odd_buffer_count_seen || n % 1024 == 512;
            if (n >= samples || n % 512 != 0) return n >= samples;  // a count off the buffers ends the wait
        }
        return false;
    };
    const bool started = run_until(3 * 512);
    const int64_t before = rendered(*synth);
    play_sound(snd_rope_catch, 0.9f, false);
    const int64_t after = rendered(*synth);
    const bool ran = started && run_until(after + 16 * 512);
    delete synth;  // closes the device and its file
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    setenv("SDL_DISKAUDIODELAY", "0", 1);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    for (int round = 0; round < 40; ++round) {
        synth = new Synth;
        for (int wait = 0; wait < 100000 && rendered(*synth) == 0; ++wait) SDL_Delay(0);
        for (int i = 0; i < 20; ++i) play_sound(i % 2 ? snd_gem : snd_rope_fire, 1.0f, i % 3 == 0);
        delete synth;
        EXPECT_EQ(current_voice, nullptr);
    }
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    unlink(path.c_str());
    rmdir(dir);
    setenv("SDL_AUDIODRIVER", "dummy", 1);

    ASSERT_TRUE(ran);
    EXPECT_TRUE(odd_buffer_count_seen);
    // The compatibility library opens its device in stereo and copies each slot to both channels: there
    // every other slot is kept. Through SDL 2 a float conversion can take one unit off large magnitudes.
    const size_t stride = sdl_is_compat_library() ? 2 : 1;
    const int tolerance = sdl_is_compat_library() ? 1 : 0;
    std::vector<int16_t> file;
    for (size_t k = 0; 2 * k + 1 < bytes.size(); k += stride) {
        file.push_back(static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * k]) | static_cast<uint8_t>(bytes[2 * k + 1]) << 8));
    }
    ASSERT_GE(static_cast<int64_t>(file.size()), after + 16 * 512);
    int64_t first_sound = 0;
    while (first_sound < static_cast<int64_t>(file.size()) && file[first_sound] == 0) ++first_sound;
    bool matched = false;
    for (int64_t start = before; start <= after && !matched; start += 512) {
        for (int64_t lead = 0; lead + start <= first_sound && !matched; lead += 512) {
            SoundVoice voice;
            std::vector<float> samples(file.size() - lead);
            voice.render(samples.data(), static_cast<int32_t>(start));
            voice.frame = snd_rope_catch;
            voice.volume = 0.9f;
            voice.render(samples.data() + start, static_cast<int32_t>(samples.size() - start));
            matched = std::equal(samples.begin(), samples.end(), file.begin() + lead,
                                 [tolerance](float s, int16_t slot) { return std::abs(sample_to_s16(s) - slot) <= tolerance; });
        }
    }
    EXPECT_TRUE(matched) << "no start makes the file equal the voice's samples; first sound at " << first_sound;
}

}  // namespace
