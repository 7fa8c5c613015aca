// Finding the benchmark scenes by playing the level's own physics from its
// start: a drop onto the floor below, a swing on the wall above, a throw into
// the corner that takes the most contacts in one frame.
#include "bench/scenes.h"

#include <initializer_list>

#include "content/levels.h"
#include "sound/synth.h"

namespace {

// Frames a dropped body is given to settle on the floor below its start.
constexpr int32_t settle_frames = 600;

ControlInput controls(uint8_t held, uint8_t frozen) {
    ControlInput in;
    in.held = held;
    in.pressed = 0;
    in.frozen = frozen;
    return in;
}

int32_t contacts_seen = 0;
void count_contact(SoundProgram, float, bool) { ++contacts_seen; }

// Drops the body from the start with the rope off and lets it come to rest.
Ball settled(LevelState& level) {
    Ball ball;
    ball.reset(level);
    const ControlInput frozen = controls(0, 1);
    for (int32_t i = 0; i < settle_frames; ++i) ball.update(scene_dt, frozen);
    return ball;
}

// The wall straight above the point, or a point a unit above when none is.
Vec2 anchor_above(const LevelState& level, Vec2 from) {
    Vec2 hit;
    if (level.path_hit(Segment(from, from + Vec2(0.3f, -5.0f)), hit)) return hit;
    return from + Vec2(0.0f, -1.0f);
}

// A body thrown hard into the corner between two joined walls, chosen for
// the most bounce requests in one frame: four or more mean five sweeps.
Ball wedged(LevelState& level) {
    const LevelData& data = *level.data;
    Ball best;
    best.reset(level);
    int32_t best_count = -1;
    const ControlInput in = controls(0, 1);
    const SoundRequestObserver before = sound_request_observer;
    sound_request_observer = &count_contact;
    for (int32_t i = 0; i + 1 < data.segment_count && best_count < 4; ++i) {
        const Segment& s = data.segments[i];
        const Segment& t = data.segments[i + 1];
        const Vec2 corner = s.b;
        const Vec2 along_s = s.a - corner;
        const Vec2 along_t = t.b - corner;
        if (!(length(along_s) > 0.05f && length(along_t) > 0.05f)) continue;
        const Vec2 inward = normalize(normalize(along_s) + normalize(along_t));
        if (!(length(inward) > 0.5f)) continue;
        for (float side : {1.0f, -1.0f}) {
            Ball ball;
            ball.reset(level);
            ball.pos = corner + inward * (0.3f * side);
            ball.vel = inward * (-40.0f * side);
            Ball trial = ball;
            contacts_seen = 0;
            trial.update(scene_dt, in);
            if (contacts_seen > best_count) {
                best_count = contacts_seen;
                best = ball;
            }
        }
    }
    sound_request_observer = before;
    return best;
}

}  // namespace

const char* scene_name(Scene scene) {
    switch (scene) {
        case Scene::Resting: return "resting";
        case Scene::Falling: return "falling";
        case Scene::Hanging: return "hanging";
        case Scene::HookFlying: return "hook_flying";
        case Scene::Wedged: return "wedged";
    }
    return "?";
}

SceneStart make_scene(Scene scene, LevelState& level) {
    SceneStart start;
    start.ball.reset(level);
    start.input = controls(0, 1);
    const Vec2 from = level.data->start;
    switch (scene) {
        case Scene::Resting:
            start.ball = settled(level);
            break;
        case Scene::Falling:
            start.ball.vel = Vec2(0.3f, 1.0f);
            break;
        case Scene::Hanging:
            start.ball.vel = Vec2(1.5f, 0.5f);
            start.ball.hook_pos = anchor_above(level, from);
            start.ball.hook_vel = Vec2(0.0f, -1.0f);
            start.ball.rope_len = 0.5f;
            start.ball.rope_state = Attached;
            start.input = controls(1, 0);
            break;
        case Scene::HookFlying:
            // A hook just fired upward, still far from every wall.
            start.ball.vel = Vec2(0.3f, 0.2f);
            start.ball.hook_pos = from + Vec2(0.0f, -0.2f);
            start.ball.hook_vel = Vec2(0.0f, -1.0f);
            start.ball.rope_state = Flying;
            start.input = controls(1, 0);
            break;
        case Scene::Wedged:
            start.ball = wedged(level);
            break;
    }
    return start;
}

const LevelData& bench_level(int32_t index) {
    return index == 0 ? title_level : level_table[index - 1];
}

const char* bench_level_name(int32_t index) {
    static const char* const names[bench_level_count] = {"title", "level 1", "level 2",
                                                         "level 3", "level 4", "level 5"};
    return names[index];
}
