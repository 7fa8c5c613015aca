// The vector operations, with the NaN rules the collision queries rely on.
#include "physics/vec2.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expect_nan(Vec2 v) { EXPECT_TRUE(std::isnan(v.x) && std::isnan(v.y)) << v.x << "," << v.y; }

TEST(Vec2, ArithmeticLengthAndNormalize) {
    Vec2 a(1, 2);
    a += Vec2(0.5f, -4);
    const Vec2 d = (a - Vec2(1, 1)) * 2.0f;
    EXPECT_EQ(d.x, 1.0f);
    EXPECT_EQ(d.y, -6.0f);
    EXPECT_EQ(dot(Vec2(2, 3), Vec2(4, -5)), -7.0f);
    a.zero();
    EXPECT_EQ(length(a), 0.0f);
    EXPECT_EQ(length(Vec2(3, 4)), 5.0f);
    EXPECT_FLOAT_EQ(normalize(Vec2(3, 4)).x, 0.6f);
    EXPECT_FLOAT_EQ(normalize(Vec2(3, 4)).y, 0.8f);
    expect_nan(normalize(Vec2(0, 0)));
    expect_nan(normalize(Vec2(NAN, 1)));
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
    // A wall of no length has no nearest point.
    for (const Vec2 p : {Vec2(0, 0), Vec2(1, 1), Vec2(-5, 3)}) {
        expect_nan(closest_point_on_segment(p, Segment(Vec2(1, 1), Vec2(1, 1))));
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
