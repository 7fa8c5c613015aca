// The opened device end to end, in process: SDL's disk driver writes what the
// callback renders, and the file must hold the voice's samples one per slot.
#include "sound/synth.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sound/programs.h"
#include "sound/sample_output.h"
#include "tests/sound/audio_driver_env.h"
#include "tests/sound/disk_audio_file.h"
#include "tests/sdl_library.h"

namespace {

constexpr int64_t device_buffer_frames = 512;

// How many samples a voice has rendered since construction, read from its
// noise generator, which steps once per sample from seed 0 (full period).
class RenderedCounter {
public:
    int64_t count_for(uint32_t seed) {
        for (int64_t guard = 0; seed_ != seed; ++guard) {
            if (guard > 10000000) return -1;
            seed_ = seed_ * 4637237u + 3763723u;
            ++count_;
        }
        return count_;
    }

private:
    uint32_t seed_ = 0;
    int64_t count_ = 0;
};

int64_t rendered_now(Synth& synth, RenderedCounter& counter) {
    SDL_LockAudio();
    const uint32_t seed = synth.voice.seed;
    SDL_UnlockAudio();
    return counter.count_for(seed);
}

// The slots a fresh voice gives when program starts after `before` samples.
std::vector<int16_t> reference_slots(int64_t before, SoundProgram program, float volume, int64_t count) {
    SoundVoice voice;
    std::vector<float> samples(static_cast<size_t>(before + count));
    voice.render(samples.data(), static_cast<int32_t>(before));
    voice.frame = program;
    voice.volume = volume;
    voice.render(samples.data() + before, static_cast<int32_t>(count));
    std::vector<int16_t> slots;
    for (float s : samples) slots.push_back(sample_to_s16(s));
    return slots;
}

TEST(SynthDisk, FileHoldsOneVoiceSamplePerSlot) {
    char dir_template[] = "/tmp/grapnel_disk_audio_XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    const std::string dir = dir_template;
    const std::string path = dir + "/out.raw";
    {
        // 20 ms between buffers leaves the test thread time to look at the
        // voice between any two callbacks.
        AudioDriverEnv env{{{"SDL_AUDIODRIVER", "disk"},
                            {"SDL_DISKAUDIOFILE", path},
                            {"SDL_DISKAUDIODELAY", "20"}}};
        ASSERT_TRUE(env.ok()) << SDL_GetError();
        Synth* synth = new Synth;
        RenderedCounter counter;
        std::vector<int64_t> seen;
        // The waits are bounded only so that a stuck device fails the test
        // instead of hanging it.
        auto run_until = [&](int64_t samples) {
            for (int wait = 0; wait < 20000; ++wait) {
                const int64_t n = rendered_now(*synth, counter);
                if (seen.empty() || seen.back() != n) seen.push_back(n);
                if (n >= samples) return true;
                SDL_Delay(1);
            }
            return false;
        };
        ASSERT_TRUE(run_until(3 * device_buffer_frames));
        const int64_t before = rendered_now(*synth, counter);
        play_sound(snd_rope_catch, 0.9f, false);
        const int64_t after = rendered_now(*synth, counter);
        const bool ran = run_until(after + 16 * device_buffer_frames);
        delete synth;
        ASSERT_TRUE(ran);

        // Each callback renders one buffer of 512 frames; with one channel
        // that is 512 voice samples (two channels would make it 1024).
        bool odd_buffer_count_seen = false;
        for (int64_t n : seen) {
            EXPECT_EQ(n % device_buffer_frames, 0) << n;
            if ((n / device_buffer_frames) % 2 == 1) odd_buffer_count_seen = true;
        }
        EXPECT_TRUE(odd_buffer_count_seen) << "every callback rendered two buffers' worth";

        std::vector<int16_t> file = read_disk_audio(path);
        ASSERT_GE(static_cast<int64_t>(file.size()), after + 16 * device_buffer_frames);
        for (int64_t k = 0; k < device_buffer_frames; ++k) ASSERT_EQ(file[k], 0) << "slot " << k;

        // The file starts with the silence SDL writes before the device is
        // unpaused (whole buffers), then holds every voice sample in order:
        // the silent voice until the request, then the program.
        int64_t first_sound = 0;
        while (first_sound < static_cast<int64_t>(file.size()) && file[first_sound] == 0) ++first_sound;
        bool matched = false;
        for (int64_t start = before; start <= after && !matched; start += device_buffer_frames) {
            for (int64_t lead = 0; lead + start <= first_sound && !matched; lead += device_buffer_frames) {
                const int64_t count = static_cast<int64_t>(file.size()) - lead - start;
                const std::vector<int16_t> want = reference_slots(start, snd_rope_catch, 0.9f, count);
                // Through SDL 2 the samples pass a float conversion that can
                // take one unit off large magnitudes.
                const int tolerance = sdl_is_compat_library() ? 1 : 0;
                matched = std::equal(want.begin(), want.end(), file.begin() + lead,
                                     [tolerance](int16_t a, int16_t b) { return std::abs(a - b) <= tolerance; });
                if (matched) {
                    RecordProperty("silent_lead_frames", static_cast<int>(lead));
                    // The program has ended and the level holds still.
                    const int64_t end = start + 7 * sound_tick_samples;
                    ASSERT_LT(end + 1, static_cast<int64_t>(want.size()));
                    for (size_t k = static_cast<size_t>(end); k < want.size(); ++k) {
                        ASSERT_EQ(want[k], want[end]) << k;
                    }
                }
            }
        }
        EXPECT_TRUE(matched) << "no start point makes the file equal the voice's samples";
    }
    std::remove(path.c_str());
    std::remove(dir.c_str());
}

}  // namespace
