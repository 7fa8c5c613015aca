// The body's swept move: stopping at walls, the bounce, the impact sound and
// its threshold, and the limit of five sweeps per frame.
#include <gtest/gtest.h>

#include <cmath>

#include "physics/ball.h"
#include "sound/programs.h"
#include "tests/physics/sound_log.h"
#include "tests/physics/test_level.h"

namespace {

const Segment floor_wall(Vec2(-1, 0.5f), Vec2(1, 0.5f));

struct MoveCase {
    const char* name;
    Vec2 pos, vel;
    float dt;
    Vec2 want_pos, want_vel;
    int bounces;
    float volume;  // of the single bounce, when there is one
};

// One floor, a bounce factor of 0.5 and up to four rebounds.
TEST(BallMove, BouncesStopsAndSlides) {
    const MoveCase cases[] = {
        // The worked example: the rest of the motion goes on after the bounce.
        {"bounce", Vec2(0, 0), Vec2(0, 2), 0.5f, Vec2(0, 0.0625f), Vec2(0, -1), 1, 0.5f},
        {"tangential speed kept", Vec2(0, 0), Vec2(0.5f, 2), 0.5f, Vec2(0.25f, 0.0625f),
         Vec2(0.5f, -1), 1, 0.5f},
        {"still body overlapping", Vec2(0, 0.45f), Vec2(0, 0), 1.0f / 60, Vec2(0, 0.45f), Vec2(0, 0), 0, 0},
        {"zero time step", Vec2(0, 0.45f), Vec2(3, 4), 0, Vec2(0, 0.45f), Vec2(3, 4), 0, 0},
        // Without a contact the body moves from its own centre, not from the
        // depenetrated centre the sweep started from.
        {"free move", Vec2(0, 0.45f), Vec2(1, 0), 0.5f, Vec2(0.5f, 0.45f), Vec2(1, 0), 0, 0},
    };
    for (const MoveCase& c : cases) {
        SCOPED_TRACE(c.name);
        SoundLog sounds;
        TestLevel level({floor_wall}, {}, Vec2(0, 0));
        Ball ball;
        ball.reset(level.state);
        ball.pos = c.pos;
        ball.vel = c.vel;
        ball.move(1.0f, 4, c.dt);
        if (c.bounces == 0) {  // a free or blocked move is exact
            EXPECT_EQ(ball.pos.x, c.want_pos.x);
            EXPECT_EQ(ball.pos.y, c.want_pos.y);
        }
        EXPECT_FLOAT_EQ(ball.pos.x, c.want_pos.x);
        EXPECT_FLOAT_EQ(ball.pos.y, c.want_pos.y);
        EXPECT_FLOAT_EQ(ball.vel.x, c.want_vel.x);
        EXPECT_FLOAT_EQ(ball.vel.y, c.want_vel.y);
        ASSERT_EQ(sounds.all().size(), static_cast<size_t>(c.bounces));
        if (c.bounces == 1) {
            EXPECT_EQ(sounds.all()[0].program, snd_bounce);
            EXPECT_EQ(sounds.all()[0].volume, c.volume);
            EXPECT_FALSE(sounds.all()[0].lock);
        }
    }
}

// Falling straight onto the floor gives a normal of exactly (0, -1), so the
// impact speed is exactly the speed given here.
TEST(BallMove, ImpactSoundThresholdAndVolume) {
    struct ImpactCase { float speed; bool plays; float volume; };
    const ImpactCase cases[] = {
        {0.1f, true, 0.1f / 4},  // the f32 nearest 0.1 lies above the double 0.1
        {std::nextafter(0.1f, 0.0f), false, 0},
        {0.05f, false, 0},
        {0.4f, true, 0.1f},
        {4.0f, true, 1.0f},
        {9.0f, true, 1.0f},
    };
    for (const ImpactCase& c : cases) {
        SCOPED_TRACE(c.speed);
        SoundLog sounds;
        TestLevel level({floor_wall}, {}, Vec2(0, 0));
        Ball ball;
        ball.reset(level.state);
        ball.vel = Vec2(0, c.speed);
        // A step long enough to reach the floor, with nothing to bounce into after.
        ball.move(1.0f, 0, 1.0f / c.speed);
        EXPECT_FLOAT_EQ(ball.pos.y, 0.375f);
        ASSERT_EQ(sounds.all().size(), c.plays ? 1u : 0u);
        if (c.plays) {
            EXPECT_EQ(sounds.all()[0].volume, c.volume);
        }
    }
}

// Between a floor and a ceiling 1 apart the body bounces 64 -> -32 -> 16 -> -8
// -> 4 -> -2; the fifth contact ends the frame with motion still to go.
TEST(BallMove, FifthSweepDropsTheRestOfTheFrame) {
    SoundLog sounds;
    TestLevel level({floor_wall, Segment(Vec2(-1, -0.5f), Vec2(1, -0.5f))}, {}, Vec2(0, 0));
    Ball ball;
    ball.reset(level.state);
    ball.vel = Vec2(0, 64);
    ball.move(1.0f, 4, 1.0f);
    EXPECT_NEAR(ball.vel.y, -2.0f, 1e-5f);
    EXPECT_NEAR(ball.vel.x, 0.0f, 1e-6f);
    EXPECT_NEAR(ball.pos.y, 0.375f, 0.001f);  // resting at the floor it hit last
    EXPECT_EQ(sounds.count(snd_bounce), 5);
}

}  // namespace
