// The real game played from the outside under Xvfb: the title with its
// blinking "press start", a click that starts a game, the level-1 HUD with
// the gem count and the clock, and Escape. The game's frames are read from
// the X server; the texts it should show are drawn afterwards in this
// process with the same drawing code, so the comparison is pixel for pixel.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "draw_window.h"
#include "game_process.h"

namespace {

constexpr int window_width = 640;
constexpr int window_height = 480;
constexpr double capture_seconds = 4.0;  // each capture phase
// The game's pixel may be brighter than the text alone (the world adds light
// under it) but not darker, up to the rounding of the blend.
constexpr int blend_tolerance = 12;

// One capture of the game's window, rows top to bottom, RGB.
struct Capture {
    std::vector<uint8_t> rgb;
    int green(int x, int y) const { return rgb[(y * window_width + x) * 3 + 1]; }
};

bool capture_window(unsigned long window, Capture& out) {
    // -strip drops the comment xwd leaves, which the plain header read would trip on.
    const std::string command = "xwd -silent -id " + std::to_string(window) +
                                " 2>/dev/null | /usr/bin/convert xwd:- -strip ppm:- 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return false;
    int width = 0, height = 0, max_value = 0;
    bool ok = fscanf(pipe, "P6 %d %d %d", &width, &height, &max_value) == 3 &&
              width == window_width && height == window_height && max_value == 255 &&
              fgetc(pipe) != EOF;
    if (ok) {
        out.rgb.resize(static_cast<size_t>(width) * height * 3);
        ok = fread(out.rgb.data(), 1, out.rgb.size(), pipe) == out.rgb.size();
    }
    pclose(pipe);
    return ok;
}

std::vector<Capture> capture_for(unsigned long window, double seconds) {
    std::vector<Capture> frames;
    const double end = monotonic_seconds() + seconds;
    while (monotonic_seconds() < end) {
        Capture c;
        if (capture_window(window, c)) frames.push_back(std::move(c));
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    return frames;
}

// The lit pixels of a text drawn alone, inside its box.
struct TextMask {
    std::vector<int> x, y, green;
};

TextMask mask_of(const Frame& reference, const Box& box) {
    TextMask m;
    for (int y = box.y0; y <= box.y1; ++y) {
        for (int x = box.x0; x <= box.x1; ++x) {
            if (!reference.lit(x, y)) continue;
            m.x.push_back(x);
            m.y.push_back(y);
            m.green.push_back(reference.at(x, y).g);
        }
    }
    return m;
}

// Share of the text's pixels at least as bright in the game's frame.
double shown_share(const Capture& frame, const TextMask& mask) {
    int shown = 0;
    for (size_t i = 0; i < mask.x.size(); ++i)
        shown += frame.green(mask.x[i], mask.y[i]) + blend_tolerance >= mask.green[i] ? 1 : 0;
    return mask.x.empty() ? 0.0 : static_cast<double>(shown) / mask.x.size();
}

struct Shares {
    double low = 1.0, high = 0.0;
};

Shares shares(const std::vector<Capture>& frames, const TextMask& mask) {
    Shares s;
    for (const Capture& f : frames) {
        const double share = shown_share(f, mask);
        s.low = std::min(s.low, share);
        s.high = std::max(s.high, share);
    }
    return s;
}

class PlayEndToEnd : public DrawWindow {};

TEST_F(PlayEndToEnd, TitleBlinksAClickStartsLevelOneAndEscapeQuits) {
    std::vector<Capture> title, game_start;
    {
        GameProcess game({"--windowed"});
        ASSERT_TRUE(game.started());
        const auto window = wait_for_window(window_width, window_height, 60.0, &game);
        ASSERT_TRUE(window) << game.err();
        // Zoom-in on the title (1 s), then the attract screen's blink.
        title = capture_for(window->id, capture_seconds);
        const std::string click = "xdotool mousemove " + std::to_string(window->x + 320) + " " +
                                  std::to_string(window->y + 240) + " click 1";
        ASSERT_EQ(std::system(click.c_str()), 0);
        // Zoom-out, new game, zoom-in on level 1 and the first second of play.
        game_start = capture_for(window->id, capture_seconds);
        ASSERT_TRUE(press_key_in(*window, "Escape"));
        EXPECT_EQ(game.wait_exit(30.0), 0) << game.err();
    }
    ASSERT_GE(title.size(), 10u);
    ASSERT_GE(game_start.size(), 10u);

    // The texts alone, drawn the game's way in a window of the same size.
    open(window_width, window_height);
    LevelState title_state;
    title_state.load(&empty_level);
    Ball ball;
    ball.reset(title_state);
    const Frame attract = render(flow_in(Attract, Attract, 0.25f), title_state, ball, Vec2(0, 0), true);
    const Vec2 far_gems[] = {Vec2(100, 100), Vec2(101, 100), Vec2(102, 100)};
    const LevelData three_gems{Vec2(3, 2), 0, nullptr, 0, nullptr, 3, far_gems};
    LevelState level_one;
    level_one.load(&three_gems);
    GameFlow playing = flow_in(ZoomIn, Playing);
    playing.time_left = 60.0f;
    const Frame hud = render(playing, level_one, ball, Vec2(0, 0), true);

    const TextMask press_start = mask_of(attract, Box{210, 290, 429, 309});
    const TextMask gems = mask_of(hud, Box{10, 448, 49, 467});     // "$3"
    const TextMask clock = mask_of(hud, Box{280, 448, 359, 467});  // "1:00"
    ASSERT_GT(press_start.x.size(), 200u);
    ASSERT_GT(gems.x.size(), 40u);
    ASSERT_GT(clock.x.size(), 60u);

    // "press start" blinks on the title: whole in some frames, gone in others.
    const Shares blink = shares(title, press_start);
    EXPECT_GE(blink.high, 0.97);
    EXPECT_LE(blink.low, 0.7);
    // The gem count and the clock stay hidden until the game starts...
    EXPECT_LE(shares(title, gems).high, 0.7);
    EXPECT_LE(shares(title, clock).high, 0.7);
    // ...and then show "$3" and "1:00".
    EXPECT_GE(shares(game_start, gems).high, 0.97);
    EXPECT_GE(shares(game_start, clock).high, 0.97);
}

}  // namespace
