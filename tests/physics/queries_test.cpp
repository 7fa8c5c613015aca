// The collision queries on hand-made walls: contacts, ties, touching cases, degenerate walls and
// paths, and the choices for undefined directions. An output is never written without a contact.
#include "physics/queries.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

const Segment floor_wall(Vec2(-1, 0.5f), Vec2(1, 0.5f));
const Segment end_wall(Vec2(-1, 0), Vec2(0, 0));
const Segment point_wall(Vec2(0.25f, 0.5f), Vec2(0.25f, 0.5f));  // zero length
// A face contact on `face` and an end contact on `post` at the same distance
// 1.75 for a circle of radius 1.25 at the origin (all values exact in binary).
const Segment face(Vec2(-5, 3), Vec2(5, 3));
const Segment post(Vec2(0.75f, 2.75f), Vec2(0.75f, 2.9f));
const Vec2 unset(123, 456);

void expect_point(Vec2 got, bool hit, Vec2 want) {
    const Vec2 expected = hit ? want : unset;
    EXPECT_NEAR(got.x, expected.x, 1e-6f);
    EXPECT_NEAR(got.y, expected.y, 1e-6f);
}

TEST(SweepCircle, ContactsTiesAndDegenerateCases) {
    // pos is not checked where it is NaN, normal only on a hit.
    // clang-format off
    const struct { const char* name; Vec2 center; float radius; Vec2 motion; std::vector<Segment> walls; bool hit; float dist; Vec2 pos, normal; } cases[] = {
        {"face", Vec2(0, 0), 0.125f, Vec2(0, 1), {floor_wall}, true, 0.375f, Vec2(0, 0.375f), Vec2(0, -1)},
        {"face short", Vec2(0, 0), 0.125f, Vec2(0, 0.3f), {floor_wall}, false, 0.3f, Vec2(0, 0.3f), Vec2()},
        {"contact exactly at the end is no hit", Vec2(0, 0), 0.125f, Vec2(0, 0.375f), {floor_wall}, false, 0.375f,
         Vec2(0, 0.375f), Vec2()},
        {"end", Vec2(1, 0), 0.125f, Vec2(-2, 0), {end_wall}, true, 0.875f, Vec2(0.125f, 0), Vec2(1, 0)},
        {"end short", Vec2(1, 0), 0.125f, Vec2(-0.5f, 0), {end_wall}, false, 0.5f, Vec2(0.5f, 0), Vec2()},
        {"nearest of several", Vec2(0, 0), 0.125f, Vec2(0, 3), {Segment(Vec2(-1, 2), Vec2(1, 2)), floor_wall}, true,
         0.375f, Vec2(0, 0.375f), Vec2(0, -1)},
        {"tie: face first", Vec2(0, 0), 1.25f, Vec2(0, 4), {face, post}, true, 1.75f, Vec2(0, 1.75f), Vec2(0, -1)},
        {"tie: post first", Vec2(0, 0), 1.25f, Vec2(0, 4), {post, face}, true, 1.75f, Vec2(0, 1.75f), Vec2(-0.6f, -0.8f)},
        // 0.05 from the wall: the sweep starts from the centre pushed (p + 0.0001) / 2 away, here along the wall.
        {"from the depenetrated centre", Vec2(0, 0.45f), 0.125f, Vec2(0.5f, 0), {floor_wall}, false, 0.5f,
         Vec2(0.5f, 0.45f - (0.075f + 0.0001f) / 2), Vec2()},
        {"zero motion touching", Vec2(0, 0.375f), 0.125f, Vec2(0, 0), {floor_wall}, false, 0, Vec2(NAN, 0), Vec2()},
        {"zero motion deep", Vec2(0, 0.45f), 0.125f, Vec2(0, 0), {floor_wall}, false, 0, Vec2(NAN, 0), Vec2()},
        {"zero motion on it", Vec2(0, 0.5f), 0.125f, Vec2(0, 0), {floor_wall}, false, 0, Vec2(NAN, 0), Vec2()},
        // No direction from the contact to a centre on the wall: it stops and is turned back against its motion.
        {"centre on the wall", Vec2(0, 0.5f), 0.125f, Vec2(0.3f, 0.4f), {floor_wall}, true, 0, Vec2(0, 0.5f),
         Vec2(-0.6f, -0.8f)},
        {"from on a zero-length wall", Vec2(0.25f, 0.5f), 0.125f, Vec2(0, 1), {point_wall}, false, 1,
         Vec2(0.25f, 1.5f), Vec2()},
        {"zero-length walls among real ones", Vec2(0.25f, 0), 0.125f, Vec2(0, 1), {point_wall, floor_wall, point_wall},
         true, 0.375f, Vec2(0.25f, 0.375f), Vec2(0, -1)},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Vec2 pos, normal = unset;
        float dist = -1;
        std::vector<Segment> walls = c.walls;  // and one through the centre beyond the count, never tested
        walls.push_back(Segment(c.center - Vec2(1, 1), c.center + Vec2(1, 1)));
        EXPECT_EQ(sweep_circle(Circle(c.center, c.radius), c.motion, walls.data(), static_cast<int32_t>(c.walls.size()),
                               pos, normal, dist),
                  c.hit);
        EXPECT_EQ(dist, c.dist);
        if (!std::isnan(c.pos.x)) expect_point(pos, true, c.pos);
        expect_point(normal, c.hit, c.normal);
    }
}

