// The geometry of the aim line the body draws, kept apart from the drawing so
// that it can be checked without a window. (The rope's start is the body's
// own rope_line_start.)
#pragma once

#include "physics/vec2.h"

// Length of the aim line beyond the rim, world units: with a unit aim it ends
// 2.2 units from the centre, the reach of a flying rope.
constexpr float aim_line_length = 2.075f;

// The aim line from the body's rim along aim; both ends sit on pos for a zero aim.
void aim_line(Vec2 pos, Vec2 aim, Vec2 out[2]);
