// The scans over a level's prepared walls against the reference queries, one
// query at a time and bit for bit, on inputs chosen to be hard: bodies
// grazing walls, paths running along a wall's line far beyond its end (where
// the reference's own rounding reports crossings of walls units away), tiny
// and huge motions, values that are no numbers, and walls beyond the range
// the skipping is proven for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "content/levels.h"
#include "physics/ball.h"
#include "physics/queries.h"
#include "physics/wall_boxes.h"
#include "tests/physics/oracle_queries.h"

namespace {

// Outputs start as this pattern so that "left alone" is compared as well.
const Vec2 untouched(-12345.5f, 6789.25f);

bool same(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }
bool same(Vec2 a, Vec2 b) { return same(a.x, b.x) && same(a.y, b.y); }

struct Counts {
    int queries = 0;
    int hits = 0;
    int far_crossings = 0;  // reference crossings of a wall far from the path
};

class QueryCheck {
public:
    explicit QueryCheck(const std::vector<Segment>& walls_) : walls(walls_) {
        boxes.prepare(walls.data(), static_cast<int32_t>(walls.size()));
    }
    QueryCheck(const LevelData& data) : walls(data.segments, data.segments + data.segment_count) {
        boxes.prepare(walls.data(), static_cast<int32_t>(walls.size()));
    }

    ::testing::AssertionResult sweep(Circle circle, Vec2 motion) {
        ++counts.queries;
        Vec2 pos = untouched, normal = untouched, ref_pos = untouched, ref_normal = untouched;
        float dist = -1.0f, ref_dist = -1.0f;
        const bool hit = sweep_circle(circle, motion, boxes, pos, normal, dist);
        const bool ref = oracle_sweep_circle(circle, motion, walls.data(), count(), ref_pos,
                                             ref_normal, ref_dist);
        counts.hits += ref ? 1 : 0;
        if (hit == ref && same(pos, ref_pos) && same(normal, ref_normal) && same(dist, ref_dist)) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure()
               << "sweep of (" << circle.center.x << ", " << circle.center.y << ") r "
               << circle.radius << " by (" << motion.x << ", " << motion.y << "): " << hit
               << " at " << dist << " against reference " << ref << " at " << ref_dist;
    }

    ::testing::AssertionResult depenetration(Circle circle) {
        ++counts.queries;
        Circle game = circle, ref = circle;
        depenetrate(game, boxes);
        oracle_depenetrate(ref, walls.data(), count());
        if (same(game.center, ref.center) && same(game.radius, ref.radius)) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "depenetration of (" << circle.center.x << ", "
                                             << circle.center.y << ") r " << circle.radius;
    }

