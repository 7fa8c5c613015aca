// The collision queries on hand-made walls: contacts, ties, touching cases,
// degenerate walls and paths, and the choices for undefined directions.
#include "physics/queries.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const Segment floor_wall(Vec2(-1, 0.5f), Vec2(1, 0.5f));
const Segment end_wall(Vec2(-1, 0), Vec2(0, 0));
const Segment point_wall(Vec2(0.25f, 0.5f), Vec2(0.25f, 0.5f));  // zero length

bool finite(Vec2 v) { return std::isfinite(v.x) && std::isfinite(v.y); }

struct SweepCase {
    const char* name;
    Vec2 center;
    Vec2 motion;
    Segment wall;
    bool hit;
    float dist;
    Vec2 pos;
    Vec2 normal;  // checked only on a hit
};

TEST(SweepCircle, FaceAndEndContactsAndShorterMotions) {
    const SweepCase cases[] = {
        {"face", Vec2(0, 0), Vec2(0, 1), floor_wall, true, 0.375f, Vec2(0, 0.375f), Vec2(0, -1)},
        {"face short", Vec2(0, 0), Vec2(0, 0.3f), floor_wall, false, 0.3f, Vec2(0, 0.3f), Vec2()},
        {"end", Vec2(1, 0), Vec2(-2, 0), end_wall, true, 0.875f, Vec2(0.125f, 0), Vec2(1, 0)},
        {"end short", Vec2(1, 0), Vec2(-0.5f, 0), end_wall, false, 0.5f, Vec2(0.5f, 0), Vec2()},
    };
    for (const SweepCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Vec2 sentinel(123, 456);
        Vec2 pos, normal = sentinel;
        float dist = -1;
        EXPECT_EQ(sweep_circle(Circle(c.center, 0.125f), c.motion, &c.wall, 1, pos, normal, dist),
                  c.hit);
        EXPECT_FLOAT_EQ(dist, c.dist);
        EXPECT_NEAR(pos.x, c.pos.x, 1e-6f);
        EXPECT_NEAR(pos.y, c.pos.y, 1e-6f);
        if (c.hit) {
            EXPECT_NEAR(normal.x, c.normal.x, 1e-6f);
            EXPECT_NEAR(normal.y, c.normal.y, 1e-6f);
        } else {
            EXPECT_EQ(normal.x, sentinel.x);  // not written without a contact
            EXPECT_EQ(normal.y, sentinel.y);
        }
    }
}

TEST(SweepCircle, ContactExactlyAtTheEndOfTheMotionIsNoHit) {
    Vec2 pos, normal;
    float dist;
    EXPECT_FALSE(sweep_circle(Circle(Vec2(0, 0), 0.125f), Vec2(0, 0.375f), &floor_wall, 1, pos,
                              normal, dist));
    EXPECT_EQ(dist, 0.375f);
}

// A face contact on wall A and an end contact on wall B at the same distance
// 1.75 (all values exact in binary): the earlier wall gives the normal.
TEST(SweepCircle, EqualDistancesGoToTheFirstWall) {
    const Segment face(Vec2(-5, 3), Vec2(5, 3));
    const Segment post(Vec2(0.75f, 2.75f), Vec2(0.75f, 2.9f));
    const Segment face_first[] = {face, post};
    const Segment post_first[] = {post, face};
    Vec2 pos, normal;
    float dist;
    ASSERT_TRUE(sweep_circle(Circle(Vec2(0, 0), 1.25f), Vec2(0, 4), face_first, 2, pos, normal, dist));
    EXPECT_EQ(dist, 1.75f);
    EXPECT_FLOAT_EQ(normal.x, 0.0f);
    EXPECT_FLOAT_EQ(normal.y, -1.0f);
    ASSERT_TRUE(sweep_circle(Circle(Vec2(0, 0), 1.25f), Vec2(0, 4), post_first, 2, pos, normal, dist));
    EXPECT_EQ(dist, 1.75f);
    EXPECT_FLOAT_EQ(normal.x, -0.6f);
    EXPECT_FLOAT_EQ(normal.y, -0.8f);
}

TEST(SweepCircle, NearestOfSeveralWallsStops) {
    const Segment walls[] = {Segment(Vec2(-1, 2), Vec2(1, 2)), floor_wall};
    Vec2 pos, normal;
    float dist;
    ASSERT_TRUE(sweep_circle(Circle(Vec2(0, 0), 0.125f), Vec2(0, 3), walls, 2, pos, normal, dist));
    EXPECT_FLOAT_EQ(dist, 0.375f);
}

