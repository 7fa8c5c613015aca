// The vector operations, with the NaN rules the collision queries rely on.
#include "physics/vec2.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(Vec2, LengthAndNormalize) {
    EXPECT_EQ(length(Vec2(3, 4)), 5.0f);
    const Vec2 n = normalize(Vec2(3, 4));
    EXPECT_FLOAT_EQ(n.x, 0.6f);
    EXPECT_FLOAT_EQ(n.y, 0.8f);
    EXPECT_EQ(length(Vec2(0, 0)), 0.0f);
}

TEST(Vec2, NormalizeOfZeroOrNaNIsNaN) {
    const Vec2 z = normalize(Vec2(0, 0));
    EXPECT_TRUE(std::isnan(z.x));
    EXPECT_TRUE(std::isnan(z.y));
    const Vec2 h = normalize(Vec2(NAN, 1));
    EXPECT_TRUE(std::isnan(h.x));
    EXPECT_TRUE(std::isnan(h.y));
}

TEST(Vec2, Arithmetic) {
    Vec2 a(1, 2);
    a += Vec2(0.5f, -4);
    EXPECT_EQ(a.x, 1.5f);
    EXPECT_EQ(a.y, -2.0f);
    const Vec2 d = (a - Vec2(1, 1)) * 2.0f;
    EXPECT_EQ(d.x, 1.0f);
    EXPECT_EQ(d.y, -6.0f);
    EXPECT_EQ(dot(Vec2(2, 3), Vec2(4, -5)), -7.0f);
    a.zero();
    EXPECT_EQ(a.x, 0.0f);
    EXPECT_EQ(a.y, 0.0f);
}

TEST(Vec2, ClosestPointOnSegment) {
    const Segment s(Vec2(0, 0), Vec2(2, 0));
    struct Case { Vec2 p; Vec2 want; };
    const Case cases[] = {
        {Vec2(-1, 0), Vec2(0, 0)},  // before a
        {Vec2(3, 5), Vec2(2, 0)},   // beyond b
        {Vec2(1, 7), Vec2(1, 0)},   // inside
        {Vec2(0, 3), Vec2(0, 0)},   // t exactly 0
        {Vec2(2, -3), Vec2(2, 0)},  // t exactly 1
    };
    for (const Case& c : cases) {
        const Vec2 q = closest_point_on_segment(c.p, s);
        EXPECT_EQ(q.x, c.want.x) << c.p.x << "," << c.p.y;
        EXPECT_EQ(q.y, c.want.y) << c.p.x << "," << c.p.y;
    }
}

TEST(Vec2, ClosestPointOnZeroLengthSegmentIsNaN) {
    const Segment dot_wall(Vec2(1, 1), Vec2(1, 1));
    for (const Vec2 p : {Vec2(0, 0), Vec2(1, 1), Vec2(-5, 3)}) {
        const Vec2 q = closest_point_on_segment(p, dot_wall);
        EXPECT_TRUE(std::isnan(q.x));
        EXPECT_TRUE(std::isnan(q.y));
    }
}

TEST(Vec2, AbsAndMinFollowTheirComparisons) {
    EXPECT_EQ(float_min(0.3f, 1.0f), 0.3f);
    EXPECT_EQ(float_min(1.0f, 0.3f), 0.3f);
    EXPECT_TRUE(std::isnan(float_min(NAN, 1.0f)));
    EXPECT_EQ(float_min(1.0f, NAN), 1.0f);
    EXPECT_EQ(float_abs(-2.5f), 2.5f);
    EXPECT_TRUE(std::isnan(float_abs(NAN)));
    EXPECT_TRUE(std::signbit(float_abs(-0.0f)));
}

}  // namespace
