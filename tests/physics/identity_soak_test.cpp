// The game's body against the reference body on the reference queries, frame
// by frame on all six levels: random play, stalls and zero steps, and bodies
// thrown anywhere (grazing walls, sliding along them, far outside the cave).
// Every field, gem, point of score and sound request must match bit for bit.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "app/globals.h"
#include "content/levels.h"
#include "physics/ball.h"
#include "tests/physics/oracle_body.h"
#include "tests/physics/sound_log.h"

namespace {

constexpr int frames_per_level = 60000;

uint32_t bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

::testing::AssertionResult same_bits(const char* what, Vec2 game, Vec2 reference) {
    if (bits(game.x) == bits(reference.x) && bits(game.y) == bits(reference.y)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << what << ": game (" << game.x << ", " << game.y
                                         << ") reference (" << reference.x << ", "
                                         << reference.y << ")";
}

struct Bounds {
    float lo_x, lo_y, hi_x, hi_y;
};

Bounds walls_bounds(const LevelData& data) {
    Bounds b{1e9f, 1e9f, -1e9f, -1e9f};
    for (int32_t i = 0; i < data.segment_count; ++i) {
        for (Vec2 p : {data.segments[i].a, data.segments[i].b}) {
            b.lo_x = std::min(b.lo_x, p.x);
            b.lo_y = std::min(b.lo_y, p.y);
            b.hi_x = std::max(b.hi_x, p.x);
            b.hi_y = std::max(b.hi_y, p.y);
        }
    }
    return b;
}

// Random controls and time steps like a player's, and now and then a body
// put somewhere the game would rarely take it.
class Chaos {
public:
    Chaos(uint32_t seed, const LevelData& data) : rng(seed), data(data), box(walls_bounds(data)) {}

    float next_dt() {
        if (chance(0.003)) return uniform(1.0f, 6.0f);
        if (chance(0.05)) return uniform(0.0f, 0.3f);
        static const float steps[] = {0.0f, 1.0f / 120, 1.0f / 60, 1.0f / 30};
        return steps[std::uniform_int_distribution<int>(0, 3)(rng)];
    }

    void next_input(ControlInput& in, bool title) {
        in.pressed = 0;
        if (chance(0.1)) in.aim = chance(0.05) ? Vec2(0, 0) : Vec2(uniform(-2, 2), uniform(-2, 2));
        if (in.held == 0 && chance(0.06)) {
            in.pressed = 1;
            in.held = chance(0.9) ? 1 : 0;
        } else if (in.held == 1 && chance(0.02)) {
            in.held = 0;
        }
        in.frozen = title || chance(0.01) ? 1 : 0;
    }

    // Sometimes moves the body: anywhere in or near the cave, grazing a
    // wall, sliding along one, or far away. True when it did.
    bool throw_body(Ball& ball) {
        if (!chance(0.02)) return false;
        const int kind = std::uniform_int_distribution<int>(0, 3)(rng);
        const float speed = chance(0.2) ? uniform(5, 60) : uniform(0, 4);
        const float angle = uniform(0, 6.2831853f);
        ball.vel = Vec2(speed * cosf(angle), speed * sinf(angle));
        if (kind == 0) {
            ball.pos = Vec2(uniform(box.lo_x - 1, box.hi_x + 1), uniform(box.lo_y - 1, box.hi_y + 1));
        } else if (kind == 3) {
            const float far = chance(0.5) ? uniform(200, 300) : uniform(1e3f, 1e7f);
            ball.pos = Vec2(chance(0.5) ? far : -far, uniform(box.lo_y, box.hi_y));
        } else {
            // Beside a random wall, at about the body's radius from its line,
            // moving along it (kind 2) or anywhere (kind 1).
            Vec2 along(0, 0);
            float len = 0.0f;
            Segment s;
            while (!(len > 0.0f)) {  // a zero-length wall has no side
                s = data.segments[std::uniform_int_distribution<int>(0, data.segment_count - 1)(rng)];
                along = s.b - s.a;
                len = length(along);
            }
            const Vec2 t = along * (1.0f / len);
            const Vec2 m(t.y, -t.x);
            const float gap = chance(0.5) ? uniform(-1e-4f, 1e-3f) : uniform(-0.05f, 0.3f);
            const float side = chance(0.5) ? 1.0f : -1.0f;
            const float at = uniform(-0.5f, 1.5f);
            ball.pos = s.a + along * at + m * (side * (body_radius + gap));
            if (kind == 2) {
                const float tilt = chance(0.5) ? uniform(-1e-3f, 1e-3f) : uniform(-0.05f, 0.05f);
                ball.vel = (t + m * tilt) * (chance(0.5) ? speed : -speed);
            }
        }
        if (chance(0.3)) {
            ball.rope_state = chance(0.5) ? Flying : Attached;
            ball.hook_pos = ball.pos + Vec2(uniform(-2, 2), uniform(-2, 2));
            const float a = uniform(0, 6.2831853f);
            ball.hook_vel = Vec2(cosf(a), sinf(a));
            ball.rope_len = 0.5f;
        }
        return true;
    }

private:
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng) < p; }
    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }

    std::mt19937 rng;
    const LevelData& data;
    Bounds box;
};

