// The real game played from the outside under Xvfb: the title with its
// blinking "press start", a click that starts a game, level 1's gem count and
// clock, and Escape. The game's frames are read from the X server; the texts
// it should show are drawn in this process with the game's drawing code,
// itself checked against the figures by the drawing tests.
#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "game_process.h"
#include "tests/window/draw_window.h"

namespace {

constexpr int width = 640, height = 480;

using Rgb = std::vector<uint8_t>;  // a capture, rows top to bottom

// Captures for the given seconds, and on a machine too busy for ten
// captures in that time, on until there are ten (at most 30 s): what is
// looked for stays on screen that long.
std::vector<Rgb> capture_for(unsigned long window, double seconds) {
    std::vector<Rgb> frames;
    const double start = monotonic_seconds();
    for (double now = start; now < start + seconds || (frames.size() < 10 && now < start + 30);
         now = monotonic_seconds()) {
        Rgb frame = capture(window, width, height);
        if (!frame.empty()) frames.push_back(std::move(frame));
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    return frames;
}

// The lit pixels of a text drawn alone, as (green byte of a capture, green).
std::vector<std::pair<size_t, int>> text_mask(const Frame& alone, const Box& box) {
    std::vector<std::pair<size_t, int>> mask;
    for (int y = box.y0; y <= box.y1; ++y) {
        for (int x = box.x0; x <= box.x1; ++x) {
            if (alone.lit(x, y)) mask.emplace_back((static_cast<size_t>(y) * width + x) * 3 + 1, alone.at(x, y).g);
        }
    }
    return mask;
}

// The lowest and highest share over the frames of the text's pixels that are
// at least as bright in the game's frame (the world may add light under a
// text, up to the rounding of the blend).
std::pair<double, double> shown_shares(const std::vector<Rgb>& frames, const std::vector<std::pair<size_t, int>>& mask) {
    double low = 1, high = 0;
    for (const Rgb& f : frames) {
        const auto shown = std::count_if(mask.begin(), mask.end(), [&f](auto p) { return f[p.first] + 12 >= p.second; });
        low = std::min(low, static_cast<double>(shown) / mask.size());
        high = std::max(high, static_cast<double>(shown) / mask.size());
    }
    return {low, high};
}

class PlayEndToEnd : public DrawWindow {};

TEST_F(PlayEndToEnd, TitleBlinksAClickStartsLevelOneAndEscapeQuits) {
    std::vector<Rgb> title, game_start;
    {
        GameProcess game({"--windowed"});
        ASSERT_TRUE(game.started());
        const auto window = wait_for_window(game, width, height, 60);
        ASSERT_TRUE(window) << game.err();
        // The zoom-in on the title (1 s), then the attract screen's blink.
        title = capture_for(window->id, 4);
        ASSERT_TRUE(xdotool("mousemove " + std::to_string(window->x + 320) + " " + std::to_string(window->y + 240) +
                            " click 1"));
        // The zoom-out, a new game, the zoom-in on level 1 and its first second.
        game_start = capture_for(window->id, 4);
        ASSERT_TRUE(xdotool("key Escape"));
        EXPECT_EQ(game.wait_exit(30), 0);
        EXPECT_EQ(game.err(), "");
    }
    ASSERT_GE(title.size(), 10u);
    ASSERT_GE(game_start.size(), 10u);

    // The texts alone, drawn in this process the game's way.
    open(width, height);
    const LevelData empty{Vec2(3, 2), 0, nullptr, 0, nullptr, 0, nullptr};
    LevelState level;
    level.load(&empty);
    Ball ball;
    ball.reset(level);
    GameFlow flow;
    flow.state = flow.next_state = Attract;
    flow.state_time = 0.25f;
    const auto press_start = text_mask(render(flow, level, ball, Vec2(0, 0), true), Box{210, 290, 429, 309});
    flow.state = ZoomIn;
    flow.next_state = Playing;
    flow.time_left = 60;
    level.gems_left = 3;
    const Frame playing = render(flow, level, ball, Vec2(0, 0), true);
    const auto gems = text_mask(playing, Box{10, 448, 49, 467});     // "$3"
    const auto clock = text_mask(playing, Box{280, 448, 359, 467});  // "1:00"
    ASSERT_GT(press_start.size(), 200u);
    ASSERT_GT(gems.size(), 40u);
    ASSERT_GT(clock.size(), 60u);

    // "press start" blinks on the title: whole in some frames, gone in others.
    EXPECT_GE(shown_shares(title, press_start).second, 0.97);
    EXPECT_LE(shown_shares(title, press_start).first, 0.7);
    // The gem count and the clock stay hidden until the game starts, then
    // show "$3" and "1:00".
    EXPECT_LE(shown_shares(title, gems).second, 0.7);
    EXPECT_LE(shown_shares(title, clock).second, 0.7);
    EXPECT_GE(shown_shares(game_start, gems).second, 0.97);
    EXPECT_GE(shown_shares(game_start, clock).second, 0.97);
}

}  // namespace
