// Real frames of the world under the camera: the body at the centre, a level
// point moving with the zoom, the aim line and the rope only while playing,
// collected gems gone, and the colour and additive blending of the lines.
#include <cmath>

#include "tests/window/draw_window.h"

namespace {

// A small plus sign of two 0.1-unit lines crossing at world (4, 2).
const Vec2 plus_lines[] = {Vec2(3.95f, 2), Vec2(4.05f, 2), Vec2(4, 1.95f), Vec2(4, 2.05f)};
const Vec2 two_gems[] = {Vec2(2, 1), Vec2(4.5f, 3)};
const LevelData plus_level{Vec2(3, 2), 4, plus_lines, 0, nullptr, 2, two_gems};

// The HUD's rows, left out when looking for stray light in the world.
const Box hud_top{0, 0, 639, 35};
const Box hud_bottom{0, 440, 639, 479};

class WorldDraw : public DrawWindow {
protected:
    void SetUp() override {
        DrawWindow::SetUp();
        open(640, 480);
    }
    Ball ball_at(Vec2 pos) {
        Ball ball;
        ball.pos = pos;
        ball.aim = Vec2(1, 0);
        ball.rope_state = Idle;
        return ball;
    }
};

TEST_F(WorldDraw, BodySitsAtTheCentreOfTheScreen) {
    LevelState level;
    level.load(&empty_level);
    const struct {
        Vec2 pos;
        float zoom;
        float ring;  // outline radius in pixels
    } cases[] = {
        {Vec2(3, 2), 1.0f, 12.1f},
        {Vec2(-7.3f, 12.6f), 1.0f, 12.1f},
        {Vec2(0.5f, 0.25f), 3.0f, 36.3f},
    };
    for (const auto& c : cases) {
        GameFlow flow = flow_in(ZoomIn, Attract);
        flow.zoom = c.zoom;
        const Frame frame = render(flow, level, ball_at(c.pos), Vec2(0, 0), true);
        // The outline's centre is 0.005 units above the cell's centre.
        const float cy = 240.0f - 0.5f * c.zoom;
        const int r = static_cast<int>(std::lround(c.ring));
        const int ring_points[][2] = {{320 + r, 0}, {320 - r, 0}, {320, -r}, {320, r}};
        for (const auto& p : ring_points) {
            const int y = static_cast<int>(std::lround(cy + p[1]));
            EXPECT_GT(frame.lit_count(Box{p[0] - 1, y - 1, p[0] + 1, y + 1}), 0)
                << "zoom " << c.zoom << " ring at " << p[0] << "," << y;
        }
        // The right half of the inside is empty (the hatching is on the left).
        EXPECT_FALSE(frame.lit(320 + r / 2, 240)) << "zoom " << c.zoom;
        const int reach = r + 3;
        EXPECT_EQ(frame.light_outside({hud_top, hud_bottom,
                                       Box{320 - reach, 240 - reach, 320 + reach, 240 + reach}}),
                  "")
            << "zoom " << c.zoom;
    }
}

TEST_F(WorldDraw, LevelPointFollowsTheCameraAndTheZoom) {
    LevelState level;
    level.load(&plus_level);
    level.gem_present[0] = level.gem_present[1] = 0;
    const struct {
        float zoom;
        int x;  // where world (4, 2) lands with the body at (3, 2)
        int arm;
    } cases[] = {{1.0f, 420, 5}, {2.0f, 520, 10}};
    for (const auto& c : cases) {
        GameFlow flow = flow_in(ZoomIn, Attract);
        flow.zoom = c.zoom;
        const Frame frame = render(flow, level, ball_at(Vec2(3, 2)), Vec2(0, 0), true);
        EXPECT_TRUE(frame.lit(c.x, 240)) << "zoom " << c.zoom;
        // Both arms of the plus reach their ends and no further.
        for (int d : {-1, 1}) {
            EXPECT_TRUE(frame.lit(c.x + d * (c.arm - 2), 240)) << "zoom " << c.zoom;
            EXPECT_TRUE(frame.lit(c.x, 240 + d * (c.arm - 2))) << "zoom " << c.zoom;
        }
        const int reach = c.arm + 3;
        EXPECT_EQ(frame.light_outside({hud_top, hud_bottom, Box{290, 210, 350, 270},
                                       Box{c.x - reach, 240 - reach, c.x + reach, 240 + reach}}),
                  "")
            << "zoom " << c.zoom;
    }
}

TEST_F(WorldDraw, LinesAddUpInTheOneColour) {
    LevelState level;
    level.load(&plus_level);
    const Frame frame = render(flow_in(ZoomIn, Attract), level, ball_at(Vec2(3, 2)), Vec2(0, 0), true);
    // Background: (0, 0.1, 0) of 255.
    const Pixel background = frame.at(600, 200);
    EXPECT_EQ(background.r, 0);
    EXPECT_NEAR(background.g, 26, 1);
    EXPECT_EQ(background.b, 0);
    // One line, fully covered: background plus 0.3 x (0.8, 1, 0.8).
    const Pixel arm = frame.at(420, 236);
    EXPECT_NEAR(arm.r, 61, 6);
    EXPECT_NEAR(arm.g, 102, 6);
    EXPECT_NEAR(arm.b, 61, 6);
    // Where the two arms cross the light is added twice.
    const Pixel centre = frame.at(420, 240);
    EXPECT_NEAR(centre.r, 122, 10);
    EXPECT_NEAR(centre.g, 178, 10);
    EXPECT_NEAR(centre.b, 122, 10);
}

TEST_F(WorldDraw, AimLineAndRopeOnlyWhilePlaying) {
    LevelState level;
    level.load(&empty_level);
    // Aim to the right along row 240; the hook straight above at (3, 0.8),
    // pixel (320, 120).
    const Box aim_row{336, 239, 536, 240};
    const Box rope_column{319, 124, 320, 224};
    const int rope_pixels = 2 * (224 - 124 + 1);
    const struct {
        GameState state;
        bool paused;
        RopeState rope;
        bool aim_shown;
        bool rope_shown;
    } cases[] = {
        {Playing, false, Idle, true, false},
        {Playing, false, Flying, true, true},
        {Playing, false, Attached, true, true},
        {Playing, true, Attached, true, true},
        {ZoomIn, false, Attached, false, false},
        {ZoomOut, false, Flying, false, false},
        {GameOver, false, Attached, false, false},
        {Attract, false, Attached, false, false},
    };
    for (const auto& c : cases) {
        Ball ball = ball_at(Vec2(3, 2));
        ball.rope_state = c.rope;
        ball.hook_pos = Vec2(3, 0.8f);
        GameFlow flow = flow_in(c.state, Playing);
        flow.paused = c.paused;
        const Frame frame = render(flow, level, ball, Vec2(0, 0), true);
        const int aim_lit = frame.lit_count(aim_row);
        const int aim_pixels = 2 * (536 - 336 + 1);
        if (c.aim_shown) {
            // Dashed: 4 pixels lit in every 16.
            EXPECT_GT(aim_lit, aim_pixels / 8) << "state " << c.state;
            EXPECT_LT(aim_lit, aim_pixels / 2) << "state " << c.state;
        } else {
            EXPECT_EQ(aim_lit, 0) << "state " << c.state;
        }
        // The rope is solid, the stipple being off again.
        EXPECT_EQ(frame.lit_count(rope_column), c.rope_shown ? rope_pixels : 0)
            << "state " << c.state << " rope " << c.rope;
        // The rope leaves from the rim, not from the centre.
        EXPECT_FALSE(frame.lit(320, 236)) << "state " << c.state;
        // Beyond the aim line's end (2.2 units, pixel 540) all is dark.
        EXPECT_EQ(frame.lit_count(Box{545, 230, 639, 250}), 0) << "state " << c.state;
    }
}

TEST_F(WorldDraw, CollectedGemsDisappear) {
    LevelState level;
    level.load(&plus_level);
    // With the body at (3, 2) the gems stand at pixels (220, 140) and (470, 340).
    const Box gem_boxes[] = {Box{192, 112, 248, 168}, Box{442, 312, 498, 368}};
    const struct {
        uint8_t present[2];
    } cases[] = {{{1, 1}}, {{0, 1}}, {{1, 0}}, {{0, 0}}};
    for (const auto& c : cases) {
        level.gem_present[0] = c.present[0];
        level.gem_present[1] = c.present[1];
        const Frame frame = render(flow_in(Playing, Playing), level, ball_at(Vec2(3, 2)),
                                   Vec2(0, 0), true);
        for (int i = 0; i < 2; ++i) {
            const int lit = frame.lit_count(gem_boxes[i]);
            if (c.present[i]) {
                EXPECT_GT(lit, 60) << "gem " << i;
                // The figure spans about 0.41 x 0.45 units around the gem.
                EXPECT_EQ(frame.lit_count(Box{gem_boxes[i].x0 + 3, gem_boxes[i].y0 + 3,
                                              gem_boxes[i].x1 - 3, gem_boxes[i].y1 - 3}),
                          lit)
                    << "gem " << i;
            } else {
                EXPECT_EQ(lit, 0) << "gem " << i;
            }
        }
    }
}

}  // namespace