// A circle 0.05 from a wall sweeps from the centre pushed (p + 0.0001) / 2
// away, here along the wall without touching it.
TEST(SweepCircle, StartsFromTheDepenetratedCentre) {
    Vec2 pos, normal;
    float dist;
    EXPECT_FALSE(sweep_circle(Circle(Vec2(0, 0.45f), 0.125f), Vec2(0.5f, 0), &floor_wall, 1, pos,
                              normal, dist));
    EXPECT_NEAR(pos.x, 0.5f, 1e-6f);
    EXPECT_NEAR(pos.y, 0.45f - (0.075f + 0.0001f) / 2, 1e-6f);
    EXPECT_FLOAT_EQ(dist, 0.5f);
}

TEST(SweepCircle, ZeroMotionNeverHits) {
    // Far from the wall, touching it, and overlapping it deeply.
    for (float y : {0.0f, 0.375f, 0.45f, 0.5f}) {
        SCOPED_TRACE(y);
        Vec2 pos, normal;
        float dist = -1;
        EXPECT_FALSE(sweep_circle(Circle(Vec2(0, y), 0.125f), Vec2(0, 0), &floor_wall, 1, pos,
                                  normal, dist));
        EXPECT_EQ(dist, 0.0f);
    }
}

// The centre exactly on a wall: no direction from the contact to the centre,
// so the circle stops where it is and is turned back against its motion.
TEST(SweepCircle, CentreOnAWallStopsWithTheReversedMotionAsNormal) {
    Vec2 pos, normal;
    float dist;
    ASSERT_TRUE(sweep_circle(Circle(Vec2(0, 0.5f), 0.125f), Vec2(0.3f, 0.4f), &floor_wall, 1, pos,
                             normal, dist));
    EXPECT_EQ(dist, 0.0f);
    EXPECT_EQ(pos.x, 0.0f);
    EXPECT_EQ(pos.y, 0.5f);
    EXPECT_FLOAT_EQ(normal.x, -0.6f);
    EXPECT_FLOAT_EQ(normal.y, -0.8f);
}

TEST(Depenetrate, SplitsTheOverlapBetweenPushAndShrink) {
    Circle c(Vec2(0, 0.45f), 0.125f);
    depenetrate(c, &floor_wall, 1);
    EXPECT_FLOAT_EQ(c.radius, 0.0875f);
    EXPECT_FLOAT_EQ(c.center.x, 0.0f);
    EXPECT_FLOAT_EQ(c.center.y, 0.4125f);
}

// In a right-angled corner both walls take their share, the second against
// the circle the first one already moved and shrank.
TEST(Depenetrate, OnePassClearsACorner) {
    const Segment corner[] = {floor_wall, Segment(Vec2(0.5f, -1), Vec2(0.5f, 1))};
    Circle c(Vec2(0.45f, 0.45f), 0.125f);
    depenetrate(c, corner, 2);
    for (const Segment& s : corner) {
        const Vec2 nearest = closest_point_on_segment(c.center, s);
        EXPECT_GE(length(nearest - c.center), c.radius * 0.99999f);
    }
    EXPECT_LT(c.radius, 0.125f);
    EXPECT_LT(c.center.x, 0.45f);
    EXPECT_LT(c.center.y, 0.45f);
}

// (The nearest point must come out exactly on the centre: at x = 0.5 it does.)
TEST(Depenetrate, LeavesACircleOnAWallAlone) {
    Circle c(Vec2(0.5f, 0.5f), 0.125f);
    depenetrate(c, &floor_wall, 1);
    EXPECT_EQ(c.center.x, 0.5f);
    EXPECT_EQ(c.center.y, 0.5f);
    EXPECT_EQ(c.radius, 0.125f);
}

