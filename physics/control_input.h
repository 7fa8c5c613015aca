// The player's controls as the body sees them, one record for the whole run.
#pragma once

#include <cstdint>

#include "physics/vec2.h"

struct ControlInput {
    ControlInput() : aim(0.0f, 0.0f), held(0), pressed(0), frozen(0) {}

    Vec2 aim;         // aiming input of this frame, not normalised
    uint8_t held;     // 1 while a fire control is down
    uint8_t pressed;  // 1 when a fire control went down during this frame
    uint8_t frozen;   // set by the game flow: no rope controls, no gems
};
