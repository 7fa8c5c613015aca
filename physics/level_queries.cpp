// The level's own queries: its walls against paths and swept circles, and the
// gem pickup with its score and sound.
#include "physics/level.h"

#include "physics/score.h"
#include "physics/wall_boxes.h"
#include "sound/programs.h"
#include "sound/synth.h"

namespace {
// A gem is taken when the body's centre is strictly closer than this, world units.
constexpr float gem_pickup_distance = 0.3f;
// Points added to the score per gem.
constexpr int32_t gem_score = 100;
}  // namespace

bool LevelState::path_hit(const Segment& path, Vec2& out_point) const {
    return path_hits_segments(path, wall_boxes, out_point);
}

bool LevelState::sweep(const Circle& circle, const Vec2& motion, Vec2& out_pos,
                       Vec2& out_normal, float& out_dist) const {
    return sweep_circle(circle, motion, wall_boxes, out_pos, out_normal, out_dist);
}

void LevelState::collect_gems(const Vec2& pos) {
    for (int32_t i = 0; i < data->gem_count; ++i) {
        const float dist = length(data->gems[i] - pos);
        if (gem_present[i] != 0 && dist < gem_pickup_distance) {
            gem_present[i] = 0;
            gems_left -= 1;
            score += gem_score;
            play_sound(snd_gem, 1.0f, false);
        }
    }
}