TEST(CircleOverlapsSegment, TouchingCountsAndBeyondDoesNot) {
    Vec2 q(9, 9);
    EXPECT_TRUE(circle_overlaps_segment(Circle(Vec2(0, 0), 0.5f), floor_wall, q));
    EXPECT_EQ(q.x, 0.0f);
    EXPECT_EQ(q.y, 0.5f);
    Vec2 untouched(9, 9);
    EXPECT_FALSE(circle_overlaps_segment(Circle(Vec2(0, 0), std::nextafter(0.5f, 0.0f)),
                                         floor_wall, untouched));
    EXPECT_EQ(untouched.x, 9.0f);
    // Beyond the wall's end the nearest point is the endpoint.
    EXPECT_TRUE(circle_overlaps_segment(Circle(Vec2(1.3f, 0.5f), 0.3125f), floor_wall, q));
    EXPECT_EQ(q.x, 1.0f);
}

TEST(PathHitsSegments, FirstWallInTheArrayWinsOverTheNearest) {
    const Segment far_wall(Vec2(3, -1), Vec2(3, 1));
    const Segment near_wall(Vec2(1, -1), Vec2(1, 1));
    const Segment walls[] = {far_wall, near_wall};
    Vec2 hit;
    ASSERT_TRUE(path_hits_segments(Segment(Vec2(0, 0), Vec2(4, 0)), walls, 2, hit));
    EXPECT_FLOAT_EQ(hit.x, 3.0f);
    EXPECT_FLOAT_EQ(hit.y, 0.0f);
}

struct PathCase {
    const char* name;
    Segment path;
    bool hit;
    Vec2 point;
};

TEST(PathHitsSegments, EndsStartsMissesAndDegenerates) {
    const PathCase cases[] = {
        {"crosses", Segment(Vec2(0.5f, 0), Vec2(0.5f, 1)), true, Vec2(0.5f, 0.5f)},
        {"ends on the wall", Segment(Vec2(0.25f, 0), Vec2(0.25f, 0.5f)), true, Vec2(0.25f, 0.5f)},
        {"starts on the wall", Segment(Vec2(0.25f, 0.5f), Vec2(0.25f, 1)), true, Vec2(0.25f, 0.5f)},
        {"stops short", Segment(Vec2(0.5f, 0), Vec2(0.5f, 0.4f)), false, Vec2()},
        {"passes the end", Segment(Vec2(1.5f, 0), Vec2(1.5f, 1)), false, Vec2()},
        {"through a wall end", Segment(Vec2(1, 0), Vec2(1, 1)), true, Vec2(1, 0.5f)},
        {"zero length on the wall", Segment(Vec2(0, 0.5f), Vec2(0, 0.5f)), false, Vec2()},
        {"along the wall's line", Segment(Vec2(-2, 0.5f), Vec2(2, 0.5f)), false, Vec2()},
        {"along the line onto it", Segment(Vec2(-3, 0.5f), Vec2(0, 0.5f)), false, Vec2()},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(c.name);
        Vec2 hit(77, 77);
        EXPECT_EQ(path_hits_segments(c.path, &floor_wall, 1, hit), c.hit);
        if (c.hit) {
            EXPECT_FLOAT_EQ(hit.x, c.point.x);
            EXPECT_FLOAT_EQ(hit.y, c.point.y);
        } else {
            EXPECT_EQ(hit.x, 77.0f);  // not written
        }
    }
}

// A path lying along one wall's line skips that wall but still finds the
// next wall of the run, at the corner it reaches.
TEST(PathHitsSegments, PathAlongAWallStillFindsTheNextWall) {
    const Segment run[] = {floor_wall, Segment(Vec2(1, 0.5f), Vec2(1, -1))};
    Vec2 hit;
    ASSERT_TRUE(path_hits_segments(Segment(Vec2(0, 0.5f), Vec2(2, 0.5f)), run, 2, hit));
    EXPECT_TRUE(finite(hit));
    EXPECT_FLOAT_EQ(hit.x, 1.0f);
    EXPECT_FLOAT_EQ(hit.y, 0.5f);
}

// The path's end points lie 1e-24 and 2e-24 to the same side of the wall's
// line; the f32 product of those sides underflows to zero, yet they must not
// count as lying on opposite sides (the crossing would be off the path).
TEST(PathHitsSegments, TinySidesOfTheSameSignDoNotCross) {
    const Segment wall(Vec2(-1, 0), Vec2(1, 0));
    Vec2 hit(5, 5);
    EXPECT_FALSE(path_hits_segments(Segment(Vec2(0.1f, 2e-24f), Vec2(0.2f, 1e-24f)), &wall, 1, hit));
    EXPECT_EQ(hit.x, 5.0f);
}

struct RayCase {
    const char* name;
    Segment ray;
    bool hit;
    Vec2 point;
};

