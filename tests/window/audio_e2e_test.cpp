// The real game's sound end to end: run under Xvfb with SDL's disk audio
// driver, its output file must hold the start-up effect, sample for sample,
// one channel at 44100 Hz, until the title's body lands, and a voice that
// holds still once the body has settled.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game_process.h"
#include "sound/programs.h"
#include "sound/sample_output.h"
#include "sound/voice.h"
#include "tests/sound/disk_audio_file.h"
#include "tests/sdl_library.h"

namespace {

constexpr double start_timeout = 30.0;  // seconds; Mesa's first context is slow under load
constexpr double exit_timeout = 30.0;   // seconds
constexpr useconds_t play_time_us = 4000000;  // how long the game is left running: the body settles first
constexpr int64_t rate_hz = 44100;
constexpr int64_t device_buffer_frames = 512;
constexpr int64_t leading_silence_frames = 512;  // SDL's silent buffer before the device runs
constexpr int64_t level_start_frames = 121;      // frames of snd_level_start before End
// Frames of snd_level_start heard whole: the title's body drops onto the
// ledge under its start about 1.5 s (90 frames) in, and its bounce takes the
// voice over.
constexpr int64_t heard_frames = 80;

// What the game's voice puts out when snd_level_start is requested after it
// has rendered `before` silent samples: `count` slots from the request on.
std::vector<int16_t> level_start_slots(int64_t before, int64_t count) {
    SoundVoice voice;
    std::vector<float> samples(static_cast<size_t>(before > count ? before : count));
    voice.render(samples.data(), static_cast<int32_t>(before));
    voice.frame = snd_level_start;
    voice.volume = 1.0f;
    voice.render(samples.data(), static_cast<int32_t>(count));
    std::vector<int16_t> slots;
    for (int64_t k = 0; k < count; ++k) slots.push_back(sample_to_s16(samples[static_cast<size_t>(k)]));
    return slots;
}

class TempDir {
public:
    TempDir() {
        char name[] = "/tmp/grapnel-audio-XXXXXX";
        if (mkdtemp(name) != nullptr) path_ = name;
    }
    ~TempDir() {
        if (!path_.empty()) {
            std::remove((path_ + "/sound.raw").c_str());
            std::remove(path_.c_str());
        }
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

TEST(AudioEndToEnd, TitleStartPlaysLevelStartThenHoldsStill) {
    TempDir dir;
    ASSERT_FALSE(dir.path().empty());
    const std::string file = dir.path() + "/sound.raw";
    // A delay of 11 ms per 512-frame buffer keeps the disk driver near real time.
    const double started = monotonic_seconds();
    GameProcess game({"--windowed"}, {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + file,
                                      "SDL_DISKAUDIODELAY=11"});
    ASSERT_TRUE(game.started());
    const auto window = wait_for_window(640, 480, start_timeout, &game);
    ASSERT_TRUE(window) << "no window; stderr: " << game.err();
    usleep(play_time_us);
    ASSERT_TRUE(press_key_in(*window, "Escape"));
    ASSERT_EQ(game.wait_exit(exit_timeout), 0) << game.err();
    const double elapsed = monotonic_seconds() - started;

    std::vector<int16_t> slots = read_disk_audio(file);
    const int64_t total = static_cast<int64_t>(slots.size());
    // One channel at 44100 Hz: the device ran for less than the process did,
    // so the file cannot hold more than 44100 slots per second of it (a
    // two-channel device would write twice that), with room for the
    // driver's pacing being a little fast.
    EXPECT_LE(total, static_cast<int64_t>(1.2 * rate_hz * elapsed) + 4 * device_buffer_frames)
        << total << " slots in " << elapsed << " s";
    const int64_t needed = leading_silence_frames + (level_start_frames + 20) * sound_tick_samples;
    ASSERT_GE(total, needed) << "the game ran " << elapsed << " s but left only " << total << " slots";

    int64_t first_sound = 0;
    while (first_sound < total && slots[first_sound] == 0) ++first_sound;
    ASSERT_LT(first_sound, total) << "the file is silent: snd_level_start never started";
    // The effect is requested in the first frame of the game: within the
    // first tenth of a second after the leading silence.
    EXPECT_LT(first_sound - leading_silence_frames, rate_hz / 10);

    // Sample for sample: SDL's own silence while the device was still paused
    // (whole buffers, usually one), then the voice: whole 512-frame buffers
    // of silence, then snd_level_start from the request on, until the body lands.
    const int64_t span = heard_frames * sound_tick_samples;
    ASSERT_LE(first_sound + span, total);
    int64_t onset = -1;
    for (int64_t lead = 0; lead <= first_sound && onset < 0; lead += device_buffer_frames) {
        for (int64_t start = 0; lead + start <= first_sound && onset < 0; start += device_buffer_frames) {
            const std::vector<int16_t> want = level_start_slots(start, span);
            const int64_t at = lead + start;
            // Through SDL 2 a float conversion can take one unit off large magnitudes.
            const int tolerance = sdl_is_compat_library() ? 1 : 0;
            if (std::equal(want.begin(), want.end(), slots.begin() + at,
                           [tolerance](int16_t a, int16_t b) { return std::abs(a - b) <= tolerance; })) {
                onset = at;
            }
        }
    }
    ASSERT_GE(onset, 0) << "no onset makes the file equal snd_level_start; first sound at slot "
                        << first_sound;

    // About two seconds of sound whose energy lies in the low frequencies
    // (the 27.5 Hz triangle and filtered noise): sample-to-sample differences
    // carry little of it (white noise would give twice the signal's energy).
    const int64_t sound_end = onset + span;
    double energy = 0.0, difference_energy = 0.0;
    for (int64_t k = onset + 1; k < sound_end; ++k) {
        energy += static_cast<double>(slots[k]) * slots[k];
        const double d = static_cast<double>(slots[k]) - slots[k - 1];
        difference_energy += d * d;
    }
    EXPECT_GT(energy / static_cast<double>(sound_end - onset), 100.0 * 100.0) << "too quiet";
    EXPECT_LT(difference_energy, 0.05 * energy);

    // Then the body settles on its ledge and the voice holds still: the last
    // fifth of a second does not move.
    const int64_t settled = total - rate_hz / 5;
    for (int64_t k = settled; k < total; ++k) ASSERT_EQ(slots[k], slots[settled]) << "slot " << k;
}

}  // namespace
