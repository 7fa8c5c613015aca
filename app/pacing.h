// Frame pacing: a frame goes ahead once more than 1/120 s has passed since
// the previous one, measured on SDL's millisecond tick counter.
#pragma once

#include <cstdint>

// Frames closer together than this never go ahead, in seconds. Compared
// with the frame's f32 time step widened to double.
constexpr double min_frame_seconds = 1.0 / 120.0;

// One reading of the tick counter. When the frame may go ahead, stores its
// time step in `dt` (seconds, unclamped), moves `last_ticks` to `now` and
// returns true; otherwise changes nothing and returns false. The difference
// is taken in unsigned 32-bit arithmetic so that it survives the counter's
// wrap after about 49.7 days.
bool frame_ready(uint32_t now, uint32_t& last_ticks, float& dt);

// Sleeps 1 ms between readings of SDL's clock until frame_ready lets the
// frame go; returns its time step in seconds.
float wait_for_frame(uint32_t& last_ticks);
