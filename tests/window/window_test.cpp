// The window tests, each in an Xvfb of its own: the real game's start-up and
// ways out, frames drawn in this process against pictures of their figures,
// and the real game played from the outside with real input.
#include <GL/gl.h>
#include <SDL.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "app/frame_draw.h"
#include "app/globals.h"
#include "content/shapes.h"
#include "physics/ball.h"
#include "physics/level.h"
#include "tests/sdl_library.h"

// Last: Xlib's macros (None, Status, Bool) must meet nothing after them.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace {

constexpr double timeout = 60.0;  // seconds; Mesa's first context is slow under load

double monotonic_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The game binary as a child process with its output kept. `env` changes its
// environment: "NAME=value" sets, "-NAME" unsets; SDL_AUDIODRIVER=dummy
// unless set. A child still running at the end is killed.
class GameProcess {
public:
    explicit GameProcess(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
        std::vector<std::string> argv = {"/usr/bin/env", "SDL_AUDIODRIVER=dummy"};
        for (const std::string& e : env) {
            if (e[0] == '-') argv.insert(argv.begin() + 1, {"-u", e.substr(1)});
            if (e[0] != '-') argv.push_back(e);
        }
        argv.push_back(GRAPNEL_BINARY);
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> argv_c;
        for (std::string& a : argv) argv_c.push_back(a.data());
        argv_c.push_back(nullptr);
        if (out_ == nullptr || err_ == nullptr) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, fileno(out_), 1);
        posix_spawn_file_actions_adddup2(&actions, fileno(err_), 2);
        if (posix_spawn(&pid_, argv_c[0], &actions, nullptr, argv_c.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~GameProcess() {
        if (started() && !wait_exit(0)) {
            kill(pid_, SIGKILL);
            wait_exit(30);
        }
        for (FILE* f : {out_, err_})
            if (f != nullptr) fclose(f);
    }
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;
    bool started() const { return pid_ > 0; }
    // The exit status, or 128 + the signal; nullopt while it still runs after the timeout.
    std::optional<int> wait_exit(double timeout_seconds) {
        for (const double end = monotonic_seconds() + timeout_seconds; started() && !status_;) {
            int raw = 0;
            if (waitpid(pid_, &raw, WNOHANG) == pid_) {
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            } else if (monotonic_seconds() >= end) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return status_;
    }
    std::string out() const { return read(out_); }
    std::string err() const { return read(err_); }

private:
    static std::string read(FILE* f) {
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = pread(fileno(f), buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0;) {
            text.append(buffer, static_cast<size_t>(n));
        }
        return text;
    }
    FILE* out_ = tmpfile();
    FILE* err_ = tmpfile();
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// A connection to DISPLAY for the length of one helper call; a window that
// vanishes between two requests is no reason to end the test.
struct XConnection {
    Display* display = XOpenDisplay(nullptr);
    XConnection() {
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    }
    ~XConnection() {
        if (display != nullptr) XCloseDisplay(display);
    }
};

struct XWindow {
    int x, y;  // in root coordinates
};

// A viewable top-level window of the given size; nullopt when the game ends first.
std::optional<XWindow> wait_for_window(GameProcess& game, int width, int height) {
    XConnection x;
    for (const double end = monotonic_seconds() + timeout;
         x.display != nullptr && !game.wait_exit(0.01) && monotonic_seconds() < end;) {
        Window root, parent, *children = nullptr;
        unsigned int count = 0;
        XQueryTree(x.display, DefaultRootWindow(x.display), &root, &parent, &children, &count);
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes a{};
            if (XGetWindowAttributes(x.display, children[i], &a) != 0 && a.map_state == IsViewable &&
                a.width == width && a.height == height) {
                const XWindow found{a.x, a.y};
                XFree(children);
                return found;
            }
        }
        XFree(children);
    }
    return std::nullopt;
}

bool xdotool(const std::string& args) { return system(("xdotool " + args).c_str()) == 0; }

struct Box {
    int x0, y0, x1, y1;  // pixels, inclusive
};

// A frame's pixels as RGB, rows top to bottom like the HUD's coordinates:
// this process's back buffer, or the game's window read from the X server.
class Frame {
public:
    Frame(int width, int height) : width_(width), rgb_(width * height * 3) {
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        for (int y = 0; y < height; ++y) {
            glReadPixels(0, height - 1 - y, width, 1, GL_RGB, GL_UNSIGNED_BYTE, &rgb_[y * width * 3]);
        }
    }
    Frame(const XWindow& window, int width, int height) : width_(width) {
        XConnection x;  // read from the root, which shows the window as it is on screen
        XImage* image = x.display ? XGetImage(x.display, DefaultRootWindow(x.display), window.x, window.y, width,
                                              height, AllPlanes, ZPixmap)
                                  : nullptr;
        // A 24-bit display keeps each pixel in 32 bits; the masks place the colours.
        for (int y = 0; image && image->bits_per_pixel == 32 && y < height; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(image->data + y * image->bytes_per_line);
            for (int xx = 0; xx < width; ++xx) {
                for (unsigned long mask : {image->red_mask, image->green_mask, image->blue_mask}) {
                    rgb_.push_back(static_cast<uint8_t>((row[xx] & mask) >> __builtin_ctzl(mask)));
                }
            }
        }
        if (image != nullptr) XDestroyImage(image);
    }
    bool empty() const { return rgb_.empty(); }
    int channel(int x, int y, int c) const { return rgb_[(y * width_ + x) * 3 + c]; }
    int green(int x, int y) const { return channel(x, y, 1); }
    // The background's green is 0.1 x 255; a line adds about 76 at its
    // centre and half of that beside it, so 40 tells light from background.
    bool lit(int x, int y) const { return green(x, y) >= 40; }
    int lit_count(const Box& box) const {
        int n = 0;
        for (int y = box.y0; y <= box.y1; ++y)
            for (int x = box.x0; x <= box.x1; ++x) n += lit(x, y);
        return n;
    }

private:
    int width_;
    std::vector<uint8_t> rgb_;
};

// A joystick that SDL reads from a FIFO named by SDL_JOYSTICK_DEVICE. The
// test holds the FIFO open both ways, so SDL's open never waits for a writer.
struct FifoJoystick {
    std::string dir = "/tmp/grapnel-joystick-XXXXXX", path;
    int fd = -1;
    FifoJoystick() {
        if (mkdtemp(dir.data()) == nullptr) return;
        path = dir + "/js0";
        if (mkfifo(path.c_str(), 0600) == 0) fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    }
    ~FifoJoystick() {
        if (fd >= 0) close(fd);
        unlink(path.c_str());
        rmdir(dir.c_str());
    }
    // One Linux joydev record: {u32 time; s16 value; u8 type (1 button, 2 axis); u8 number}.
    bool send(int type, int number, int value) {
        const uint8_t record[8] = {0, 0, 0, 0, static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                   static_cast<uint8_t>(type), static_cast<uint8_t>(number)};
        return write(fd, record, sizeof record) == static_cast<ssize_t>(sizeof record);
    }
};

// A failing start-up ends with status 1.
enum WayOut {
    Escape,
    Fails
};

const char* const video_mode_failure = "Unable to set video mode: [^\n]+\n";
const struct StartCase {
    const char* name;
    std::vector<std::string> args, env;
    WayOut way_out;
    const char* err;                // a regular expression the whole of standard error matches
    int width = 640, height = 480;  // of the window that must open
    bool joystick = false;
} start_cases[] = {
    {"Windowed", {"--windowed"}, {}, Escape, ""},
    {"WidthAndHeight", {"--width", "800", "--windowed", "--height", "600"}, {}, Escape, "", 800, 600},
    // Xvfb lists one full-screen mode, its own 1024x768, which fits the limit.
    {"FullScreen", {}, {}, Escape, "", 1024, 768},
    {"UnknownOptions", {"--bogus", "--windowed", "", "--bogus", "--height"}, {}, Escape, "Unknown option '--bogus'\nUnknown option ''\nUnknown option '--bogus'\nUnknown option '--height'\n"},
    {"Joystick", {"--windowed"}, {}, Escape, "", 640, 480, true},
    // x11 named: otherwise SDL falls back to a text-mode driver.
    {"NoDisplay", {"--windowed"}, {"-DISPLAY", "SDL_VIDEODRIVER=x11"}, Fails, "(Unable to init SDL|Unable to set video mode): [^\n]+\n"},
    // ALSA naming a device that does not exist leaves SDL no device to open;
    // ALSA may say more first, but the game's line ends the output.
    {"NoAudioDevice", {"--windowed"}, {"SDL_AUDIODRIVER=alsa", "AUDIODEV=grapnel-no-such-device"}, Fails, "(.*\n)*Couldn't open audio: [^\n]+\n"},
    // Sizes go to SDL as given; what SDL (or the game, for sizes SDL would cut
    // to 16 bits) refuses ends start-up with the video-mode message.
    {"NegativeWidth", {"--width", "-5", "--windowed"}, {}, Fails, video_mode_failure},
    {"Width65536", {"--width", "65536", "--windowed"}, {}, Fails, video_mode_failure},
    {"FullScreenLargerThanTheMode", {"--width", "5000"}, {}, Fails, video_mode_failure},
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
        const auto window = wait_for_window(game, c.width, c.height);
        ASSERT_TRUE(window) << "no viewable " << c.width << "x" << c.height << " window; " << game.err();
        if (c.joystick) {
            ASSERT_TRUE(stick.send(2, 0, 20000));  // a moving stick must not disturb the loop
        }
        // The game draws over the whole window: the HUD's "hi" at its top left.
        bool hi_drawn = false;
        for (const double end = monotonic_seconds() + 20; !hi_drawn && monotonic_seconds() < end;) {
            hi_drawn = Frame(*window, c.width, c.height).lit_count(Box{10, 10, 49, 29}) > 20;
        }
        EXPECT_TRUE(hi_drawn) << "no \"hi\" at the top left";
        ASSERT_TRUE(xdotool("mousemove " + std::to_string(window->x + 10) + " " + std::to_string(window->y + 10) +
                            " sleep 0.1 key Escape"));
    }
    EXPECT_EQ(game.wait_exit(timeout), c.way_out == Fails ? 1 : 0) << game.err();
    EXPECT_TRUE(std::regex_match(game.err(), std::regex(c.err))) << game.err();
    EXPECT_EQ(game.out(), c.joystick ? "Joystick initialized: " + stick.path + "\n" : "");
}

INSTANTIATE_TEST_SUITE_P(, Startup, testing::Range<size_t>(0, std::size(start_cases)),
                         [](const testing::TestParamInfo<size_t>& info) { return start_cases[info.param].name; });

// Opens the window the way the game does and sets the game's screen size.
// No SDL_Quit: unloading the OpenGL driver would hide its leftovers from the
// leak checker (each window test is a process of its own).
class DrawWindow : public ::testing::Test {
protected:
    void open(int width, int height) {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        ASSERT_NE(SDL_SetVideoMode(width, height, 32, SDL_OPENGL), nullptr) << SDL_GetError();
        screen_width = width;
        screen_height = height;
        score = 2500;
        hi_score = 3780;
        init_gl_state();
    }
    Frame render(const GameFlow& flow, const LevelState& level, const Ball& ball, Vec2 pointer, bool joystick) {
        render_frame(flow, level, ball, pointer, joystick);
        return Frame(screen_width, screen_height);
    }
};

struct Line {
    Vec2 a, b;
    bool dashed;
};

// The lines of a picture in pixels, by the rules of the game's drawing:
// 20-pixel text cells, 100 x zoom pixels per world unit around the body at
// the centre, figures centred in one-unit cells.
struct Picture {
    float zoom;
    Vec2 body, half;
    std::vector<Line> lines;

    void text(float x, float y, const std::string& text) {
        for (size_t i = 0; i < text.size(); ++i) {
            const auto row = std::find_if(std::begin(font_glyphs), std::end(font_glyphs),
                                          [&](const FontGlyph& r) { return r.ch == text[i]; });
            const float* v = row != std::end(font_glyphs) ? row->shape->vertices() : nullptr;
            for (int k = 0; v && k < row->shape->vertex_count(); k += 2, v += 4) {
                const float cell = x + 20.0f * static_cast<float>(i);
                lines.push_back({Vec2(cell + 20.0f * v[0], y + 20.0f * v[1]),
                                 Vec2(cell + 20.0f * v[2], y + 20.0f * v[3]), false});
            }
        }
    }
    void world_line(Vec2 a, Vec2 b, bool dashed = false) {
        lines.push_back({(a - body) * (100.0f * zoom) + half, (b - body) * (100.0f * zoom) + half, dashed});
    }
    void figure(const LineShape& shape, Vec2 centre) {
        const float* v = shape.vertices();
        for (int k = 0; k < shape.vertex_count(); k += 2, v += 4) {
            world_line(centre + Vec2(v[0] - 0.5f, v[1] - 0.5f), centre + Vec2(v[2] - 0.5f, v[3] - 0.5f));
        }
    }

    // Draws the picture with plain OpenGL in pixels: the dark green
    // background, smoothed 2-pixel lines of the one colour added up, the
    // dashed ones 4 pixels lit in every 16. The game's OpenGL state is kept.
    Frame draw(int width, int height) const {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
        glEnableClientState(GL_VERTEX_ARRAY);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, width, height, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0.0f, 0.1f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glColor4f(0.8f, 1.0f, 0.8f, 0.3f);
        glEnable(GL_LINE_SMOOTH);
        glLineWidth(2.0f);
        glLineStipple(4, 0x4444);
        for (const Line& line : lines) {
            const float v[4] = {line.a.x, line.a.y, line.b.x, line.b.y};
            if (line.dashed) glEnable(GL_LINE_STIPPLE);
            glVertexPointer(2, GL_FLOAT, 0, v);
            glDrawArrays(GL_LINES, 0, 2);
            glDisable(GL_LINE_STIPPLE);
        }
        glPopClientAttrib();
        glPopAttrib();
        return Frame(width, height);
    }
};

// A plus sign of two 0.1-unit lines crossing at world (4, 2), and two gems.
const Vec2 plus_lines[] = {Vec2(3.95f, 2), Vec2(4.05f, 2), Vec2(4, 1.95f), Vec2(4, 2.05f)};
const Vec2 two_gems[] = {Vec2(2, 1), Vec2(4.5f, 3)};
const LevelData plus_level{Vec2(3, 2), 4, plus_lines, 0, nullptr, 2, two_gems};

struct Text {
    float x, y;
    const char* text;
};

// The HUD of each kind of state with its texts at their places, the blink's
// hidden half from its first instant, both directions of zoom, an odd window.
const struct DrawCase {
    const char* name;
    int width, height;
    GameFlow flow;  // state, next_state, state_time, zoom, time_left
    uint8_t gems_present[2];
    Vec2 body, aim;
    RopeState rope;
    Vec2 hook;
    bool joystick;
    std::vector<Text> texts;  // besides "hi 3780" and "score 2500" at the top
} draw_cases[] = {
    {"PlayingWithRopeAndCross", 640, 480, {Playing, Playing, 0.7f, 1, 41.5f}, {1, 1}, Vec2(3, 2), Vec2(0.6f, -0.8f), Attached, Vec2(3.9f, 1.1f), false, {{10, 448, "$2"}, {280, 448, "0:42"}}},
    {"FlyingRopeZoom2", 640, 480, {Playing, Playing, 3.2f, 2, 75.3f}, {0, 1}, Vec2(3.37f, 2.21f), Vec2(-1, 0), Flying, Vec2(3.1f, 1.7f), true, {{10, 448, "$1"}, {280, 448, "1:16"}}},
    {"OddWindowTruncatesTheHalves", 641, 481, {ZoomIn, Playing, 0.1f, 1.5f, 59.0f}, {1, 0}, Vec2(3.5f, 2.5f), Vec2(0, 1), Idle, Vec2(0, 0), false, {{10, 449, "$1"}, {280, 449, "0:59"}}},
    {"AttractShowsPressStart", 640, 480, {Attract, Playing, 1.25f, 1, 60}, {1, 1}, Vec2(3, 2), Vec2(1, 0), Attached, Vec2(3, 0.8f), true, {{210, 290, "press start"}}},
    {"AttractBlinkHidesAtHalfASecond", 640, 480, {Attract, Attract, 1.5f, 2, 60}, {1, 1}, Vec2(3, 2), Vec2(1, 0), Flying, Vec2(3, 0.8f), false, {}},
    {"ZoomInToTheTitle", 640, 480, {ZoomIn, Attract, 0.5f, 0.75f, 60}, {0, 0}, Vec2(3.2f, 1.9f), Vec2(1, 0), Idle, Vec2(0, 0), false, {}},
    {"ZoomOutToANewGame", 640, 480, {ZoomOut, NewGame, 0.5f, 0.5f, 60}, {1, 1}, Vec2(3, 2), Vec2(1, 0), Idle, Vec2(0, 0), false, {}},
    {"GameOverShowsItsText", 640, 480, {GameOver, Playing, 2.25f, 1, 0}, {1, 1}, Vec2(3, 2), Vec2(1, 0), Attached, Vec2(3, 0.8f), false, {{10, 448, "$2"}, {280, 448, "0:00"}, {230, 290, "game over"}}},
};

// The mutation tool runs the drawing tests by their suite name.
class WorldDraw : public DrawWindow {};

TEST_F(WorldDraw, FramesEqualThePicturesOfTheirFigures) {
    for (const DrawCase& c : draw_cases) {
        SCOPED_TRACE(c.name);
        open(c.width, c.height);
        LevelState level;
        level.load(&plus_level);
        std::copy(std::begin(c.gems_present), std::end(c.gems_present), level.gem_present);
        level.gems_left = c.gems_present[0] + c.gems_present[1];
        Ball ball;
        ball.pos = c.body;
        ball.aim = c.aim;
        ball.rope_state = c.rope;
        ball.hook_pos = c.hook;
        const Vec2 pointer(100, 300);
        const Frame frame = render(c.flow, level, ball, pointer, c.joystick);

        Picture picture{c.flow.zoom, c.body, Vec2(c.width / 2, c.height / 2), {}};
        if (!c.joystick) {  // four lines from the corners inward, in pixels
            for (Vec2 corner : {Vec2(-1, -1), Vec2(1, -1), Vec2(-1, 1), Vec2(1, 1)}) {
                picture.lines.push_back({pointer + corner * 6, pointer + corner * 2, false});
            }
        }
        picture.text(10, 10, "hi 3780");
        picture.text(static_cast<float>(c.width - 230), 10, "score 2500");
        for (const Text& t : c.texts) picture.text(t.x, t.y, t.text);
        for (int i = 0; i < 4; i += 2) picture.world_line(plus_lines[i], plus_lines[i + 1]);
        for (int i = 0; i < 2; ++i) {
            if (c.gems_present[i]) picture.figure(shape_gem, two_gems[i]);
        }
        picture.figure(shape_body, c.body);
        if (c.flow.state == Playing) {
            // From the rim (radius 0.125) to the rope's reach, 2.2 from the centre.
            picture.world_line(c.body + c.aim * 0.125f, c.body + c.aim * 2.2f, true);
            if (c.rope != Idle) {
                const Vec2 d = c.hook - c.body;
                picture.world_line(c.body + d * (0.125f / std::sqrt(d.x * d.x + d.y * d.y)), c.hook);
            }
        }
        const Frame want = picture.draw(c.width, c.height);

        // The two rasterisations of a line may differ by a rounding of the blend.
        int differing = 0;
        std::string first;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                int most = 0;
                for (int k = 0; k < 3; ++k) most = std::max(most, std::abs(frame.channel(x, y, k) - want.channel(x, y, k)));
                if (most > 2 && differing++ < 6) {
                    first += " (" + std::to_string(x) + "," + std::to_string(y) + ") green " +
                             std::to_string(frame.green(x, y)) + " not " + std::to_string(want.green(x, y));
                }
            }
        }
        EXPECT_EQ(differing, 0) << "pixels differ, the first at (x,y):" << first;
    }
}

