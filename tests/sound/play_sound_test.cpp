// play_sound: taking and dropping requests on the current voice, and the lock.
#include "sound/synth.h"

#include <gtest/gtest.h>

#include <vector>

#include "sound/programs.h"

namespace {

// No audio device is open here: SDL's audio lock is then a no-op and the test
// renders the voice itself, sample-exact.
class PlaySound : public testing::Test {
protected:
    void SetUp() override { render(1); }  // the tick has started, as in a running game

    void render(int32_t count) {
        std::vector<float> out(static_cast<size_t>(count));
        voice.render(out.data(), count);
    }
    void expect_voice(SoundProgram frame, float volume) {
        EXPECT_EQ(voice.frame, frame);
        EXPECT_EQ(voice.volume, volume);
    }

    SoundVoice voice;
};

TEST_F(PlaySound, UnlockedProgramIsReplacedByTheNextRequest) {
    play_sound(snd_rope_fire, 1.0f, false);
    expect_voice(snd_rope_fire, 1.0f);
    play_sound(snd_rope_catch, 0.5f, false);
    expect_voice(snd_rope_catch, 0.5f);
    EXPECT_FALSE(voice.locked);
    render(100);
    play_sound(snd_time_up, 0.75f, true);
    expect_voice(snd_time_up, 0.75f);
    EXPECT_TRUE(voice.locked);
}

TEST_F(PlaySound, LockHoldsUntilEndHasBeenCurrentForOneTick) {
    // snd_gem: 20 frames before End, started one sample into a tick. Requests
    // during the lock, locking or not, are dropped with their volume.
    play_sound(snd_gem, 1.0f, true);
    play_sound(snd_bounce, 0.25f, false);
    play_sound(snd_time_up, 0.5f, true);
    expect_voice(snd_gem, 1.0f);
    render(sound_tick_samples - 1 + 19 * sound_tick_samples);
    EXPECT_EQ(voice.frame, snd_gem + 19);
    render(1);
    play_sound(snd_bounce, 0.5f, false);
    expect_voice(snd_gem + 20, 1.0f);  // End is current, still locked
    // The whole End tick: still locked at its last sample, and even at the
    // boundary itself, which is crossed only when the next sample is rendered.
    render(sound_tick_samples - 1);
    EXPECT_EQ(voice.samples_left, 0);
    play_sound(snd_bounce, 0.5f, false);
    expect_voice(snd_gem + 20, 1.0f);
    render(1);
    EXPECT_FALSE(voice.locked);
    play_sound(snd_bounce, 0.5f, false);
    expect_voice(snd_bounce, 0.5f);
}

// The observer sees requests taken, dropped, and made with no voice at all.
TEST(PlaySoundObserver, SeesEveryRequestEvenWithoutAVoice) {
    static std::vector<SoundProgram> seen;
    seen.clear();
    sound_request_observer = [](SoundProgram program, float, bool) { seen.push_back(program); };
    {
        SoundVoice voice;
        play_sound(snd_gem, 1.0f, true);
        play_sound(snd_bounce, 0.25f, false);
    }
    ASSERT_EQ(current_voice, nullptr);
    play_sound(snd_time_up, 1.0f, true);
    sound_request_observer = nullptr;
    EXPECT_EQ(seen, (std::vector<SoundProgram>{snd_gem, snd_bounce, snd_time_up}));
}

}  // namespace
