// The HUD's choice of texts, their positions and their values.
#include "app/hud.h"

#include <math.h>

namespace {

// Pixel offsets of the texts. The bottom texts' cells end 12 pixels above
// the bottom edge; the centred texts stand 50 pixels below the body.
constexpr int32_t hud_margin = 10;
constexpr int32_t score_from_right = 230;  // room for 11 cells
constexpr int32_t bottom_row_from_bottom = 32;
constexpr int32_t clock_half_width = 40;         // 4 cells, "1:00"
constexpr int32_t press_start_half_width = 110;  // 11 cells
constexpr int32_t game_over_half_width = 90;     // 9 cells
constexpr int32_t message_below_centre = 50;

constexpr int32_t seconds_per_minute = 60;
constexpr float blink_period = 1.0f;     // seconds
constexpr float blink_shown_for = 0.5f;  // seconds at the start of each period

// Positions are computed in integers (screen halves truncated) and only the
// result becomes a float.
Vec2 at(int32_t x, int32_t y) {
    return Vec2(static_cast<float>(x), static_cast<float>(y));
}

}  // namespace

int32_t clock_seconds(float time_left) {
    return static_cast<int32_t>(ceil(time_left));
}

bool blink_visible(float state_time) {
    return fmodf(state_time, blink_period) < blink_shown_for;
}

bool game_counters_visible(const GameFlow& flow) {
    return !(flow.state == Attract || flow.next_state == Attract ||
             flow.next_state == NewGame);
}

HudTexts hud_texts(const GameFlow& flow, const HudInputs& in) {
    HudTexts hud{};
    auto add = [&hud](Vec2 pos, const char* format, int32_t first, int32_t second) {
        hud.texts[hud.count++] = HudText{pos, format, first, second};
    };
    const int32_t half_width = in.screen_width / 2;
    const int32_t half_height = in.screen_height / 2;
    const int32_t bottom_row = in.screen_height - bottom_row_from_bottom;

    add(at(hud_margin, hud_margin), "hi %d", in.hi_score, 0);
    add(at(in.screen_width - score_from_right, hud_margin), "score %d", in.score, 0);
    if (game_counters_visible(flow)) {
        add(at(hud_margin, bottom_row), "$%d", in.gems_left, 0);
        const int32_t s = clock_seconds(flow.time_left);
        add(at(half_width - clock_half_width, bottom_row), "%d:%02d",
            s / seconds_per_minute, s % seconds_per_minute);
    }
    if (flow.state == Attract && blink_visible(flow.state_time)) {
        add(at(half_width - press_start_half_width, half_height + message_below_centre),
            "press start", 0, 0);
    } else if (flow.state == GameOver && blink_visible(flow.state_time)) {
        add(at(half_width - game_over_half_width, half_height + message_below_centre),
            "game over", 0, 0);
    }
    return hud;
}
