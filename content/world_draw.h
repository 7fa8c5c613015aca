// The geometry of the lines the body draws around itself, kept apart from
// the drawing so that it can be checked without a window.
#pragma once

#include "physics/vec2.h"

// Radius of the body's rim, world units: the aim line and the rope start here.
constexpr float body_rim_radius = 0.125f;
// Length of the aim line beyond the rim, world units: with a unit aim it ends
// 2.2 units from the centre, the reach of a flying rope.
constexpr float aim_line_length = 2.075f;

// The aim line from the rim along aim; both ends sit on pos for a zero aim.
void aim_line(Vec2 pos, Vec2 aim, Vec2 out[2]);

// The rope from the rim toward the hook, to the hook. With the hook exactly
// at the body's centre there is no direction: the rope then starts at the
// centre instead of at a NaN point.
void rope_line(Vec2 pos, Vec2 hook_pos, Vec2 out[2]);
