// The aim line and the rope as the body draws them: from the rim, never from
// a NaN point.
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

TEST(DrawnRope, StartsOnTheRimTowardTheHook) {
    const struct {
        Vec2 pos;
        Vec2 hook;
    } cases[] = {
        {Vec2(3, 2), Vec2(3, 0)},
        {Vec2(3, 2), Vec2(5.5f, 4.5f)},
        {Vec2(0, 0), Vec2(-0.01f, 0.001f)},
        {Vec2(10, 10), Vec2(10.05f, 10)},      // hook inside the body: still the rim
        {Vec2(0, 0), Vec2(1e-20f, -1e-20f)},   // a subnormal square still has a direction
    };
    for (const auto& c : cases) {
        const Vec2 start = drawn_rope_start(c.pos, c.hook);
        const Vec2 to_hook = c.hook - c.pos;
        const Vec2 to_start = start - c.pos;
        EXPECT_NEAR(length(to_start), 0.125f, 1e-5f);
        // On the ray from the centre through the hook.
        EXPECT_NEAR(to_hook.x * to_start.y - to_hook.y * to_start.x, 0.0f, 1e-6f);
        EXPECT_GT(dot(to_hook, to_start), 0.0f);
    }
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
