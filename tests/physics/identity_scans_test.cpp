// The level's scans, which pass over walls out of reach, bit for bit against the plain scans on every
// level (level 4 has walls of no length): random queries beside walls (grazing them, along a wall's line
// beyond its end, tiny and huge motions and radii, odd values, far away) and two bodies in random play.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "content/levels.h"
#include "physics/ball.h"
#include "physics/queries.h"
#include "sound/programs.h"
#include "tests/physics/sound_log.h"

namespace {

constexpr int rounds = 20000;  // per level

// Bit for bit, but any NaN matches any NaN: a NaN made from infinities takes its sign and payload
// from the operand order the compiler picks (GCC 14 and 12 differ), not from the walls a scan visited.
bool same(float a, float b) { return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0; }
bool same(Vec2 a, Vec2 b) { return same(a.x, b.x) && same(a.y, b.y); }

struct Dice {
    std::mt19937 rng;
    float in(float lo, float hi) { return std::uniform_real_distribution<float>(lo, hi)(rng); }
    bool chance(double p) { return in(0, 1) < p; }
    float sign() { return chance(0.5) ? 1.0f : -1.0f; }
    Vec2 direction() { return normalize(Vec2(in(-1, 1), in(-1, 1))); }
    // Now and then a value the game never makes instead of v.
    float odd(float v) {
        const float odd_values[] = {NAN, HUGE_VALF, -HUGE_VALF, 300.0f, -1e30f, 0.0f};
        return chance(0.01) ? odd_values[rng() % 6] : v;
    }
};

// A random wall with a length, its unit direction t and unit normal m.
struct Side {
    Segment s;
    Vec2 t, m;
    Side(const LevelData& data, Dice& dice) : s(data.segments[dice.rng() % data.segment_count]) {
        t = normalize(s.b - s.a);
        m = Vec2(t.y, -t.x);
        if (!(length(s.b - s.a) > 0.0f)) *this = Side(data, dice);
    }
    // The centre of a body whose rim is gap from the wall's line, beside it or beyond its ends.
    Vec2 beside(Dice& dice, float lo, float hi, float gap) const {
        return s.a + (s.b - s.a) * dice.in(lo, hi) + m * (dice.sign() * (body_radius + gap));
    }
};

// Each query both ways, outputs starting as one pattern so "left alone" is compared too; true if the plain scan hit.
bool scans_match(const LevelState& level, Circle c, Vec2 motion, Segment path) {
    const Segment* walls = level.data->segments;
    const int32_t count = level.data->segment_count;
    Vec2 pos(-12345.5f, 6789.25f), normal = pos, plain_pos = pos, plain_normal = pos;
    float dist = -1.0f, plain_dist = -1.0f;
    const bool plain = sweep_circle(c, motion, walls, count, plain_pos, plain_normal, plain_dist);
    EXPECT_EQ(sweep_circle(c, motion, level.wall_boxes, pos, normal, dist), plain);
    EXPECT_TRUE(same(pos, plain_pos) && same(normal, plain_normal) && same(dist, plain_dist))
        << "sweep from (" << c.center.x << ", " << c.center.y << ") by (" << motion.x << ", " << motion.y << ")";
    Vec2 hit = pos, plain_hit = pos;
    EXPECT_EQ(path_hits_segments(path, level.wall_boxes, hit), path_hits_segments(path, walls, count, plain_hit));
    EXPECT_TRUE(same(hit, plain_hit)) << "path from (" << path.a.x << ", " << path.a.y << ")";
    Circle culled = c;
    depenetrate(culled, level.wall_boxes);
    depenetrate(c, walls, count);
    EXPECT_TRUE(same(culled.center, c.center) && same(culled.radius, c.radius));
    return plain;
}

class Identity : public ::testing::TestWithParam<const LevelData*> {};

TEST_P(Identity, QueriesAndPlayMatchThePlainScans) {
    const LevelData& data = *GetParam();
    LevelState culled, plain;
    Ball body, reference;
    const auto start = [&] {  // the plain level passes over no wall
        culled.load(&data);
        plain.load(&data);
        plain.wall_boxes.skipping = false;
        body.reset(culled);
        reference.reset(plain);
    };
    start();
    ASSERT_TRUE(culled.wall_boxes.skipping);
    SoundLog sounds;
    ControlInput in;
    Dice dice{std::mt19937(7u + static_cast<uint32_t>(data.segment_count))};
    int hits = 0, far_paths = 0, far_sweeps = 0;
    for (int round = 0; round < rounds && !HasFailure(); ++round) {
        // A body beside a wall, grazing it or not, moving along it or not.
        const Side w(data, dice);
        const Vec2 at = w.beside(dice, -1.0f, 2.0f, dice.chance(0.5) ? dice.in(-2e-4f, 2e-4f) : dice.in(-0.1f, 0.4f));
        const float speed = dice.in(0, dice.chance(0.3) ? 1e-3f : dice.chance(0.1) ? 40.0f
                                                                                   : 0.8f);
        const Vec2 heading = dice.chance(0.5) ? w.t + w.m * dice.in(-0.02f, 0.02f) : dice.direction();
        const Vec2 c(dice.odd(at.x), dice.odd(at.y)), motion(dice.odd(heading.x * speed), dice.odd(heading.y * speed));
        hits += scans_match(culled, Circle(c, dice.odd(dice.chance(0.8) ? body_radius : dice.in(0, 1.5f))), motion,
                            Segment(c, c + motion * 8.0f));
        // A rim sliding on the wall's line behind its end, the path ending within a few millionths
        // of the line: there the plain scan's rounding can report a crossing far from path and body.
        const float back = dice.in(0.1f, 3.0f);
        const Vec2 end = w.s.a - w.t * back + w.m * dice.in(-1e-6f, 1e-6f);
        const Vec2 from = end - w.t * dice.in(0.005f, dice.chance(0.5) ? 0.5f : 5.0f) + w.m * dice.in(-1e-6f, 1e-6f);
        const Circle rim(from + w.m * (dice.sign() * (body_radius + dice.in(0, 2e-6f))), body_radius);
        scans_match(culled, rim, end - from, Segment(from, end));
        Vec2 hit, normal;
        float dist;
        far_paths += path_hits_segments(Segment(from, end), &w.s, 1, hit) && length(hit - w.s.a) > 0.05f;
        far_sweeps += back > 0.3f && sweep_circle(rim, end - from, &w.s, 1, hit, normal, dist);

        // Two bodies, one on each kind of scan, under the same random controls and steps, now and then
        // thrown beside a wall (sliding along it or not, far away, with a rope): every field and gem match.
        const float steps[] = {0.0f, 1.0f / 120, 1.0f / 60, 1.0f / 30, dice.in(0.0f, dice.chance(0.05) ? 6.0f : 0.3f)};
        const float dt = steps[dice.chance(0.05) ? 4 : dice.rng() % 4];
        if (dice.chance(0.1)) in.aim = Vec2(dice.in(-2, 2), dice.in(-2, 2));
        in.pressed = in.held == 0 && dice.chance(0.06) ? 1 : 0;
        in.held = in.pressed == 1 || (in.held == 1 && !dice.chance(0.02)) ? 1 : 0;
        in.frozen = dice.chance(0.01) ? 1 : 0;
        if (dice.chance(0.02)) {
            const Side b(data, dice);
            body.pos = b.beside(dice, -0.5f, 1.5f, dice.chance(0.5) ? dice.in(-1e-4f, 1e-3f) : dice.in(-0.05f, 2.0f));
            if (dice.chance(0.05)) body.pos = body.pos + Vec2(dice.chance(0.5) ? 250.0f : -1e5f, 0.0f);
            body.vel = (dice.chance(0.3) ? b.t + b.m * dice.in(-1e-3f, 1e-3f) : dice.direction()) *
                       (dice.chance(0.2) ? dice.in(5, 60) : dice.in(0, 4));
            if (dice.chance(0.3)) {
                body.rope_state = dice.chance(0.5) ? Flying : Attached;
                body.hook_pos = body.pos + Vec2(dice.in(-2, 2), dice.in(-2, 2));
                body.hook_vel = dice.direction();
            }
            reference = body;
            reference.level = &plain;
        }
        body.update(dt, in);
        reference.update(dt, in);
        ASSERT_TRUE(same(body.pos, reference.pos) && same(body.vel, reference.vel) && same(body.hook_pos, reference.hook_pos) &&
                    same(body.hook_vel, reference.hook_vel) && body.rope_state == reference.rope_state &&
                    std::memcmp(culled.gem_present, plain.gem_present, data.gem_count) == 0)
            << "round " << round << ": " << body.pos.x << "," << body.pos.y << " vs " << reference.pos.x << "," << reference.pos.y;
        // A body lost far away comes back, as a new level would bring it.
        if (!(float_abs(body.pos.x) < 1e6f && float_abs(body.pos.y) < 1e6f) ||
            (data.gem_count > 0 && culled.gems_remaining() == 0)) {
            start();
        }
    }
    // The hard cases were met, not only the easy ones.
    EXPECT_GT(hits, rounds / 8);
    EXPECT_GT(far_paths, 0) << "no path met a far crossing";
    EXPECT_GT(far_sweeps, 0) << "no sweep met a far crossing";
    EXPECT_GT(sounds.count(snd_bounce), rounds / 40);
}

const LevelData* const every_level[] = {&title_level, &level_table[0], &level_table[1], &level_table[2], &level_table[3], &level_table[4]};
INSTANTIATE_TEST_SUITE_P(AllLevels, Identity, ::testing::ValuesIn(every_level));

}  // namespace
