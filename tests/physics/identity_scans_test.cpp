// The level's scans, which pass over walls out of reach, against the plain
// scans over the level's own walls, bit for bit on every level: random
// queries with the hard cases mixed in (bodies grazing walls, paths along a
// wall's line beyond its end, tiny and huge motions, radii beyond the bound,
// values that are not numbers), and long random play of two bodies, one on
// each kind of scan.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "content/levels.h"
#include "physics/ball.h"
#include "physics/level.h"
#include "physics/queries.h"
#include "physics/wall_boxes.h"
#include "sound/programs.h"
#include "tests/physics/sound_log.h"

namespace {

constexpr int queries_per_level = 20000;
constexpr int frames_per_level = 30000;
// Outputs start as this pattern so that "left alone" is compared as well.
const Vec2 untouched(-12345.5f, 6789.25f);

// Bit for bit, except that any NaN matches any NaN: the sign and payload of a
// NaN made from infinities depend on the order the compiler gives the
// operands (GCC 14 and GCC 12 differ), not on which walls a scan visited.
bool same(float a, float b) {
    return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}
bool same(Vec2 a, Vec2 b) { return same(a.x, b.x) && same(a.y, b.y); }

class Dice {
public:
    explicit Dice(uint32_t seed) : rng(seed) {}
    float uniform(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(rng) < p; }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    Vec2 direction() {
        const float a = uniform(0, 6.2831853f);
        return Vec2(cosf(a), sinf(a));
    }
    // Now and then a value the game never makes instead of v.
    float odd(float v) {
        static const float odd_values[] = {std::numeric_limits<float>::quiet_NaN(), HUGE_VALF,
                                           -HUGE_VALF, 300.0f, -1e30f, 0.0f};
        return chance(0.01) ? odd_values[pick(6)] : v;
    }

private:
    std::mt19937 rng;
};

// A wall of the level with a length, its unit direction and unit normal.
struct Side {
    Segment s;
    Vec2 t;
    Vec2 m;
};

Side some_wall(const LevelData& data, Dice& dice) {
    for (;;) {
        const Segment& s = data.segments[dice.pick(data.segment_count)];
        const float len = length(s.b - s.a);
        if (!(len > 0.0f)) continue;
        const Vec2 t = (s.b - s.a) * (1.0f / len);
        return Side{s, t, Vec2(t.y, -t.x)};
    }
}

// Runs each query both ways and counts the hits of the plain one.
struct Compare {
    const WallBoxes& boxes;
    const LevelData& data;
    int hits = 0;

    ::testing::AssertionResult sweep(Circle circle, Vec2 motion) {
        Vec2 pos = untouched, normal = untouched, plain_pos = untouched, plain_normal = untouched;
        float dist = -1.0f, plain_dist = -1.0f;
        const bool hit = sweep_circle(circle, motion, boxes, pos, normal, dist);
        const bool plain = sweep_circle(circle, motion, data.segments, data.segment_count,
                                        plain_pos, plain_normal, plain_dist);
        hits += plain ? 1 : 0;
        return result(hit == plain && same(pos, plain_pos) && same(normal, plain_normal) &&
                          same(dist, plain_dist),
                      "sweep", circle.center, circle.radius, motion);
    }

    ::testing::AssertionResult depenetration(Circle circle) {
        Circle culled = circle, plain = circle;
        depenetrate(culled, boxes);
        depenetrate(plain, data.segments, data.segment_count);
        return result(same(culled.center, plain.center) && same(culled.radius, plain.radius),
                      "depenetration", circle.center, circle.radius, Vec2(0, 0));
    }

    ::testing::AssertionResult path(Segment p) {
        Vec2 out = untouched, plain_out = untouched;
        const bool hit = path_hits_segments(p, boxes, out);
        const bool plain = path_hits_segments(p, data.segments, data.segment_count, plain_out);
        hits += plain ? 1 : 0;
        return result(hit == plain && same(out, plain_out), "path", p.a, 0.0f, p.b - p.a);
    }

