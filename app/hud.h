// Which HUD texts a frame shows, where and with what values: decided from the
// game-flow variables alone, so it can be checked without a window.
#pragma once

#include <cstdint>

#include "app/game_flow.h"
#include "physics/vec2.h"

// One HUD text: a draw_text call with up to two integer arguments (a format
// that takes fewer ignores the rest).
struct HudText {
    Vec2 pos;  // top left corner of the first cell, pixels
    const char* format;
    int32_t first;
    int32_t second;
};

// The HUD of one frame, in drawing order.
struct HudTexts {
    static constexpr int32_t capacity = 5;
    HudText texts[capacity];
    int32_t count;
};

// What the HUD reads besides the game-flow variables.
struct HudInputs {
    int32_t screen_width;   // pixels
    int32_t screen_height;  // pixels
    int32_t score;
    int32_t hi_score;
    int32_t gems_left;
};

// The level clock in whole seconds as shown: the ceiling of time_left.
int32_t clock_seconds(float time_left);

// The blinking texts show in the first half of every second of state_time.
bool blink_visible(float state_time);

// The gem count and the clock belong to a game; the title and the way into a
// new game hide them.
bool game_counters_visible(const GameFlow& flow);

HudTexts hud_texts(const GameFlow& flow, const HudInputs& in);
