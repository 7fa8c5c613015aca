// The HUD's texts by game state: which are shown, where, and with what
// values; the clock's rounding and the blink.
#include "app/hud.h"

#include <gtest/gtest.h>

#include <string>

#include "content/text.h"

namespace {

const HudInputs screen_640{640, 480, 2500, 4100, 3};

GameFlow flow_in(GameState state, GameState next_state, float state_time = 0.0f,
                 float time_left = 60.0f) {
    GameFlow flow;
    flow.state = state;
    flow.next_state = next_state;
    flow.state_time = state_time;
    flow.time_left = time_left;
    return flow;
}

std::string formatted(const HudText& t) {
    char out[text_buffer_size];
    format_text(out, t.format, t.first, t.second);
    return out;
}

// The texts of a frame as drawn, joined with '|'.
std::string shown(const HudTexts& hud) {
    std::string all;
    for (int32_t i = 0; i < hud.count; ++i) {
        if (i > 0) all += '|';
        all += formatted(hud.texts[i]);
    }
    return all;
}

const HudText* find(const HudTexts& hud, const std::string& format) {
    for (int32_t i = 0; i < hud.count; ++i) {
        if (format == hud.texts[i].format) return &hud.texts[i];
    }
    return nullptr;
}

TEST(HudClock, ShowsTheCeilingOfTheRemainingTime) {
    const struct {
        float time_left;
        const char* shown;
    } cases[] = {
        {60.0f, "1:00"}, {59.2f, "1:00"}, {59.0f, "0:59"}, {0.3f, "0:01"},
        {75.3f, "1:16"}, {0.0f, "0:00"}, {120.0f, "2:00"}, {9.5f, "0:10"},
        {0.0001f, "0:01"},
    };
    for (const auto& c : cases) {
        const HudTexts hud = hud_texts(flow_in(Playing, Playing, 0, c.time_left), screen_640);
        const HudText* clock = find(hud, "%d:%02d");
        ASSERT_NE(clock, nullptr);
        EXPECT_EQ(formatted(*clock), c.shown) << c.time_left;
    }
}

TEST(HudTable, TextsByStatePair) {
    // Blinking texts are in their shown half-second here (state_time 0.25).
    const struct {
        GameState state;
        GameState next_state;
        const char* texts;
    } cases[] = {
        {ZoomIn, Attract, "hi 4100|score 2500"},
        {Attract, Attract, "hi 4100|score 2500|press start"},
        {Attract, Playing, "hi 4100|score 2500|press start"},
        {ZoomOut, NewGame, "hi 4100|score 2500"},
        {NewGame, NewGame, "hi 4100|score 2500"},
        {ZoomIn, Playing, "hi 4100|score 2500|$3|0:42"},
        {Playing, Playing, "hi 4100|score 2500|$3|0:42"},
        {ZoomOut, ZoomIn, "hi 4100|score 2500|$3|0:42"},
        {GameOver, Playing, "hi 4100|score 2500|$3|0:42|game over"},
        {ZoomOut, EnterTitle, "hi 4100|score 2500|$3|0:42"},
        {EnterTitle, EnterTitle, "hi 4100|score 2500|$3|0:42"},
    };
    for (const auto& c : cases) {
        const HudTexts hud = hud_texts(flow_in(c.state, c.next_state, 0.25f, 41.5f), screen_640);
        EXPECT_EQ(shown(hud), c.texts) << "state " << c.state << " next " << c.next_state;
    }
}

TEST(HudLayout, PositionsInPixels) {
    const struct {
        int32_t width;
        int32_t height;
        GameState state;
        const char* format;
        float x;
        float y;
    } cases[] = {
        {640, 480, Playing, "hi %d", 10, 10},
        {640, 480, Playing, "score %d", 410, 10},
        {640, 480, Playing, "$%d", 10, 448},
        {640, 480, Playing, "%d:%02d", 280, 448},
        {640, 480, Attract, "press start", 210, 290},
        {640, 480, GameOver, "game over", 230, 290},
        // Odd sizes: the halves are truncated before use.
        {641, 481, Playing, "%d:%02d", 280, 449},
        {641, 481, Playing, "score %d", 411, 10},
        {641, 481, Attract, "press start", 210, 290},
        {1024, 768, Playing, "%d:%02d", 472, 736},
        {1024, 768, GameOver, "game over", 422, 434},
    };
    for (const auto& c : cases) {
        const HudInputs in{c.width, c.height, 0, 0, 1};
        const HudTexts hud = hud_texts(flow_in(c.state, Playing), in);
        const HudText* text = find(hud, c.format);
        ASSERT_NE(text, nullptr) << c.format;
        EXPECT_EQ(text->pos.x, c.x) << c.format << " at " << c.width;
        EXPECT_EQ(text->pos.y, c.y) << c.format << " at " << c.width;
    }
}

TEST(HudBlink, ShownInTheFirstHalfOfEachSecond) {
    const struct {
        float state_time;
        bool shown;
    } cases[] = {
        {0.0f, true}, {0.49f, true}, {0.5f, false}, {0.99f, false},
        {1.0f, true}, {1.25f, true}, {3.75f, false}, {4.0f, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(blink_visible(c.state_time), c.shown) << c.state_time;
        const HudTexts title = hud_texts(flow_in(Attract, Attract, c.state_time), screen_640);
        EXPECT_EQ(find(title, "press start") != nullptr, c.shown) << c.state_time;
        const HudTexts over = hud_texts(flow_in(GameOver, Playing, c.state_time), screen_640);
        EXPECT_EQ(find(over, "game over") != nullptr, c.shown) << c.state_time;
    }
    // Neither message blinks in any other state.
    for (GameState s : {ZoomIn, Playing, ZoomOut, NewGame, EnterTitle}) {
        const HudTexts hud = hud_texts(flow_in(s, Playing, 0.1f), screen_640);
        EXPECT_EQ(find(hud, "press start"), nullptr) << s;
        EXPECT_EQ(find(hud, "game over"), nullptr) << s;
    }
}

}  // namespace