// Captures the game's window for the given seconds, and on a machine too
// busy for ten captures in that time on until there are ten (at most 30 s).
std::vector<Frame> capture_for(const XWindow& window, double seconds) {
    std::vector<Frame> frames;
    const double start = monotonic_seconds();
    for (double now = start; now < start + seconds || (frames.size() < 10 && now < start + 30);
         now = monotonic_seconds()) {
        frames.emplace_back(window, 640, 480);
        if (frames.back().empty()) frames.pop_back();
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    return frames;
}

// The share of the pixels a text lights when drawn alone that are at least
// as bright in a capture (the world may add light under a text, up to the
// rounding of the blend).
double shown_share(const Frame& capture, const Frame& alone, const Box& box) {
    int shown = 0;
    for (int y = box.y0; y <= box.y1; ++y) {
        for (int x = box.x0; x <= box.x1; ++x) shown += alone.lit(x, y) && capture.green(x, y) + 12 >= alone.green(x, y);
    }
    return static_cast<double>(shown) / alone.lit_count(box);
}

// The lowest and the highest share over the captures.
std::pair<double, double> shown_shares(const std::vector<Frame>& captures, const Frame& alone, const Box& box) {
    double low = 1, high = 0;
    for (const Frame& f : captures) {
        low = std::min(low, shown_share(f, alone, box));
        high = std::max(high, shown_share(f, alone, box));
    }
    return {low, high};
}

// The real game: the title with its blinking "press start" on open cave, a
// click that starts a game, level 1's gem count and clock, and Escape. The
// texts are drawn alone in this process by the game's drawing code, which
// WorldDraw checks against the figures.
class PlayEndToEnd : public DrawWindow {};

TEST_F(PlayEndToEnd, TitleBlinksAClickStartsLevelOneAndEscapeQuits) {
    std::vector<Frame> title, game_start;
    {
        ASSERT_TRUE(xdotool("mousemove 1020 760"));  // outside the window
        GameProcess game({"--windowed"});
        ASSERT_TRUE(game.started());
        const auto window = wait_for_window(game, 640, 480);
        ASSERT_TRUE(window) << game.err();
        title = capture_for(*window, 4);  // the zoom-in on the title (1 s), then the blink
        ASSERT_TRUE(xdotool("mousemove " + std::to_string(window->x + 320) + " " + std::to_string(window->y + 240) +
                            " click 1"));
        // The zoom-out, a new game, the zoom-in on level 1 and its first second.
        game_start = capture_for(*window, 4);
        ASSERT_TRUE(xdotool("key Escape"));
        EXPECT_EQ(game.wait_exit(30), 0);
        EXPECT_EQ(game.err(), "");
    }
    ASSERT_GE(title.size(), 10u);
    ASSERT_GE(game_start.size(), 10u);

    open(640, 480);
    const LevelData empty{Vec2(3, 2), 0, nullptr, 0, nullptr, 0, nullptr};
    LevelState level;
    level.load(&empty);
    level.gems_left = 3;
    Ball ball;
    ball.reset(level);
    const Box press_start{210, 290, 429, 309}, gems{10, 448, 49, 467}, clock{280, 448, 359, 467};  // "$3", "1:00"
    const Frame title_texts = render(GameFlow{Attract, Attract, 0.25f}, level, ball, Vec2(0, 0), true);
    const Frame game_texts = render(GameFlow{ZoomIn, Playing, 0.25f, 1, 60}, level, ball, Vec2(0, 0), true);
    ASSERT_TRUE(title_texts.lit_count(press_start) > 200 && game_texts.lit_count(gems) > 40 &&
                game_texts.lit_count(clock) > 60);

    // Until the mouse moves into the window, the pointer cross stands at the
    // centre, on the body.
    const Frame cross = render(GameFlow{Attract, Attract, 0.75f}, level, ball, Vec2(320, 240), false);
    EXPECT_GE(shown_shares(title, cross, Box{312, 232, 328, 248}).second, 0.97);
    // "press start" blinks on the title: whole in some frames, gone in others.
    EXPECT_GE(shown_shares(title, title_texts, press_start).second, 0.97);
    EXPECT_LE(shown_shares(title, title_texts, press_start).first, 0.7);
    // It blinks on open cave: once the title waits, with the text hidden its
    // place is dark, wherever the falling body has taken the view.
    int hidden = 0;
    for (size_t i = 0, waiting = 0; i < title.size(); ++i) {
        const double share = shown_share(title[i], title_texts, press_start);
        waiting = waiting || share >= 0.97;
        if (!waiting || share >= 0.5) continue;
        ++hidden;
        EXPECT_EQ(title[i].lit_count(press_start), 0) << "level lines where \"press start\" is drawn, capture " << i;
    }
    EXPECT_GT(hidden, 0);
    // Once the game starts, the gem count and the clock show "$3" and "1:00".
    EXPECT_GE(shown_shares(game_start, game_texts, gems).second, 0.97);
    EXPECT_GE(shown_shares(game_start, game_texts, clock).second, 0.97);
}

}  // namespace
