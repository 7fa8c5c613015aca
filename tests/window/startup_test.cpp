// The real game under Xvfb: its window, its ways out, its start-up failures,
// and a joystick read from a FIFO of joydev records.
#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/events.h"
#include "app/game_flow.h"
#include "physics/control_input.h"
#include "game_process.h"
#include "tests/sdl_library.h"

namespace {

constexpr double start_timeout = 30.0;  // seconds; Mesa's first context is slow under load
constexpr double exit_timeout = 30.0;   // seconds

// A joystick that SDL reads from a FIFO named by SDL_JOYSTICK_DEVICE. The
// test keeps the FIFO open for reading and writing, so SDL's open never
// waits for a writer and the records stay queued until SDL reads them.
class FifoJoystick {
public:
    FifoJoystick() {
        char dir_template[] = "/tmp/grapnel-joystick-XXXXXX";
        const char* dir = mkdtemp(dir_template);
        if (dir == nullptr) return;
        dir_ = dir;
        path_ = dir_ + "/js0";
        if (mkfifo(path_.c_str(), 0600) == 0) fd_ = open(path_.c_str(), O_RDWR | O_CLOEXEC);
    }
    ~FifoJoystick() {
        if (fd_ >= 0) close(fd_);
        if (!path_.empty()) unlink(path_.c_str());
        if (!dir_.empty()) rmdir(dir_.c_str());
    }
    FifoJoystick(const FifoJoystick&) = delete;
    FifoJoystick& operator=(const FifoJoystick&) = delete;

