// The player's body: a small circle under gravity with a grappling rope.
#pragma once

#include <cstdint>

#include "physics/control_input.h"
#include "physics/vec2.h"

class LevelState;

// Radius of the body's circle, world units; the hook is launched from the rim.
constexpr float body_radius = 0.125f;

enum RopeState : int32_t {
    Idle = 0,      // no rope
    Flying = 1,    // the hook is travelling
    Attached = 2,  // the hook holds on a wall and the rope pulls
};

struct Ball {
    // Gives every field a defined value; the aim starts straight up.
    Ball();

    // Places the body at the level's start, at rest, with no rope; the aim
    // carries over.
    void reset(LevelState& level);
    // Advances the body by dt seconds (at most 0.25 s of a longer frame):
    // aim, gravity, rope, swept move, gems.
    void update(float dt, const ControlInput& input);
    // Sweeps the body along fraction of its frame step, bouncing at most
    // depth more times.
    void move(float fraction, int32_t depth, float dt);
    const Vec2& position() const { return pos; }
    // Draws the body, and while playing the aim line and the rope.
    void draw(bool playing) const;

    Vec2 pos;
    Vec2 vel;
    Vec2 aim;
    Vec2 hook_vel;
    Vec2 hook_pos;
    float rope_len;
    LevelState* level;
    RopeState rope_state;
};

// Where the drawn rope leaves the body: on the rim toward the hook, or the
// centre itself when the hook lies there and there is no direction to it.
Vec2 rope_line_start(const Ball& ball);