// Depenetration splits the overlap between a push and a shrink, and leaves a centre on the wall (no
// direction to go) bit for bit alone; a circle overlaps a wall it touches, not one a hair beyond, nor
// one of no length.
TEST(CircleOverlapsSegment, TouchingCountsAndBeyondDoesNot) {
    // clang-format off
    const struct { Vec2 center; Segment wall; Vec2 pushed; float radius; } pushes[] = {
        {Vec2(0, 0.45f), floor_wall, Vec2(0, 0.4125f), 0.0875f},
        {Vec2(0.5f, 0.5f), floor_wall, Vec2(0.5f, 0.5f), 0.125f},
        {Vec2(0.25f, 0.45f), point_wall, Vec2(0.25f, 0.45f), 0.125f},
    };
    // clang-format on
    for (const auto& c : pushes) {
        Circle circle(c.center, 0.125f);
        depenetrate(circle, &c.wall, 1);
        EXPECT_FLOAT_EQ(circle.radius, c.radius) << c.center.x;
        EXPECT_FLOAT_EQ(circle.center.x, c.pushed.x) << c.center.x;
        EXPECT_FLOAT_EQ(circle.center.y, c.pushed.y) << c.center.x;
        EXPECT_TRUE(c.radius != 0.125f || (circle.center.x == c.center.x && circle.center.y == c.center.y));
    }
    // clang-format off
    const struct { Circle circle; Segment wall; bool hit; Vec2 nearest; } overlaps[] = {
        {Circle(Vec2(0, 0), 0.5f), floor_wall, true, Vec2(0, 0.5f)},
        {Circle(Vec2(0, 0), std::nextafter(0.5f, 0.0f)), floor_wall, false, Vec2()},
        {Circle(Vec2(1.3f, 0.5f), 0.3125f), floor_wall, true, Vec2(1, 0.5f)},  // beyond the end
        {Circle(Vec2(1, 0), 0.125f), Segment(Vec2(1e8f, 0), Vec2(1, 0)), true, Vec2(1, 0)},  // on the end: 1e8 + (1 - 1e8) is not 1
        {Circle(point_wall.a, 0.125f), point_wall, false, Vec2()},
        {Circle(Vec2(0.25f, 0.45f), 0.125f), point_wall, false, Vec2()},
    };
    // clang-format on
    for (const auto& c : overlaps) {
        Vec2 q = unset;
        EXPECT_EQ(circle_overlaps_segment(c.circle, c.wall, q), c.hit) << c.circle.radius;
        expect_point(q, c.hit, c.nearest);
    }
}

