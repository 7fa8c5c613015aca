// The aim line's two ends, and the rope start the drawing relies on: on the
// body, never a NaN point, when the hook gives no direction.
#include "content/world_draw.h"

#include "physics/ball.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(AimLine, RunsFromTheRimToTheRopesReach) {
    Vec2 line[2];
    aim_line(Vec2(3, 2), Vec2(0.6f, -0.8f), line);
    EXPECT_FLOAT_EQ(line[0].x, 3 + 0.6f * 0.125f);
    EXPECT_FLOAT_EQ(line[0].y, 2 - 0.8f * 0.125f);
    EXPECT_NEAR(length(line[1] - Vec2(3, 2)), 2.2f, 1e-5f);
    EXPECT_NEAR(line[1].x, 3 + 0.6f * 2.2f, 1e-5f);
}

TEST(AimLine, ZeroAimCollapsesOntoTheBody) {
    Vec2 line[2];
    aim_line(Vec2(-1.5f, 7), Vec2(0, 0), line);
    for (const Vec2& v : line) {
        EXPECT_EQ(v.x, -1.5f);
        EXPECT_EQ(v.y, 7.0f);
    }
}

Vec2 drawn_rope_start(Vec2 pos, Vec2 hook) {
    Ball ball;
    ball.pos = pos;
    ball.hook_pos = hook;
    ball.rope_state = Attached;
    return rope_line_start(ball);
}

TEST(DrawnRope, NoDirectionGivesTheCentreNotNaN) {
    const struct {
        Vec2 pos;
        Vec2 hook;
    } cases[] = {
        {Vec2(3, 2), Vec2(3, 2)},
        {Vec2(-7.25f, 1e-30f), Vec2(-7.25f, 1e-30f)},
        // So close that the squared distance underflows to 0.
        {Vec2(0, 0), Vec2(1e-30f, 0)},
        {Vec2(0, 0), Vec2(0, -1e-25f)},
    };
    for (const auto& c : cases) {
        const Vec2 start = drawn_rope_start(c.pos, c.hook);
        EXPECT_EQ(start.x, c.pos.x);
        EXPECT_EQ(start.y, c.pos.y);
    }
}

}  // namespace
