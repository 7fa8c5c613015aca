// play_sound: taking and dropping requests on the current voice, and the lock.
#include "sound/synth.h"

#include <gtest/gtest.h>

#include <vector>

#include "sound/programs.h"

namespace {

struct Request {
    SoundProgram program;
    float volume;
    bool lock;
};

std::vector<Request> seen;

void record(SoundProgram program, float volume, bool lock) { seen.push_back({program, volume, lock}); }

// No audio device is open here: SDL's audio lock is then a no-op and the test
// renders the voice itself, sample-exact.
class PlaySound : public testing::Test {
protected:
    void SetUp() override {
        seen.clear();
        sound_request_observer = record;
        render(1);  // the tick has started, as it has in a running game
    }
    void TearDown() override { sound_request_observer = nullptr; }

    void render(int32_t count) {
        std::vector<float> out(static_cast<size_t>(count));
        voice.render(out.data(), count);
    }

    SoundVoice voice;
};

TEST_F(PlaySound, UnlockedProgramIsReplacedByTheNextRequest) {
    play_sound(snd_rope_fire, 1.0f, false);
    EXPECT_EQ(voice.frame, snd_rope_fire);
    play_sound(snd_rope_catch, 0.5f, false);
    EXPECT_EQ(voice.frame, snd_rope_catch);
    EXPECT_EQ(voice.volume, 0.5f);
    EXPECT_FALSE(voice.locked);
    render(100);
    play_sound(snd_bounce, 0.25f, false);
    EXPECT_EQ(voice.frame, snd_bounce);
    EXPECT_EQ(voice.volume, 0.25f);
}

TEST_F(PlaySound, LockingRequestReplacesAnUnlockedProgramAndLocks) {
    play_sound(snd_rope_fire, 1.0f, false);
    play_sound(snd_time_up, 0.75f, true);
    EXPECT_EQ(voice.frame, snd_time_up);
    EXPECT_EQ(voice.volume, 0.75f);
    EXPECT_TRUE(voice.locked);
}

TEST_F(PlaySound, RequestsDuringALockAreDroppedVolumeIncluded) {
    play_sound(snd_gem, 0.75f, true);
    play_sound(snd_bounce, 0.25f, false);
    play_sound(snd_time_up, 0.5f, true);
    EXPECT_EQ(voice.frame, snd_gem);
    EXPECT_EQ(voice.volume, 0.75f);
    EXPECT_TRUE(voice.locked);
    // Dropped requests leave nothing behind: once the lock clears, only a new
    // request changes the voice.
    render(sound_tick_samples * 22);
    EXPECT_FALSE(voice.locked);
    EXPECT_EQ(voice.frame, snd_gem + 20);
    EXPECT_EQ(voice.volume, 0.75f);
}

TEST_F(PlaySound, LockHoldsUntilEndHasBeenCurrentForOneTick) {
    // snd_gem: 20 frames before End, started one sample into a tick.
    play_sound(snd_gem, 1.0f, true);
    const int32_t rest_of_tick = sound_tick_samples - 1;
    render(rest_of_tick + 19 * sound_tick_samples);
    EXPECT_EQ(voice.frame, snd_gem + 19);
    render(1);
    EXPECT_EQ(voice.frame, snd_gem + 20);  // End is current
    play_sound(snd_bounce, 0.5f, false);
    EXPECT_EQ(voice.frame, snd_gem + 20);
    // The whole End tick: still locked at its last sample, and even at the
    // boundary itself, which is crossed only when the next sample is rendered.
    render(sound_tick_samples - 1);
    EXPECT_EQ(voice.samples_left, 0);
    play_sound(snd_bounce, 0.5f, false);
    EXPECT_EQ(voice.frame, snd_gem + 20);
    EXPECT_EQ(voice.volume, 1.0f);
    render(1);
    EXPECT_FALSE(voice.locked);
    play_sound(snd_bounce, 0.5f, false);
    EXPECT_EQ(voice.frame, snd_bounce);
    EXPECT_EQ(voice.volume, 0.5f);
}

TEST_F(PlaySound, ObserverSeesEveryRequestTakenOrDropped) {
    play_sound(snd_gem, 1.0f, true);
    play_sound(snd_bounce, 0.25f, false);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].program, snd_gem);
    EXPECT_TRUE(seen[0].lock);
    EXPECT_EQ(seen[1].program, snd_bounce);
    EXPECT_EQ(seen[1].volume, 0.25f);
    EXPECT_FALSE(seen[1].lock);
}

TEST(PlaySoundWithoutVoice, IsIgnoredButStillObserved) {
    { SoundVoice gone; }
    ASSERT_EQ(current_voice, nullptr);
    seen.clear();
    sound_request_observer = record;
    play_sound(snd_gem, 1.0f, true);
    sound_request_observer = nullptr;
    EXPECT_EQ(seen.size(), 1u);
}

}  // namespace
