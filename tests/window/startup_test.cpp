// The real game under Xvfb: its window at the size the options give, its ways
// out, its start-up failures, and a joystick read from a FIFO of joydev records.
#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <regex>
#include <string>
#include <vector>

#include "app/events.h"
#include "game_process.h"
#include "tests/sdl_library.h"

namespace {

constexpr double timeout = 60.0;  // seconds; Mesa's first context is slow under load

// A joystick that SDL reads from a FIFO named by SDL_JOYSTICK_DEVICE. The
// test holds the FIFO open both ways, so SDL's open never waits for a writer.
struct FifoJoystick {
    std::string dir, path;
    int fd = -1;
    FifoJoystick() {
        char name[] = "/tmp/grapnel-joystick-XXXXXX";
        if (mkdtemp(name) == nullptr) return;
        dir = name;
        path = dir + "/js0";
        if (mkfifo(path.c_str(), 0600) == 0) fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    }
    ~FifoJoystick() {
        if (fd >= 0) close(fd);
        unlink(path.c_str());
        rmdir(dir.c_str());
    }
    // One Linux joydev record: {u32 time; s16 value; u8 type (1 button, 2 axis); u8 number}.
    bool send(uint8_t type, uint8_t number, int16_t value) {
        const uint8_t record[8] = {0, 0, 0, 0, static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), type, number};
        return write(fd, record, sizeof record) == static_cast<ssize_t>(sizeof record);
    }
};

enum WayOut { Escape, CloseRequest, Fails };

struct StartCase {
    const char* name;
    std::vector<std::string> args, env;
    int width, height;  // of the window that must open
    WayOut way_out;
    int status;
    const char* err;  // a regular expression the whole of standard error matches
    bool joystick;
};

const char* const video_mode_failure = "Unable to set video mode: [^\n]+\n";
const StartCase start_cases[] = {
    {"Windowed", {"--windowed"}, {}, 640, 480, CloseRequest, 0, "", false},
    {"WidthAndHeight", {"--width", "800", "--windowed", "--height", "600"}, {}, 800, 600, Escape, 0, "", false},
    // Xvfb lists one full-screen mode, its own 1024x768, which fits the limit.
    {"FullScreen", {}, {}, 1024, 768, Escape, 0, "", false},
    {"UnknownOptions", {"--bogus", "--windowed", "", "--bogus", "--height"}, {}, 640, 480, Escape, 0,
     "Unknown option '--bogus'\nUnknown option ''\nUnknown option '--bogus'\nUnknown option '--height'\n", false},
    {"Joystick", {"--windowed"}, {}, 640, 480, Escape, 0, "", true},
    // x11 named: otherwise SDL falls back to a text-mode driver.
    {"NoDisplay", {"--windowed"}, {"-DISPLAY", "SDL_VIDEODRIVER=x11"}, 0, 0, Fails, 1,
     "(Unable to init SDL|Unable to set video mode): [^\n]+\n", false},
    // ALSA naming a device that does not exist leaves SDL no device to open;
    // ALSA may say more first, but the game's line ends the output.
    {"NoAudioDevice", {"--windowed"}, {"SDL_AUDIODRIVER=alsa", "AUDIODEV=grapnel-no-such-device"}, 0, 0, Fails, 1,
     "(.*\n)*Couldn't open audio: [^\n]+\n", false},
    // Sizes go to SDL as given; what SDL (or the game, for sizes SDL would cut
    // to 16 bits) refuses ends start-up with the video-mode message.
    {"NegativeWidth", {"--width", "-5", "--windowed"}, {}, 0, 0, Fails, 1, video_mode_failure, false},
    {"Width65536", {"--width", "65536", "--windowed"}, {}, 0, 0, Fails, 1, video_mode_failure, false},
    {"Height70000", {"--height", "70000", "--windowed"}, {}, 0, 0, Fails, 1, video_mode_failure, false},
    {"IntMaxWidth", {"--width", "2147483647", "--windowed"}, {}, 0, 0, Fails, 1, video_mode_failure, false},
    {"OverflowingSizes", {"--width", "99999999999999999999", "--height", "-99999999999999999999", "--windowed"}, {},
     0, 0, Fails, 1, video_mode_failure, false},
    {"FullScreenLargerThanTheMode", {"--width", "5000"}, {}, 0, 0, Fails, 1, video_mode_failure, false},
};

