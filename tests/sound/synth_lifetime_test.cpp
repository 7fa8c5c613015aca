// Making and releasing the sound owner while its callback runs flat out: under
// AddressSanitizer a callback still running on a freed Synth is a reported error.
#include "sound/synth.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "sound/programs.h"
#include "tests/sound/audio_driver_env.h"

namespace {

TEST(SynthLifetime, RepeatedStartAndShutdownWhileTheCallbackRenders) {
    // The disk driver with no delay calls the callback back to back, so one is
    // nearly always running when the Synth is deleted. Its output goes to a
    // real file: SDL 2's disk driver (under the compatibility library) refuses
    // /dev/null. Each open starts the file afresh, so it stays small.
    char dir_template[] = "/tmp/grapnel_lifetime_XXXXXX";
    ASSERT_NE(mkdtemp(dir_template), nullptr);
    const std::string dir = dir_template;
    const std::string path = dir + "/out.raw";
    AudioDriverEnv env{{{"SDL_AUDIODRIVER", "disk"},
                        {"SDL_DISKAUDIOFILE", path},
                        {"SDL_DISKAUDIODELAY", "0"}}};
    ASSERT_TRUE(env.ok()) << SDL_GetError();
    const SoundProgram programs[] = {snd_rope_fire, snd_bounce, snd_gem, snd_rope_catch};
    for (int round = 0; round < 40; ++round) {
        Synth* synth = new Synth;
        // Wait for the device to render: the noise generator moves on every
        // sample. (The bound only keeps a broken device from hanging the test.)
        bool rendered = false;
        for (int wait = 0; wait < 100000 && !rendered; ++wait) {
            SDL_LockAudio();
            rendered = synth->voice.seed != 0;
            SDL_UnlockAudio();
            if (!rendered) SDL_Delay(0);
        }
        EXPECT_TRUE(rendered) << "round " << round;
        for (int i = 0; i < 20; ++i) play_sound(programs[(round + i) % 4], 1.0f, i % 3 == 0);
        delete synth;
        EXPECT_EQ(current_voice, nullptr);
        play_sound(snd_gem, 1.0f, false);  // no voice: ignored
    }
    std::remove(path.c_str());
    std::remove(dir.c_str());
}

}  // namespace