::testing::AssertionResult same_body(const Ball& game, const Ball& reference) {
    ::testing::AssertionResult r = same_bits("pos", game.pos, reference.pos);
    if (r) r = same_bits("vel", game.vel, reference.vel);
    if (r) r = same_bits("aim", game.aim, reference.aim);
    if (r && game.rope_state != Idle) r = same_bits("hook_pos", game.hook_pos, reference.hook_pos);
    if (r && game.rope_state != Idle) r = same_bits("hook_vel", game.hook_vel, reference.hook_vel);
    if (r && bits(game.rope_len) != bits(reference.rope_len)) {
        r = ::testing::AssertionFailure() << "rope_len " << game.rope_len << " vs " << reference.rope_len;
    }
    if (r && game.rope_state != reference.rope_state) {
        r = ::testing::AssertionFailure() << "rope_state " << game.rope_state << " vs "
                                          << reference.rope_state;
    }
    return r;
}

::testing::AssertionResult same_sounds(const std::vector<SoundRequest>& game,
                                       const std::vector<SoundRequest>& reference) {
    if (game.size() != reference.size()) {
        return ::testing::AssertionFailure() << game.size() << " sound requests against "
                                             << reference.size();
    }
    for (size_t i = 0; i < game.size(); ++i) {
        if (game[i].program != reference[i].program ||
            bits(game[i].volume) != bits(reference[i].volume) || game[i].lock != reference[i].lock) {
            return ::testing::AssertionFailure() << "sound request " << i << " differs";
        }
    }
    return ::testing::AssertionSuccess();
}

struct IdentityLevel {
    const char* name;
    const LevelData* data;
    bool title;
};

class IdentitySoak : public ::testing::TestWithParam<IdentityLevel> {};

TEST_P(IdentitySoak, GameBodyMatchesTheReferenceBitForBit) {
    const LevelData& data = *GetParam().data;
    const bool title = GetParam().title;
    SoundLog sounds;
    LevelState level;
    level.load(&data);
    Ball game;
    game.reset(level);
    OracleBody reference(game, data);
    Chaos chaos(0x5eed0000u + static_cast<uint32_t>(data.segment_count), data);
    ControlInput in;
    in.frozen = 0;
    int thrown = 0;
    for (int frame = 0; frame < frames_per_level; ++frame) {
        const float dt = chaos.next_dt();
        chaos.next_input(in, title);
        if (chaos.throw_body(game)) {
            reference.body = game;
            ++thrown;
        }
        const int32_t score_before = score;
        game.update(dt, in);
        reference.update(dt, in);
        reference.score -= score - score_before;
        ASSERT_TRUE(same_body(game, reference.body)) << "frame " << frame << " dt " << dt;
        ASSERT_EQ(reference.score, 0) << "frame " << frame;
        ASSERT_EQ(level.gems_remaining(), reference.gems_left) << "frame " << frame;
        for (int32_t g = 0; g < data.gem_count; ++g) {
            ASSERT_EQ(level.gem_present[g], reference.gem_present[g]) << "gem " << g;
        }
        ASSERT_TRUE(same_sounds(sounds.all(), reference.sounds)) << "frame " << frame;
        sounds.clear();
        reference.sounds.clear();
        // A body lost far away comes back, as a new level would bring it.
        if (!(float_abs(game.pos.x) < 1e6f && float_abs(game.pos.y) < 1e6f) ||
            (!title && level.gems_remaining() == 0)) {
            level.load(&data);
            game.reset(level);
            reference = OracleBody(game, data);
        }
    }
    EXPECT_GT(thrown, frames_per_level / 100);
}

INSTANTIATE_TEST_SUITE_P(
    AllLevels, IdentitySoak,
    ::testing::Values(IdentityLevel{"title", &title_level, true},
                      IdentityLevel{"level1", &level_table[0], false},
                      IdentityLevel{"level2", &level_table[1], false},
                      IdentityLevel{"level3", &level_table[2], false},
                      IdentityLevel{"level4", &level_table[3], false},
                      IdentityLevel{"level5", &level_table[4], false}),
    [](const ::testing::TestParamInfo<IdentityLevel>& info) { return info.param.name; });

}  // namespace