TEST(RayHitsCircle, StartsEntriesAndMisses) {
    const Circle unit(Vec2(0, 0), 1);
    const RayCase cases[] = {
        {"starts on the circle", Segment(Vec2(1, 0), Vec2(5, 0)), true, Vec2(1, 0)},
        {"starts inside", Segment(Vec2(0.5f, 0), Vec2(5, 0)), true, Vec2(0.5f, 0)},
        {"enters", Segment(Vec2(-3, 0), Vec2(3, 0)), true, Vec2(-1, 0)},
        {"enters off centre", Segment(Vec2(-3, 0.6f), Vec2(3, 0.6f)), true, Vec2(-0.8f, 0.6f)},
        {"entry exactly at the end", Segment(Vec2(-3, 0), Vec2(-1, 0)), true, Vec2(-1, 0)},
        {"entry beyond the end", Segment(Vec2(-3, 0), Vec2(-1.5f, 0)), false, Vec2()},
        {"points away", Segment(Vec2(-3, 0), Vec2(-6, 0)), false, Vec2()},
        {"passes beside", Segment(Vec2(-3, 1.5f), Vec2(3, 1.5f)), false, Vec2()},
        {"zero length outside", Segment(Vec2(-3, 0), Vec2(-3, 0)), false, Vec2()},
        {"zero length inside", Segment(Vec2(0.25f, 0), Vec2(0.25f, 0)), true, Vec2(0.25f, 0)},
    };
    for (const RayCase& c : cases) {
        SCOPED_TRACE(c.name);
        Vec2 hit(77, 77);
        EXPECT_EQ(ray_hits_circle(c.ray, unit, hit), c.hit);
        if (c.hit) {
            EXPECT_FLOAT_EQ(hit.x, c.point.x);
            EXPECT_FLOAT_EQ(hit.y, c.point.y);
        } else {
            EXPECT_EQ(hit.x, 77.0f);
        }
    }
}

// A zero-length wall lying right in the way takes no part in any query.
TEST(ZeroLengthWall, IgnoredByEveryQuery) {
    Vec2 out(77, 77);
    EXPECT_FALSE(circle_overlaps_segment(Circle(point_wall.a, 0.125f), point_wall, out));
    EXPECT_FALSE(circle_overlaps_segment(Circle(Vec2(0.25f, 0.45f), 0.125f), point_wall, out));

    Circle c(Vec2(0.25f, 0.45f), 0.125f);
    depenetrate(c, &point_wall, 1);
    EXPECT_EQ(c.center.x, 0.25f);
    EXPECT_EQ(c.center.y, 0.45f);
    EXPECT_EQ(c.radius, 0.125f);

    EXPECT_FALSE(path_hits_segments(Segment(Vec2(0.25f, 0), Vec2(0.25f, 1)), &point_wall, 1, out));
    EXPECT_FALSE(path_hits_segments(Segment(Vec2(0, 0), Vec2(0.5f, 1)), &point_wall, 1, out));
    EXPECT_EQ(out.x, 77.0f);

    // A ray built on the wall's point against a circle: as any other ray.
    EXPECT_FALSE(ray_hits_circle(Segment(point_wall.a, point_wall.b), Circle(Vec2(0, 0), 0.125f), out));

    // Sweeping straight through it, from outside and from on top of it.
    for (Vec2 start : {Vec2(0.25f, 0), Vec2(0.25f, 0.5f)}) {
        Vec2 pos, normal(55, 55);
        float dist;
        EXPECT_FALSE(sweep_circle(Circle(start, 0.125f), Vec2(0, 1), &point_wall, 1, pos, normal, dist));
        EXPECT_FLOAT_EQ(dist, 1.0f);
        EXPECT_FLOAT_EQ(pos.y, start.y + 1);
        EXPECT_EQ(normal.x, 55.0f);
    }
    // Among real walls it changes nothing.
    const Segment walls[] = {point_wall, floor_wall, point_wall};
    Vec2 pos, normal;
    float dist;
    ASSERT_TRUE(sweep_circle(Circle(Vec2(0.25f, 0), 0.125f), Vec2(0, 1), walls, 3, pos, normal, dist));
    EXPECT_FLOAT_EQ(dist, 0.375f);
    EXPECT_FLOAT_EQ(normal.y, -1.0f);
}

}  // namespace