class Startup : public testing::TestWithParam<size_t> {};

TEST_P(Startup, OpensItsWindowOrFailsWithItsMessage) {
    const StartCase& c = start_cases[GetParam()];
    std::vector<std::string> env = c.env;
    FifoJoystick stick;
    if (c.joystick) {
        if (sdl_is_compat_library()) GTEST_SKIP() << "the compatibility library reads no joystick from a FIFO";
        ASSERT_GE(stick.fd, 0);
        env.push_back("SDL_JOYSTICK_DEVICE=" + stick.path);
    }
    GameProcess game(c.args, env);
    ASSERT_TRUE(game.started());
    if (c.way_out != Fails) {
        const auto window = wait_for_window(game, c.width, c.height, timeout);
        ASSERT_TRUE(window) << "no viewable " << c.width << "x" << c.height << " window; " << game.err();
        // A moving stick must not disturb the loop.
        if (c.joystick) {
            ASSERT_TRUE(stick.send(2, 0, 20000));
        }
        ASSERT_TRUE(c.way_out == CloseRequest
                        ? send_close_request(window->id)
                        : xdotool("mousemove " + std::to_string(window->x + 10) + " " + std::to_string(window->y + 10) +
                                  " sleep 0.1 key Escape"));
    }
    EXPECT_EQ(game.wait_exit(timeout), c.status) << game.err();
    EXPECT_TRUE(std::regex_match(game.err(), std::regex(c.err))) << game.err();
    EXPECT_EQ(game.out(), c.joystick ? "Joystick initialized: " + stick.path + "\n" : "");
}

INSTANTIATE_TEST_SUITE_P(, Startup, testing::Range<size_t>(0, std::size(start_cases)),
                         [](const testing::TestParamInfo<size_t>& info) { return start_cases[info.param].name; });

// In this process: SDL reads the FIFO joystick, and its axes and buttons reach
// the aim and the fire flags through the game's own event handling.
TEST(Joystick, AxesAndButtonsReachTheControls) {
    if (sdl_is_compat_library()) GTEST_SKIP() << "the compatibility library reads no joystick from a FIFO";
    FifoJoystick stick;
    ASSERT_EQ(setenv("SDL_JOYSTICK_DEVICE", stick.path.c_str(), 1), 0);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    ASSERT_NE(SDL_SetVideoMode(640, 480, 32, SDL_OPENGL), nullptr) << SDL_GetError();
    SDL_Joystick* joystick = SDL_JoystickOpen(0);
    ASSERT_NE(joystick, nullptr);
    ControlInput input;
    LoopState loop;
    loop.pointer = Vec2(0, 0);  // far from the centre: must be ignored
    GameFlow flow;
    // Sends records, then drains events as the frame loop does until done() holds.
    auto after = [&](std::vector<std::array<int, 3>> records, auto done) {
        for (const auto& r : records) EXPECT_TRUE(stick.send(r[0], r[1], r[2]));
        for (const double end = monotonic_seconds() + timeout; !done() && monotonic_seconds() < end; SDL_Delay(5)) {
            SDL_Event event;
            while (SDL_PollEvent(&event)) handle_event(event, input, loop, flow);
            input.aim = read_aim(joystick, loop.pointer, 640, 480);
        }
        return done();
    };
    EXPECT_TRUE(after({{2, 0, 32767}, {2, 1, -32768}}, [&] { return input.aim.y == -1.0f; }));
    EXPECT_EQ(input.aim.x, 32767.0f / 32768.0f);
    EXPECT_TRUE(after({{2, 0, 0}, {2, 1, 16384}}, [&] { return input.aim.y == 0.5f; }));
    EXPECT_EQ(input.aim.x, 0.0f);
    EXPECT_TRUE(after({{1, 0, 1}}, [&] { return input.held == 1 && input.pressed == 1; }));
    EXPECT_TRUE(after({{1, 0, 0}}, [&] { return input.held == 0; }));
    SDL_JoystickClose(joystick);
    SDL_Quit();
}

}  // namespace
