// The body's frame update (aim, gravity, rope, swept move with bounces, gem
// pickup) as the game did it before its scans passed over walls: the same
// steps on the reference queries, with gems, score and sound requests of its
// own, so a test can run it beside the real body and compare every bit.
#pragma once

#include <cstdint>
#include <math.h>
#include <vector>

#include "physics/control_input.h"
#include "physics/level.h"
#include "physics/ball.h"
#include "sound/programs.h"
#include "tests/physics/oracle_queries.h"
#include "tests/physics/sound_log.h"

class OracleBody {
public:
    // Starts where a reset body on the level starts, every gem present.
    OracleBody(const Ball& ball, const LevelData& level_data)
        : body(ball), data(&level_data), gem_present(level_data.gem_count, 1),
          gems_left(level_data.gem_count) {}

    void update(float frame_dt, const ControlInput& input) {
        const float dt = frame_dt > 0.25f ? 0.25f : frame_dt;
        if (length(input.aim) > 0.0f) body.aim = normalize(input.aim);
        const Vec2 saved = body.pos;
        body.vel.y = body.vel.y + dt * 1.5f;
        body.pos = body.pos + body.vel * dt;
        if (input.frozen != 1) step_rope(body.pos, dt, input);
        body.pos = saved;
        move(1.0f, 4, dt);
        if (input.frozen != 1) collect_gems(body.pos);
    }

    Ball body;  // its level pointer is never followed
    const LevelData* data;
    std::vector<uint8_t> gem_present;
    int32_t gems_left;
    int32_t score = 0;
    std::vector<SoundRequest> sounds;

private:
    void play(SoundProgram program, float volume, bool lock) {
        sounds.push_back(SoundRequest{program, volume, lock});
    }

    void pull_rope(Vec2 at, float dt) {
        const Vec2 r = body.hook_pos - at;
        const float d = length(r);
        const Vec2 toward = normalize(r);
        if (!(isfinite(toward.x) && isfinite(toward.y))) return;
        const float h = dt > 0.1f ? 2.0f / (20.0f + 3.0f * dt) : dt;
        const float away = -dot(toward, body.vel);
        float pull = 0.0f;
        if (away > 0.0f && d > body.rope_len) pull = away * 20.0f + 4.0f;
        if (d > 0.5f) pull = pull + (d - 0.5f) * 3.0f;
        body.vel = body.vel + toward * (pull * h);
    }

    void step_rope(Vec2 at, float dt, const ControlInput& input) {
        switch (body.rope_state) {
        case Idle:
            if (input.pressed == 1) {
                body.hook_pos = at + body.aim * 0.125f;
                body.hook_vel = body.aim;
                play(snd_rope_fire, 1.0f, false);
                body.rope_state = Flying;
            }
            break;
        case Flying: {
            const Vec2 prev = body.hook_pos;
            body.hook_pos = body.hook_pos + body.hook_vel * (dt * 8.0f);
            Vec2 hit;
            if (length(body.hook_pos - at) > 2.2f || input.held != 1) {
                body.rope_state = Idle;
            } else if (oracle_path_hits_segments(Segment(prev, body.hook_pos), data->segments,
                                                 data->segment_count, hit)) {
                body.hook_pos = hit;
                body.rope_len = 0.5f;
                play(snd_rope_catch, 1.0f, false);
                body.rope_state = Attached;
            }
            break;
        }
        case Attached:
            if (input.held != 1) {
                body.rope_state = Idle;
            } else {
                pull_rope(at, dt);
            }
            break;
        }
    }

    void move(float fraction, int32_t depth, float dt) {
        const Vec2 step = body.vel * dt;
        const Vec2 motion = step * fraction;
        const Circle circle(body.pos, 0.125f);
        Vec2 out_pos;
        Vec2 normal;
        float dist;
        if (!oracle_sweep_circle(circle, motion, data->segments, data->segment_count, out_pos,
                                 normal, dist)) {
            body.pos = body.pos + motion;
            return;
        }
        body.pos = out_pos;
        const float impact = float_abs(dot(body.vel, normal));
        if (impact > 0.1) play(snd_bounce, float_min(impact / 4.0f, 1.0f), false);
        body.vel = body.vel - normal * (dot(normal, body.vel) * 1.5f);
        if (depth > 0) {
            const float used = dist / length(step);
            move(fraction - used, depth - 1, dt);
        }
    }

    void collect_gems(Vec2 pos) {
        for (int32_t i = 0; i < data->gem_count; ++i) {
            const float dist = length(data->gems[i] - pos);
            if (gem_present[i] != 0 && dist < 0.3f) {
                gem_present[i] = 0;
                gems_left -= 1;
                score += 100;
                play(snd_gem, 1.0f, false);
            }
        }
    }
};