    bool ready() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    // One Linux joydev record: struct js_event {u32 time; s16 value; u8 type; u8 number;}.
    bool send(uint8_t type, uint8_t number, int16_t value) {
        unsigned char record[8];
        const uint32_t time_ms = 0;
        memcpy(record, &time_ms, 4);
        memcpy(record + 4, &value, 2);
        record[6] = type;
        record[7] = number;
        return write(fd_, record, sizeof record) == static_cast<ssize_t>(sizeof record);
    }
    bool axis(uint8_t number, int16_t value) { return send(js_axis, number, value); }
    bool button(uint8_t number, bool down) { return send(js_button, number, down ? 1 : 0); }

private:
    static constexpr uint8_t js_button = 1;
    static constexpr uint8_t js_axis = 2;
    std::string dir_;
    std::string path_;
    int fd_ = -1;
};

// Opens the game and returns its window; the test fails when none appears.
std::optional<XWindowInfo> game_window(GameProcess& game, int width, int height) {
    std::optional<XWindowInfo> window = wait_for_window(width, height, start_timeout, &game);
    if (!window) {
        ADD_FAILURE() << "no viewable " << width << "x" << height << " window; stderr: " << game.err();
    }
    return window;
}

TEST(Startup, WindowedOpens640x480ClearedToTheBackgroundAndEscapeQuits) {
    GameProcess game({"--windowed"});
    ASSERT_TRUE(game.started());
    const auto window = game_window(game, 640, 480);
    ASSERT_TRUE(window);
    // The loop is alive: the frame is cleared to (0, 0.1, 0) and swapped.
    std::optional<Rgb> pixel;
    const double deadline = monotonic_seconds() + start_timeout;
    for (;;) {
        pixel = pixel_at(window->id, 320, 240);
        if ((pixel && pixel->g == 26) || monotonic_seconds() > deadline) break;
        SDL_Delay(10);
    }
    ASSERT_TRUE(pixel);
    EXPECT_EQ(pixel->r, 0);
    EXPECT_EQ(pixel->g, 26);
    EXPECT_EQ(pixel->b, 0);

    ASSERT_TRUE(press_key_in(*window, "Escape"));
    EXPECT_EQ(game.wait_exit(exit_timeout), 0) << game.err();
    EXPECT_EQ(game.out(), "");
}

// Each run opens its window at the size the options and the mode list give,
// reports what it must on standard error, and ends with status 0 on Escape or
// on the window's close request.
TEST(Startup, WindowSizesUnknownArgumentsAndWaysOut) {
    struct Case {
        std::vector<std::string> args;
        int width, height;
        bool close_request;  // else Escape
        std::string err;
    };
    const Case cases[] = {
        {{"--windowed"}, 640, 480, true, ""},
        {{"--width", "800", "--windowed"}, 800, 480, false, ""},
        {{"--windowed", "--height", "600"}, 640, 600, false, ""},
        // Xvfb lists one full-screen mode, its own 1024x768, which fits the limit.
        {{}, 1024, 768, false, ""},
        {{"--bogus", "--windowed", "", "--bogus", "--height"}, 640, 480, false,
         "Unknown option '--bogus'\nUnknown option ''\nUnknown option '--bogus'\nUnknown option '--height'\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        GameProcess game(c.args);
        ASSERT_TRUE(game.started());
        const auto window = game_window(game, c.width, c.height);
        ASSERT_TRUE(window);
        EXPECT_EQ(game.err(), c.err);
        ASSERT_TRUE(c.close_request ? send_close_request(window->id) : press_key_in(*window, "Escape"));
        EXPECT_EQ(game.wait_exit(exit_timeout), 0) << game.err();
    }
}

TEST(Startup, WithoutADisplayStartUpFailsWithStatus1) {
    // x11 named explicitly: otherwise SDL falls back to a text-mode driver.
    GameProcess game({"--windowed"}, {"DISPLAY", "SDL_VIDEODRIVER=x11"});
    ASSERT_TRUE(game.started());
    EXPECT_EQ(game.wait_exit(exit_timeout), 1);
    const std::string err = game.err();
    const bool known = err.rfind("Unable to init SDL: ", 0) == 0 ||
                       err.rfind("Unable to set video mode: ", 0) == 0;
    EXPECT_TRUE(known) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line: " << err;
}

// Sizes go to SDL as given; what SDL (or the game, for sizes SDL would cut
// to 16 bits) refuses ends start-up with the video-mode message.
TEST(Startup, SizesThatCannotBeShownFailWithTheVideoModeMessage) {
    const std::vector<std::string> cases[] = {
        {"--width", "-5", "--windowed"},
        {"--height", "-1", "--windowed"},
        {"--width", "65536", "--windowed"},
        {"--height", "70000", "--windowed"},
        {"--width", "2147483647", "--windowed"},
        {"--width", "99999999999999999999", "--height", "-99999999999999999999", "--windowed"},
        {"--width", "5000"},  // full screen larger than the only mode
    };
    for (const std::vector<std::string>& args : cases) {
        GameProcess game(args);
        ASSERT_TRUE(game.started());
        EXPECT_EQ(game.wait_exit(exit_timeout), 1) << args[1];
        const std::string err = game.err();
        EXPECT_EQ(err.rfind("Unable to set video mode: ", 0), 0u) << args[1] << ": " << err;
        EXPECT_EQ(err.find('\n'), err.size() - 1) << args[1] << ": " << err;
    }
}

TEST(Startup, AJoystickIsAnnouncedOnStandardOutput) {
    if (sdl_is_compat_library()) {
        GTEST_SKIP() << "the SDL 1.2 compatibility library (" << sdl_linked_version()
                     << ") reads no joystick from a FIFO";
    }
    FifoJoystick stick;
    ASSERT_TRUE(stick.ready());
    GameProcess game({"--windowed"}, {"SDL_JOYSTICK_DEVICE=" + stick.path()});
    ASSERT_TRUE(game.started());
    const auto window = game_window(game, 640, 480);
    ASSERT_TRUE(window);
    ASSERT_TRUE(stick.axis(0, 20000));  // a moving stick must not disturb the loop
    ASSERT_TRUE(press_key_in(*window, "Escape"));
    EXPECT_EQ(game.wait_exit(exit_timeout), 0) << game.err();
    EXPECT_EQ(game.out(), "Joystick initialized: " + stick.path() + "\n");
}

// In this process: SDL reads the FIFO joystick, and its axes and buttons
// reach the aim and the fire flags through the game's own functions.
TEST(Startup, StickAxesAndButtonsReachTheControls) {
    if (sdl_is_compat_library()) {
        GTEST_SKIP() << "the SDL 1.2 compatibility library (" << sdl_linked_version()
                     << ") reads no joystick from a FIFO";
    }
    FifoJoystick stick;
    ASSERT_TRUE(stick.ready());
    ASSERT_EQ(setenv("SDL_JOYSTICK_DEVICE", stick.path().c_str(), 1), 0);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    ASSERT_NE(SDL_SetVideoMode(640, 480, 32, SDL_OPENGL), nullptr) << SDL_GetError();
    ASSERT_EQ(SDL_NumJoysticks(), 1);
    SDL_Joystick* joystick = SDL_JoystickOpen(0);
    ASSERT_NE(joystick, nullptr);
    SDL_JoystickEventState(SDL_ENABLE);

    ControlInput input;
    LoopState loop;
    loop.pointer = Vec2(0, 0);  // far from the centre: must be ignored
    GameFlow flow;
    // Drains events the way the frame loop does until `done` holds.
    auto run_frames_until = [&](auto done) {
        const double deadline = monotonic_seconds() + start_timeout;
        for (;;) {
            SDL_Event event;
            while (SDL_PollEvent(&event)) handle_event(event, input, loop, flow);
            input.aim = read_aim(joystick, loop.pointer, 640, 480);
            if (done() || monotonic_seconds() > deadline) return done();
            SDL_Delay(5);
        }
    };

    ASSERT_TRUE(stick.axis(0, 32767));
    ASSERT_TRUE(stick.axis(1, -32768));
    EXPECT_TRUE(run_frames_until([&] { return input.aim.y == -1.0f; }));
    EXPECT_EQ(input.aim.x, 32767.0f / 32768.0f);
    EXPECT_EQ(input.aim.y, -1.0f);

    ASSERT_TRUE(stick.axis(0, 0));
    ASSERT_TRUE(stick.axis(1, 16384));
    EXPECT_TRUE(run_frames_until([&] { return input.aim.y == 0.5f; }));
    EXPECT_EQ(input.aim.x, 0.0f);

    ASSERT_TRUE(stick.button(0, true));
    EXPECT_TRUE(run_frames_until([&] { return input.held == 1; }));
    EXPECT_EQ(input.pressed, 1);
    ASSERT_TRUE(stick.button(0, false));
    EXPECT_TRUE(run_frames_until([&] { return input.held == 0; }));

    SDL_JoystickClose(joystick);
    SDL_Quit();
}

}  // namespace
