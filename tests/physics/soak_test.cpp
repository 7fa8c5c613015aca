// Thousands of frames of random play on every level, with zero steps and long
// stalls: the body never holds a NaN and never leaves the cave it started in.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "physics/control_input.h"
#include "content/levels.h"
#include "physics/ball.h"
#include "tests/physics/cave.h"
#include "tests/physics/sound_log.h"
#include "tests/physics/test_level.h"

namespace {

constexpr int soak_frames = 6000;

bool finite(Vec2 v) { return std::isfinite(v.x) && std::isfinite(v.y); }

struct SoakLevel {
    const char* name;
    const LevelData* data;
    bool title;  // the title scene runs with the rope controls off
};

// A player who aims anywhere, presses, holds and lets go at random, on a
// machine that sometimes stalls for seconds.
class RandomPlayer {
public:
    explicit RandomPlayer(uint32_t seed) : rng(seed) {}

    float next_dt() {
        if (chance(0.003)) return std::uniform_real_distribution<float>(2.0f, 8.0f)(rng);
        static const float steps[] = {0.0f, 1.0f / 120, 1.0f / 60, 0.1f};
        return steps[std::uniform_int_distribution<int>(0, 3)(rng)];
    }

    void next_input(ControlInput& in, bool title) {
        in.pressed = 0;
        if (chance(0.1)) {
            if (chance(0.05)) {
                in.aim = Vec2(0, 0);
            } else {
                std::uniform_real_distribution<float> coord(-1.5f, 1.5f);
                in.aim = Vec2(coord(rng), coord(rng));
            }
        }
        if (in.held == 0 && chance(0.06)) {
            in.pressed = 1;
            in.held = chance(0.9) ? 1 : 0;  // sometimes pressed and let go at once
        } else if (in.held == 1 && chance(0.02)) {
            in.held = 0;
        }
        if (frozen_left > 0) {
            --frozen_left;
        } else if (chance(0.002)) {
            frozen_left = 120;
        }
        in.frozen = title || frozen_left > 0 ? 1 : 0;
    }

private:
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng) < p; }
    std::mt19937 rng;
    int frozen_left = 0;
};

// Plays frames of random input and checks the body after every frame.
void soak(const LevelData& data, LevelState& level, bool title, uint32_t seed, int frames) {
    SoundLog sounds;
    level.load(&data);
    const CaveCheck cave(data);
    ASSERT_TRUE(cave.holds(data.start));
    Ball ball;
    ball.reset(level);
    RandomPlayer player(seed);
    ControlInput in;
    in.frozen = 0;
    for (int frame = 0; frame < frames; ++frame) {
        const float dt = player.next_dt();
        player.next_input(in, title);
        const Vec2 before = ball.pos;
        ball.update(dt, in);
        ASSERT_TRUE(finite(ball.pos) && finite(ball.vel) && finite(ball.aim) &&
                    finite(ball.hook_pos) && finite(ball.hook_vel) && std::isfinite(ball.rope_len))
            << "frame " << frame << " dt " << dt;
        ASSERT_TRUE(cave.holds(ball.pos))
            << "frame " << frame << " dt " << dt << " from (" << before.x << ", " << before.y
            << ") to (" << ball.pos.x << ", " << ball.pos.y << ")";
        // Once every gem is gone the level starts over, as the game would.
        if (!title && level.gems_remaining() == 0) {
            level.load(&data);
            ball.reset(level);
        }
    }
    EXPECT_FALSE(sounds.all().empty());
}

class Soak : public ::testing::TestWithParam<SoakLevel> {};

TEST_P(Soak, BodyStaysFiniteAndInItsCave) {
    LevelState level;
    soak(*GetParam().data, level, GetParam().title, 20240601, soak_frames);
}

INSTANTIATE_TEST_SUITE_P(Levels, Soak,
                         ::testing::Values(SoakLevel{"title", &title_level, true},
                                           SoakLevel{"level1", &level_table[0], false},
                                           SoakLevel{"level2", &level_table[1], false},
                                           SoakLevel{"level3", &level_table[2], false},
                                           SoakLevel{"level4", &level_table[3], false},
                                           SoakLevel{"level5", &level_table[4], false}),
                         [](const ::testing::TestParamInfo<SoakLevel>& info) {
                             return std::string(info.param.name);
                         });

// A jagged cave: a ring of 120 corners at random radii between 1.2 and 4,
// so it has sharp spikes and narrow pockets, with runs of tiny and zero-length
// walls, around an island rock; gems scattered in the open.
struct JaggedCave {
    static std::vector<Segment> walls(uint32_t seed) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> radius(1.2f, 4.0f);
        std::vector<Vec2> outline;
        const int corners = 120;
        for (int i = 0; i < corners; ++i) {
            const float angle = 6.2831853f * i / corners;
            const float r = (i % 7 == 3) ? 1.2f : radius(rng);
            const Vec2 p(r * cosf(angle), r * sinf(angle));
            outline.push_back(p);
            if (i % 10 == 5) {
                outline.push_back(p);                          // a wall of length zero
                outline.push_back(p + Vec2(1e-6f, 1e-6f));     // and a tiny one
            }
        }
        std::vector<Segment> out;
        for (size_t i = 0; i < outline.size(); ++i) {
            out.push_back(Segment(outline[i], outline[(i + 1) % outline.size()]));
        }
        // The island: a small triangle off the start.
        const Vec2 tri[] = {Vec2(0.5f, 0.6f), Vec2(0.9f, 0.9f), Vec2(0.4f, 1.0f)};
        for (int i = 0; i < 3; ++i) out.push_back(Segment(tri[i], tri[(i + 1) % 3]));
        return out;
    }
};

TEST(SoakJagged, BodyStaysFiniteAndInItsCave) {
    for (uint32_t seed = 1; seed <= 3; ++seed) {
        SCOPED_TRACE(seed);
        TestLevel level(JaggedCave::walls(seed),
                        {Vec2(0.3f, -0.9f), Vec2(-0.9f, 0.2f), Vec2(0.2f, 0.9f)}, Vec2(0, 0));
        soak(level.data, level.state, false, seed, 3000);
        if (HasFatalFailure()) return;
    }
}

}  // namespace
