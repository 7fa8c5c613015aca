// Real frames of the HUD: every text in its cells at its pixel position, no
// light around them, the blinking and hidden texts absent, and the pointer
// cross only without a joystick.
#include <cstring>

#include "content/shapes.h"
#include "tests/window/draw_window.h"

namespace {

struct PlacedText {
    int x;
    int y;
    const char* text;
};

constexpr int cell = 20;  // pixels per character

Box text_box(const PlacedText& t) {
    const int cells = static_cast<int>(std::strlen(t.text));
    return Box{t.x, t.y, t.x + cells * cell - 1, t.y + cell - 1};
}

// Light in every cell that has a glyph, none in the empty cells, and none in
// a 6-pixel band around the text.
void expect_text(const Frame& frame, const PlacedText& t) {
    SCOPED_TRACE(t.text);
    for (size_t i = 0; t.text[i] != '\0'; ++i) {
        const int x0 = t.x + static_cast<int>(i) * cell;
        const int lit = frame.lit_count(Box{x0, t.y, x0 + cell - 1, t.y + cell - 1});
        if (find_glyph(static_cast<unsigned char>(t.text[i])) != nullptr) {
            EXPECT_GT(lit, 4) << "cell " << i;
        } else {
            EXPECT_EQ(lit, 0) << "cell " << i;
        }
    }
    const Box inside = text_box(t);
    const Box band{inside.x0 - 6, inside.y0 - 6, inside.x1 + 6, inside.y1 + 6};
    EXPECT_EQ(frame.lit_count(band), frame.lit_count(inside));
}

class HudDraw : public DrawWindow {};

TEST_F(HudDraw, TextsStandAtTheirPositions) {
    LevelState level;
    level.load(&empty_level);
    Ball ball;
    ball.pos = Vec2(3, 2);
    ball.aim = Vec2(1, 0);  // while playing, the aim line runs to pixel (540, 240)
    ball.rope_state = Idle;
    const struct {
        GameState state;
        GameState next_state;
        float state_time;
        std::vector<PlacedText> texts;
    } cases[] = {
        {Playing, Playing, 0.7f,
         {{10, 10, "hi 4100"}, {410, 10, "score 2500"}, {10, 448, "$3"}, {280, 448, "0:42"}}},
        {Attract, Attract, 1.25f, {{10, 10, "hi 4100"}, {410, 10, "score 2500"}, {210, 290, "press start"}}},
        // The second half of each second hides the blinking text.
        {Attract, Attract, 1.75f, {{10, 10, "hi 4100"}, {410, 10, "score 2500"}}},
        {GameOver, Playing, 0.25f,
         {{10, 10, "hi 4100"}, {410, 10, "score 2500"}, {10, 448, "$3"}, {280, 448, "0:42"},
          {230, 290, "game over"}}},
        {GameOver, Playing, 2.5f,
         {{10, 10, "hi 4100"}, {410, 10, "score 2500"}, {10, 448, "$3"}, {280, 448, "0:42"}}},
        {ZoomOut, NewGame, 0.5f, {{10, 10, "hi 4100"}, {410, 10, "score 2500"}}},
    };
    open(640, 480);
    score = 2500;
    hi_score = 4100;
    level.gems_left = 3;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "state " << c.state << " at " << c.state_time);
        GameFlow flow = flow_in(c.state, c.next_state, c.state_time);
        const Frame frame = render(flow, level, ball, Vec2(0, 0), true);
        std::vector<Box> allowed = {Box{300, 220, 340, 260}, Box{330, 236, 545, 244}};
        for (const PlacedText& t : c.texts) {
            expect_text(frame, t);
            allowed.push_back(text_box(t));
        }
        // Nothing else is drawn: hidden texts leave no light.
        EXPECT_EQ(frame.light_outside(allowed), "");
    }
}

TEST_F(HudDraw, OddWindowSizeTruncatesTheHalves) {
    open(641, 481);
    LevelState level;
    level.load(&empty_level);
    level.gems_left = 12;
    Ball ball;
    ball.pos = Vec2(3, 2);
    ball.rope_state = Idle;
    const Frame frame = render(flow_in(Playing, Playing), level, ball, Vec2(0, 0), true);
    expect_text(frame, {10, 10, "hi 0"});
    expect_text(frame, {411, 10, "score 0"});
    expect_text(frame, {10, 449, "$12"});
    expect_text(frame, {280, 449, "0:42"});
}

TEST_F(HudDraw, PointerCrossOnlyWithoutAJoystick) {
    open(640, 480);
    LevelState level;
    level.load(&empty_level);
    Ball ball;
    ball.pos = Vec2(3, 2);
    ball.rope_state = Idle;
    const Vec2 pointer(100, 300);
    for (bool joystick_open : {false, true}) {
        SCOPED_TRACE(joystick_open ? "joystick" : "mouse");
        const Frame frame = render(flow_in(ZoomIn, Attract), level, ball, pointer, joystick_open);
        // Four short diagonals from the corners (+-6, +-6) toward the pointer.
        int corners_lit = 0;
        for (int dx : {-4, 4}) {
            for (int dy : {-4, 4}) {
                corners_lit += frame.lit_count(Box{100 + dx - 1, 300 + dy - 1, 100 + dx, 300 + dy}) > 0;
            }
        }
        EXPECT_EQ(corners_lit, joystick_open ? 0 : 4);
        // The pointer's own spot stays free, and the cross is unscaled.
        EXPECT_FALSE(frame.lit(100, 300));
        EXPECT_EQ(frame.light_outside({Box{0, 0, 639, 35}, Box{300, 220, 340, 260},
                                       Box{92, 292, 108, 308}}),
                  "");
    }
}

}  // namespace
