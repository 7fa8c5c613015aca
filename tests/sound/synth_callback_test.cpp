// audio_callback on a real opened device (SDL's dummy driver), called directly
// under the audio lock and compared with a voice rendered alongside.
#include "sound/synth.h"

#include <gtest/gtest.h>

#include <vector>

#include "sound/programs.h"
#include "sound/sample_output.h"
#include "tests/sound/audio_driver_env.h"

namespace {

std::vector<int16_t> expected_slots(SoundVoice& voice, int32_t count) {
    std::vector<float> samples(static_cast<size_t>(count));
    voice.render(samples.data(), count);
    std::vector<int16_t> slots;
    for (float s : samples) slots.push_back(sample_to_s16(s));
    return slots;
}

int16_t slot(const std::vector<uint8_t>& stream, size_t k) {
    return static_cast<int16_t>(stream[2 * k] | (stream[2 * k + 1] << 8));
}

class SynthCallback : public testing::Test {
protected:
    AudioDriverEnv env{{{"SDL_AUDIODRIVER", "dummy"}}};
};

TEST_F(SynthCallback, FillsEverySlotWithTheNextVoiceSample) {
    ASSERT_TRUE(env.ok()) << SDL_GetError();
    Synth synth;
    EXPECT_EQ(current_voice, &synth.voice);
    // Hold the audio lock so the device's own callbacks wait: then this
    // thread is the only one rendering, as the audio thread would be.
    SDL_LockAudio();
    synth.voice.frame = snd_rope_catch;
    synth.voice.volume = 0.8f;
    SoundVoice reference = synth.voice;
    for (int len : {1024, 600, 601, 2}) {
        SCOPED_TRACE(len);
        std::vector<uint8_t> stream(static_cast<size_t>(len) + 4, 0xab);
        audio_callback(&synth, stream.data(), len);
        const std::vector<int16_t> want = expected_slots(reference, len / 2);
        for (size_t k = 0; k < want.size(); ++k) ASSERT_EQ(slot(stream, k), want[k]) << "slot " << k;
        for (size_t b = want.size() * 2; b < stream.size(); ++b) ASSERT_EQ(stream[b], 0xab) << "byte " << b;
    }
    EXPECT_EQ(synth.voice.seed, reference.seed);
    EXPECT_EQ(synth.voice.frame, reference.frame);
    SDL_UnlockAudio();
}

TEST_F(SynthCallback, LoudVoiceSaturatesInsteadOfWrapping) {
    ASSERT_TRUE(env.ok()) << SDL_GetError();
    Synth synth;
    // A full-scale pulse through filter 1 at volume 1.5: the voice puts out
    // exactly +1.5 and -1.5.
    static const SoundFrame loud[] = {{Pulse, 0.125f, 1.0f, 0.5f, 0.0f, 1.0f}, {End, 0, 0, 0, 0, 0}};
    SDL_LockAudio();
    synth.voice.frame = loud;
    synth.voice.samples_left = sound_tick_samples;
    synth.voice.volume = 1.5f;
    synth.voice.filter_pos = 0.0f;
    synth.voice.filter_vel = 0.0f;
    synth.voice.phase = 0.0f;
    std::vector<uint8_t> stream(34);
    audio_callback(&synth, stream.data(), 34);
    SDL_UnlockAudio();
    const int16_t want[] = {0, 32767, 32767, 32767, 32767, -32768, -32768, -32768, -32768,
                            32767, 32767, 32767, 32767, -32768, -32768, -32768, -32768};
    for (size_t k = 0; k < 17; ++k) EXPECT_EQ(slot(stream, k), want[k]) << "slot " << k;
}

}  // namespace