// clang-format off
struct LineCase { const char* name; Segment line; bool hit; Vec2 point; std::vector<Segment> walls = {floor_wall}; };
// clang-format on

// Paths against walls (the first crossing in array order wins), and rays into the unit circle at the origin.
TEST(PathHitsSegments, EndsStartsTiesMissesAndDegenerates) {
    // clang-format off
    const LineCase paths[] = {
        {"crosses", Segment(Vec2(0.5f, 0), Vec2(0.5f, 1)), true, Vec2(0.5f, 0.5f)},
        {"ends on the wall", Segment(Vec2(0.25f, 0), Vec2(0.25f, 0.5f)), true, Vec2(0.25f, 0.5f)},
        {"starts on the wall", Segment(Vec2(0.25f, 0.5f), Vec2(0.25f, 1)), true, Vec2(0.25f, 0.5f)},
        {"stops short", Segment(Vec2(0.5f, 0), Vec2(0.5f, 0.4f)), false, Vec2()},
        {"passes the end", Segment(Vec2(1.5f, 0), Vec2(1.5f, 1)), false, Vec2()},
        {"through a wall end", Segment(Vec2(1, 0), Vec2(1, 1)), true, Vec2(1, 0.5f)},
        {"zero length on the wall", Segment(Vec2(0, 0.5f), Vec2(0, 0.5f)), false, Vec2()},
        {"along the wall's line onto it", Segment(Vec2(-3, 0.5f), Vec2(0, 0.5f)), false, Vec2()},
        {"first in the array, not the nearest", Segment(Vec2(0, 0), Vec2(4, 0)), true, Vec2(3, 0),
         {Segment(Vec2(3, -1), Vec2(3, 1)), Segment(Vec2(1, -1), Vec2(1, 1))}},
        // Along one wall's line: that wall is skipped, the next of the run is found at the corner.
        {"along a wall into the next", Segment(Vec2(0, 0.5f), Vec2(2, 0.5f)), true, Vec2(1, 0.5f),
         {floor_wall, Segment(Vec2(1, 0.5f), Vec2(1, -1))}},
        // Ends 1e-24 and 2e-24 to one side: their f32 product underflows to zero, yet they are not apart.
        {"tiny sides of one sign", Segment(Vec2(0.1f, 2e-24f), Vec2(0.2f, 1e-24f)), false, Vec2(),
         {Segment(Vec2(-1, 0), Vec2(1, 0))}},
        {"across a zero-length wall", Segment(Vec2(0.25f, 0), Vec2(0.25f, 1)), false, Vec2(), {point_wall}},
        // Found by fuzzing: a wall whose squared length underflows in f32 has no normal; no NaN may come back.
        {"across a wall too short for a normal", Segment(Vec2(1e-6f, 0.125f), Vec2(0, 0)), false, Vec2(),
         {Segment(Vec2(1e-34f, 3.7e-34f), Vec2(3.7e-34f, 0.0f))}},
    };
    // clang-format on
    for (const LineCase& c : paths) {
        Vec2 hit = unset;
        std::vector<Segment> walls = c.walls;  // and one across the path beyond the count, never tested
        const Vec2 mid = (c.line.a + c.line.b) * 0.5f, across(c.line.a.y - c.line.b.y, c.line.b.x - c.line.a.x);
        walls.push_back(Segment(mid - across, mid + across));
        EXPECT_EQ(path_hits_segments(c.line, walls.data(), static_cast<int32_t>(c.walls.size()), hit), c.hit) << c.name;
        expect_point(hit, c.hit, c.point);
    }
    // clang-format off
    const LineCase rays[] = {
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
    // clang-format on
    for (const LineCase& c : rays) {
        Vec2 hit = unset;
        EXPECT_EQ(ray_hits_circle(c.line, Circle(Vec2(0, 0), 1), hit), c.hit) << c.name;
        expect_point(hit, c.hit, c.point);
    }
}

}  // namespace
