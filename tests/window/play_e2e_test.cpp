// The real game played from the outside under Xvfb: the title with its
// blinking "press start", a click that starts a game, level 1's gem count and
// clock, and Escape. The game's frames are read from the X server; the texts
// it should show are drawn in this process with the game's drawing code,
// itself checked against the figures by the drawing tests.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "app/frame_draw.h"
#include "app/globals.h"
#include "game_process.h"
#include "physics/ball.h"
#include "physics/level.h"

namespace {

constexpr int width = 640, height = 480;
constexpr int light = 40;  // green above the background's 26: a line's light

using Rgb = std::vector<uint8_t>;  // rows top to bottom

std::vector<Rgb> capture_for(unsigned long window, double seconds) {
    std::vector<Rgb> frames;
    for (const double end = monotonic_seconds() + seconds; monotonic_seconds() < end;) {
        Rgb frame = capture(window, width, height);
        if (!frame.empty()) frames.push_back(std::move(frame));
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
    }
    return frames;
}

// The lit pixels of a text drawn alone, as (index, green) pairs.
std::vector<std::pair<size_t, int>> text_mask(const Rgb& alone, int x0, int y0, int x1, int y1) {
    std::vector<std::pair<size_t, int>> mask;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const size_t i = (static_cast<size_t>(y) * width + x) * 3 + 1;
            if (alone[i] >= light) mask.emplace_back(i, alone[i]);
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

// The frame render_frame draws, rows top to bottom like a capture.
Rgb drawn(GameState state, GameState next_state, float state_time, int32_t gems) {
    static const LevelData empty{Vec2(3, 2), 0, nullptr, 0, nullptr, 0, nullptr};
    LevelState level;
    level.load(&empty);
    level.gems_left = gems;
    Ball ball;
    ball.reset(level);
    GameFlow flow;
    flow.state = state;
    flow.next_state = next_state;
    flow.state_time = state_time;
    flow.time_left = 60;
    render_frame(flow, level, ball, Vec2(0, 0), true);
    Rgb rgb(width * height * 3);
    for (int y = 0; y < height; ++y) {
        glReadPixels(0, height - 1 - y, width, 1, GL_RGB, GL_UNSIGNED_BYTE, &rgb[y * width * 3]);
    }
    return rgb;
}

TEST(PlayEndToEnd, TitleBlinksAClickStartsLevelOneAndEscapeQuits) {
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

    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    ASSERT_NE(SDL_SetVideoMode(width, height, 32, SDL_OPENGL), nullptr) << SDL_GetError();
    screen_width = width;
    screen_height = height;
    init_gl_state();
    const auto press_start = text_mask(drawn(Attract, Attract, 0.25f, 0), 210, 290, 429, 309);
    const Rgb playing = drawn(ZoomIn, Playing, 0, 3);
    const auto gems = text_mask(playing, 10, 448, 49, 467);     // "$3"
    const auto clock = text_mask(playing, 280, 448, 359, 467);  // "1:00"
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
