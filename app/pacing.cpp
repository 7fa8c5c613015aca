// Frame pacing on SDL's millisecond clock.
#include "app/pacing.h"

#include <SDL.h>

bool frame_ready(uint32_t now, uint32_t& last_ticks, float& dt) {
    const uint32_t elapsed_ms = now - last_ticks;
    // Every u32 is exact as a double, even after a stall of hours.
    const float step = static_cast<float>(static_cast<double>(elapsed_ms) / 1000.0);
    if (static_cast<double>(step) <= min_frame_seconds) return false;
    last_ticks = now;
    dt = step;
    return true;
}

float wait_for_frame(uint32_t& last_ticks) {
    float dt = 0.0f;
    while (!frame_ready(SDL_GetTicks(), last_ticks, dt)) SDL_Delay(1);
    return dt;
}
