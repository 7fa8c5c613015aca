// The body's benchmark scenes on any level: at rest on a floor, falling,
// hanging on the rope, the hook in flight and wedged in a corner, as the
// starting state of one frame.
#pragma once

#include <cstdint>

#include "physics/ball.h"
#include "physics/control_input.h"
#include "physics/level.h"

enum class Scene : int32_t {
    Resting,
    Falling,
    Hanging,
    HookFlying,
    Wedged
};
constexpr int32_t scene_count = 5;

const char* scene_name(Scene scene);

// The frame's length in every scene, seconds.
constexpr float scene_dt = 1.0f / 60.0f;

// The body (reset on level, which must be loaded) and the controls of the
// frame. The scenes are found by playing the level's own physics, so they
// differ from level to level but are the same every run.
struct SceneStart {
    Ball ball;
    ControlInput input;
};
SceneStart make_scene(Scene scene, LevelState& level);

// The level's bodies: 0 is the title scene, 1..5 the playable levels.
const LevelData& bench_level(int32_t index);
const char* bench_level_name(int32_t index);
constexpr int32_t bench_level_count = 6;
