// The real game with no usable audio device: it names the problem and stops.
#include <gtest/gtest.h>

#include <string>

#include "game_process.h"

namespace {

constexpr double exit_timeout = 30.0;  // seconds; start-up opens the window first

TEST(AudioNoDevice, GamePrintsTheAudioMessageAndExits1) {
    // ALSA naming a device that does not exist leaves SDL no device to open,
    // with either SDL 1.2 library.
    GameProcess game({"--windowed"}, {"SDL_AUDIODRIVER=alsa", "AUDIODEV=grapnel-no-such-device"});
    ASSERT_TRUE(game.started());
    EXPECT_EQ(game.wait_exit(exit_timeout), 1);
    const std::string err = game.err();
    const std::string message = "Couldn't open audio: ";
    const size_t at = err.find(message);
    ASSERT_NE(at, std::string::npos) << "stderr: " << err;
    // One line with SDL's reason after the prefix, and nothing after it: the
    // process ended right there.
    const size_t line_end = err.find('\n', at);
    ASSERT_NE(line_end, std::string::npos) << "stderr: " << err;
    EXPECT_GT(line_end, at + message.size()) << "no reason given";
    EXPECT_EQ(line_end + 1, err.size()) << "stderr: " << err;
    EXPECT_EQ(game.out(), "");
}

}  // namespace