    ::testing::AssertionResult path(Segment p) {
        ++counts.queries;
        Vec2 out = untouched, ref_out = untouched;
        const bool hit = path_hits_segments(p, boxes, out);
        const bool ref = oracle_path_hits_segments(p, walls.data(), count(), ref_out);
        counts.hits += ref ? 1 : 0;
        if (hit == ref && same(out, ref_out)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "path (" << p.a.x << ", " << p.a.y << ") to (" << p.b.x << ", " << p.b.y
               << "): " << hit << " against reference " << ref;
    }

    int32_t count() const { return static_cast<int32_t>(walls.size()); }

    std::vector<Segment> walls;
    WallBoxes boxes;
    Counts counts;
};

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

private:
    std::mt19937 rng;
};

const LevelData* all_levels[] = {&title_level,    &level_table[0], &level_table[1],
                                 &level_table[2], &level_table[3], &level_table[4]};

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

TEST(IdentityQueries, BodiesGrazingAndSlidingAlongEveryLevelsWalls) {
    for (const LevelData* data : all_levels) {
        QueryCheck check(*data);
        ASSERT_TRUE(check.boxes.skipping);
        Dice dice(7u + static_cast<uint32_t>(data->segment_count));
        for (int i = 0; i < 8000; ++i) {
            const Side w = some_wall(*data, dice);
            const float side = dice.chance(0.5) ? 1.0f : -1.0f;
            const float gap = dice.chance(0.5) ? dice.uniform(-2e-4f, 2e-4f) : dice.uniform(-0.1f, 0.4f);
            const Vec2 at = w.s.a + (w.s.b - w.s.a) * dice.uniform(-1.0f, 2.0f);
            const Circle body(at + w.m * (side * (body_radius + gap)), body_radius);
            const float speed = dice.chance(0.3) ? dice.uniform(0, 1e-3f) : dice.uniform(0, 0.8f);
            const Vec2 along = (w.t + w.m * dice.uniform(-0.02f, 0.02f)) * speed;
            const Vec2 motion = dice.chance(0.5) ? along : dice.direction() * speed;
            ASSERT_TRUE(check.sweep(body, motion));
            ASSERT_TRUE(check.depenetration(Circle(body.center, body_radius + dice.uniform(0, 0.3f))));
            ASSERT_TRUE(check.path(Segment(body.center, body.center + motion * 8.0f)));
        }
        EXPECT_GT(check.counts.hits, 500) << "too few contacts to mean anything";
    }
}

// Where the reference's rounding reports a crossing of a wall that lies far
// from the path: a path ending within a few millionths of the wall's line,
// far behind the wall's end and running along it. Walls there must still be
// tested; the check counts such crossings to show the case was met.
TEST(IdentityQueries, PathsAndBodiesAlongAWallsLineBeyondItsEnd) {
    int far_crossings = 0;
    for (const LevelData* data : all_levels) {
        QueryCheck check(*data);
        Dice dice(99u + static_cast<uint32_t>(data->segment_count));
        for (int i = 0; i < 15000; ++i) {
            const Side w = some_wall(*data, dice);
            const float back = dice.uniform(0.1f, 3.0f);
            const float len = dice.uniform(0.005f, 0.5f);
            // Both ends within about the rounding of the wall's line.
            const Vec2 end = w.s.a - w.t * back + w.m * dice.uniform(-1e-6f, 1e-6f);
            const Vec2 start = end - w.t * len + w.m * dice.uniform(-1e-6f, 1e-6f);
            const Segment p(start, end);
            ASSERT_TRUE(check.path(p));
            Vec2 hit;
            if (oracle_path_hits_segments(p, &w.s, 1, hit) && length(hit - w.s.a) > 0.05f &&
                length(hit - w.s.b) > 0.05f) {
                ++far_crossings;
            }
            // The body's rim on the line, sliding along it toward the wall.
            const float side = dice.chance(0.5) ? 1.0f : -1.0f;
            const Vec2 centre = start + w.m * (side * (body_radius + dice.uniform(0.0f, 2e-6f)));
            ASSERT_TRUE(check.sweep(Circle(centre, body_radius), end - start));
        }
    }
    EXPECT_GT(far_crossings, 5);
}

TEST(IdentityQueries, NumbersThatAreNotNumbersAndBodiesFarAway) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    QueryCheck check(level_table[4]);
    const Vec2 start = level_table[4].start;
    const Vec2 centres[] = {start, Vec2(nan, start.y), Vec2(start.x, inf), Vec2(-inf, -inf),
                            Vec2(255.9f, start.y), Vec2(300.0f, 1.0f), Vec2(1e30f, -1e30f)};
    const Vec2 motions[] = {Vec2(0, 0), Vec2(0.01f, 0.2f), Vec2(nan, 0), Vec2(0, inf),
                            Vec2(-300.0f, 0), Vec2(1e-30f, 0), Vec2(-1e30f, 1e30f)};
    const float radii[] = {body_radius, 0.0f, -0.3f, nan, inf, 40.0f};
    for (Vec2 c : centres) {
        for (Vec2 m : motions) {
            for (float r : radii) {
                EXPECT_TRUE(check.sweep(Circle(c, r), m));
                EXPECT_TRUE(check.depenetration(Circle(c, r)));
                EXPECT_TRUE(check.path(Segment(c, c + m)));
            }
        }
    }
}

// A wall beyond the proven range turns the skipping off for the whole
// level; zero-length walls are never hit, wherever they lie.
TEST(IdentityQueries, WallsBeyondTheRangeAndWallsOfNoLength) {
    std::vector<Segment> walls = {Segment(Vec2(-1, 1), Vec2(1, 1)), Segment(Vec2(0.5f, 0.5f), Vec2(0.5f, 0.5f)),
                                  Segment(Vec2(-1, -1), Vec2(1, -1.5f)), Segment(Vec2(0, 0.9f), Vec2(0, 0.9f))};
    QueryCheck near_walls(walls);
    EXPECT_TRUE(near_walls.boxes.skipping);
    walls.push_back(Segment(Vec2(1000, 0), Vec2(1001, 0)));
    QueryCheck with_far_wall(walls);
    EXPECT_FALSE(with_far_wall.boxes.skipping);
    Dice dice(5);
    for (QueryCheck* check : {&near_walls, &with_far_wall}) {
        for (int i = 0; i < 5000; ++i) {
            const Vec2 c(dice.uniform(-1.5f, 1.5f), dice.uniform(-1.5f, 1.5f));
            const Vec2 m = dice.direction() * dice.uniform(0, 2);
            ASSERT_TRUE(check->sweep(Circle(c, body_radius), m));
            ASSERT_TRUE(check->depenetration(Circle(c, dice.uniform(0, 1))));
            ASSERT_TRUE(check->path(Segment(c, c + m)));
        }
        EXPECT_GT(check->counts.hits, 500);
    }
}

}  // namespace
