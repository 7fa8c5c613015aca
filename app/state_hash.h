// A bit-exact fingerprint of a run's simulation state, for replays and the
// solver: two runs hash alike only if they agree to the last bit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "app/game_run.h"
#include "physics/score.h"

// FNV-1a over the bit patterns of the values fed to it.
class StateHash {
public:
    void bytes(const void* p, size_t n) {
        const unsigned char* c = static_cast<const unsigned char*>(p);
        for (size_t i = 0; i < n; ++i) {
            h ^= c[i];
            h *= 1099511628211ull;
        }
    }
    void f32(float v) {
        uint32_t u;
        std::memcpy(&u, &v, sizeof u);
        bytes(&u, sizeof u);
    }
    void i32(int32_t v) { bytes(&v, sizeof v); }
    void vec(Vec2 v) {
        f32(v.x);
        f32(v.y);
    }
    uint64_t value() const { return h; }

private:
    uint64_t h = 14695981039346656037ull;
};

inline void hash_ball(StateHash& h, const Ball& b) {
    h.vec(b.pos);
    h.vec(b.vel);
    h.vec(b.aim);
    h.vec(b.hook_vel);
    h.vec(b.hook_pos);
    h.f32(b.rope_len);
    h.i32(b.rope_state);
}

inline void hash_level(StateHash& h, const LevelState& level) {
    h.bytes(level.gem_present, static_cast<size_t>(level.data->gem_count));
    h.i32(level.gems_left);
}

// The flow's simulation values. The zoom is left out: it only scales the
// picture, and it comes from the C library's cosf and pow, which another
// library may round differently with no change in play.
inline void hash_flow(StateHash& h, const GameFlow& f) {
    h.i32(f.state);
    h.i32(f.next_state);
    h.f32(f.state_time);
    h.f32(f.time_left);
    h.f32(f.extra_time);
    h.i32(f.level_index);
    h.i32(f.paused ? 1 : 0);
}

// The body, the level state, the flow and both scores.
inline uint64_t state_hash(const GameRun& run) {
    StateHash h;
    hash_ball(h, run.ball);
    hash_level(h, run.level);
    hash_flow(h, run.flow);
    h.i32(score);
    h.i32(hi_score);
    return h.value();
}