    static ::testing::AssertionResult result(bool same, const char* what, Vec2 at, float radius,
                                             Vec2 motion) {
        if (same) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << what << " from (" << at.x << ", " << at.y
                                             << ") r " << radius << " by (" << motion.x << ", "
                                             << motion.y << ") differs from the plain scan";
    }
};

struct LevelCase {
    const char* name;
    const LevelData* data;
};

class Identity : public ::testing::TestWithParam<LevelCase> {};

TEST_P(Identity, QueriesMatchThePlainScans) {
    const LevelData& data = *GetParam().data;
    LevelState level;
    level.load(&data);
    ASSERT_TRUE(level.wall_boxes.skipping);
    Compare check{level.wall_boxes, data};
    Dice dice(7u + static_cast<uint32_t>(data.segment_count));
    int far_paths = 0, far_sweeps = 0;
    for (int i = 0; i < queries_per_level; ++i) {
        // A body beside a wall, grazing it or not, along it or beyond its ends.
        const Side w = some_wall(data, dice);
        const float side = dice.chance(0.5) ? 1.0f : -1.0f;
        const float gap =
            dice.chance(0.5) ? dice.uniform(-2e-4f, 2e-4f) : dice.uniform(-0.1f, 0.4f);
        const Vec2 at = w.s.a + (w.s.b - w.s.a) * dice.uniform(-1.0f, 2.0f) +
                        w.m * (side * (body_radius + gap));
        const Vec2 c(dice.odd(at.x), dice.odd(at.y));
        const float radius = dice.odd(dice.chance(0.8) ? body_radius : dice.uniform(0.0f, 1.5f));
        const float top_speed = dice.chance(0.3) ? 1e-3f : dice.chance(0.1) ? 40.0f : 0.8f;
        const float speed = dice.uniform(0, top_speed);
        const Vec2 heading =
            dice.chance(0.5) ? w.t + w.m * dice.uniform(-0.02f, 0.02f) : dice.direction();
        const Vec2 motion(dice.odd(heading.x * speed), dice.odd(heading.y * speed));
        ASSERT_TRUE(check.sweep(Circle(c, radius), motion));
        ASSERT_TRUE(check.depenetration(Circle(c, radius)));
        ASSERT_TRUE(check.path(Segment(c, c + motion * 8.0f)));
        // A path ending within a few millionths of the wall's line, behind
        // the wall's end and running along it, and a body's rim sliding on
        // the line: there the plain scan's rounding can report a crossing
        // of a wall far from the path or the body.
        const float back = dice.uniform(0.1f, 3.0f);
        const Vec2 end = w.s.a - w.t * back + w.m * dice.uniform(-1e-6f, 1e-6f);
        const float run_up = dice.uniform(0.005f, dice.chance(0.5) ? 0.5f : 5.0f);
        const Vec2 start = end - w.t * run_up + w.m * dice.uniform(-1e-6f, 1e-6f);
        ASSERT_TRUE(check.path(Segment(start, end)));
        const Vec2 rim = start + w.m * (side * (body_radius + dice.uniform(0.0f, 2e-6f)));
        ASSERT_TRUE(check.sweep(Circle(rim, body_radius), end - start));
        // Count the crossings that the wall alone reports by rounding.
        Vec2 hit, pos, normal;
        float dist;
        far_paths += path_hits_segments(Segment(start, end), &w.s, 1, hit) &&
                     length(hit - w.s.a) > 0.05f && length(hit - w.s.b) > 0.05f;
        far_sweeps += back > 0.3f && sweep_circle(Circle(rim, body_radius), end - start, &w.s, 1,
                                                  pos, normal, dist);
    }
    EXPECT_GT(check.hits, queries_per_level / 4) << "too few contacts to mean anything";
    EXPECT_GT(far_paths, 0) << "no path met a far crossing";
    EXPECT_GT(far_sweeps, 0) << "no sweep met a far crossing";
}

// Puts the body beside a wall (grazing it, near it, now and then far away)
// with a random velocity, sliding along the wall or not, and sometimes a rope.
void throw_body(Ball& body, const LevelData& data, Dice& dice) {
    const Side w = some_wall(data, dice);
    const float gap = dice.chance(0.5) ? dice.uniform(-1e-4f, 1e-3f) : dice.uniform(-0.05f, 2.0f);
    const float side = dice.chance(0.5) ? 1.0f : -1.0f;
    body.pos = w.s.a + (w.s.b - w.s.a) * dice.uniform(-0.5f, 1.5f) +
               w.m * (side * (body_radius + gap));
    if (dice.chance(0.05)) body.pos = body.pos + Vec2(dice.chance(0.5) ? 250.0f : -1e5f, 0.0f);
    const float speed = dice.chance(0.2) ? dice.uniform(5, 60) : dice.uniform(0, 4);
    const bool along = dice.chance(0.3);
    body.vel = (along ? w.t + w.m * dice.uniform(-1e-3f, 1e-3f) : dice.direction()) * speed;
    if (dice.chance(0.3)) {
        body.rope_state = dice.chance(0.5) ? Flying : Attached;
        body.hook_pos = body.pos + Vec2(dice.uniform(-2, 2), dice.uniform(-2, 2));
        body.hook_vel = dice.direction();
        body.rope_len = 0.5f;
    }
}

bool same_body(const Ball& a, const Ball& b) {
    return same(a.pos, b.pos) && same(a.vel, b.vel) && same(a.hook_pos, b.hook_pos) &&
           same(a.hook_vel, b.hook_vel) && same(a.rope_len, b.rope_len) &&
           a.rope_state == b.rope_state;
}

// Two bodies under the same random controls and time steps, one on the
// level's scans and one on the plain scans, now and then thrown: every
// field, gem and sound request must match.
TEST_P(Identity, PlayMatchesThePlainScans) {
    const LevelData& data = *GetParam().data;
    LevelState culled, plain;
    Ball body, reference;
    const auto start = [&] {
        culled.load(&data);
        plain.load(&data);
        plain.wall_boxes.skipping = false;
        body.reset(culled);
        reference.reset(plain);
    };
    start();
    SoundLog sounds;
    ControlInput in;
    Dice dice(0x5eedu + static_cast<uint32_t>(data.segment_count));
    int thrown = 0, bounces = 0;
    for (int frame = 0; frame < frames_per_level; ++frame) {
        static const float steps[] = {0.0f, 1.0f / 120, 1.0f / 60, 1.0f / 30};
        const float dt = dice.chance(0.05) ? dice.uniform(0.0f, dice.chance(0.05) ? 6.0f : 0.3f)
                                           : steps[dice.pick(4)];
        if (dice.chance(0.1)) in.aim = Vec2(dice.uniform(-2, 2), dice.uniform(-2, 2));
        in.pressed = in.held == 0 && dice.chance(0.06) ? 1 : 0;
        in.held = in.pressed == 1 || (in.held == 1 && !dice.chance(0.02)) ? 1 : 0;
        in.frozen = dice.chance(0.01) ? 1 : 0;
        if (dice.chance(0.02)) {
            throw_body(body, data, dice);
            reference = body;
            reference.level = &plain;
            ++thrown;
        }
        body.update(dt, in);
        const std::vector<SoundRequest> heard = sounds.all();
        sounds.clear();
        reference.update(dt, in);
        bounces += sounds.count(snd_bounce);
        ASSERT_EQ(heard.size(), sounds.all().size()) << "frame " << frame;
        for (size_t i = 0; i < heard.size(); ++i) {
            ASSERT_EQ(heard[i].program, sounds.all()[i].program) << "frame " << frame;
            ASSERT_TRUE(same(heard[i].volume, sounds.all()[i].volume)) << "frame " << frame;
        }
        sounds.clear();
        ASSERT_TRUE(same_body(body, reference))
            << "frame " << frame << ": (" << body.pos.x << ", " << body.pos.y << ") against ("
            << reference.pos.x << ", " << reference.pos.y << ")";
        ASSERT_EQ(0, std::memcmp(culled.gem_present, plain.gem_present, data.gem_count));
        // A body lost far away comes back, as a new level would bring it.
        if (!(float_abs(body.pos.x) < 1e6f && float_abs(body.pos.y) < 1e6f) ||
            (data.gem_count > 0 && culled.gems_remaining() == 0)) {
            start();
        }
    }
    EXPECT_GT(thrown, frames_per_level / 100);
    EXPECT_GT(bounces, frames_per_level / 40);
}

INSTANTIATE_TEST_SUITE_P(AllLevels, Identity,
                         ::testing::Values(LevelCase{"title", &title_level},
                                           LevelCase{"level1", &level_table[0]},
                                           LevelCase{"level2", &level_table[1]},
                                           LevelCase{"level3", &level_table[2]},
                                           LevelCase{"level4", &level_table[3]},
                                           LevelCase{"level5", &level_table[4]}),
                         [](const ::testing::TestParamInfo<LevelCase>& info) {
                             return info.param.name;
                         });

}  // namespace
