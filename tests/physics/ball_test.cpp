// The body's frame update: aim, gravity, the rope's states and pull, the gem
// pickup, frozen input, a zero time step and reset.
#include <gtest/gtest.h>

#include <cmath>

#include "app/globals.h"
#include "physics/control_input.h"
#include "physics/ball.h"
#include "sound/programs.h"
#include "tests/physics/sound_log.h"
#include "tests/physics/test_level.h"

namespace {

bool finite(Vec2 v) { return std::isfinite(v.x) && std::isfinite(v.y); }

ControlInput controls(uint8_t pressed, uint8_t held, uint8_t frozen = 0, Vec2 aim = Vec2(0, 0)) {
    ControlInput in;
    in.aim = aim;
    in.pressed = pressed;
    in.held = held;
    in.frozen = frozen;
    return in;
}

// Exactly count requests, all of program at full volume and unlocked.
void expect_sounds(const SoundLog& sounds, SoundProgram program, int count) {
    ASSERT_EQ(sounds.all().size(), static_cast<size_t>(count));
    for (const SoundRequest& r : sounds.all()) {
        EXPECT_EQ(r.program, program);
        EXPECT_EQ(r.volume, 1.0f);
        EXPECT_FALSE(r.lock);
    }
}

// A level with no walls: the body flies free.
struct OpenSpace : ::testing::Test {
    OpenSpace() : level({}, {}, Vec2(0, 0)) { ball.reset(level.state); }
    SoundLog sounds;
    TestLevel level;
    Ball ball;
};

TEST_F(OpenSpace, AimIsNormalisedAndKeptOnZeroInput) {
    ball.update(0, controls(0, 0, 0, Vec2(3, 4)));
    EXPECT_FLOAT_EQ(ball.aim.x, 0.6f);
    EXPECT_FLOAT_EQ(ball.aim.y, 0.8f);
    ball.update(0, controls(0, 0, 0, Vec2(0, 0)));
    EXPECT_FLOAT_EQ(ball.aim.x, 0.6f);
    EXPECT_FLOAT_EQ(ball.aim.y, 0.8f);
    ball.update(0, controls(0, 0, 0, Vec2(NAN, 1)));
    EXPECT_FLOAT_EQ(ball.aim.x, 0.6f);
    ball.update(0, controls(0, 0, 1, Vec2(-2, 0)));  // frozen still aims
    EXPECT_FLOAT_EQ(ball.aim.x, -1.0f);
    EXPECT_FLOAT_EQ(ball.aim.y, 0.0f);
}

// Gravity is 1.5 per second; a stall of seconds counts as a quarter second.
TEST_F(OpenSpace, GravityAndStalls) {
    struct Case { float dt, vy, y; };
    for (const Case& c : {Case{1.0f / 60, 0.025f, 0.025f / 60}, Case{6.0f, 0.375f, 0.375f * 0.25f}}) {
        ball.reset(level.state);
        ball.update(c.dt, controls(0, 0));
        EXPECT_FLOAT_EQ(ball.vel.y, c.vy) << c.dt;
        EXPECT_EQ(ball.vel.x, 0.0f);
        EXPECT_FLOAT_EQ(ball.pos.y, c.y) << c.dt;
    }
}

TEST_F(OpenSpace, RopeFiresFromTheRimAndFliesFromTheNextFrame) {
    ball.pos = Vec2(1, 1);
    ball.update(0, controls(1, 1, 0, Vec2(1, 0)));
    EXPECT_EQ(ball.rope_state, Flying);
    EXPECT_FLOAT_EQ(ball.hook_pos.x, 1.125f);
    EXPECT_FLOAT_EQ(ball.hook_pos.y, 1.0f);
    EXPECT_EQ(ball.hook_vel.x, 1.0f);
    EXPECT_EQ(ball.hook_vel.y, 0.0f);
    expect_sounds(sounds, snd_rope_fire, 1);

    ball.update(0.1f, controls(0, 1));
    EXPECT_EQ(ball.rope_state, Flying);
    EXPECT_FLOAT_EQ(ball.hook_pos.x, 1.925f);
    EXPECT_FLOAT_EQ(ball.hook_pos.y, 1.0f);
    EXPECT_EQ(sounds.all().size(), 1u);
}

// Fired while the body falls: the hook starts at the tentative position and
// does not move in its first frame.
TEST_F(OpenSpace, FiringFrameUsesTheTentativePosition) {
    ball.vel = Vec2(0, 1.8125f);  // 2 after this frame's gravity
    ball.update(0.125f, controls(1, 1, 0, Vec2(0, -1)));
    EXPECT_FLOAT_EQ(ball.hook_pos.y, 0.25f - 0.125f);
    EXPECT_EQ(ball.hook_pos.x, 0.0f);
}

// Pressed and let go in one frame still fires; a press while flying changes
// nothing; the rope drops in the first frame the button is up.
TEST_F(OpenSpace, PressAgainWhileFlyingIsIgnoredAndReleaseDrops) {
    ball.update(0, controls(1, 0, 0, Vec2(1, 0)));
    EXPECT_EQ(ball.rope_state, Flying);
    const Vec2 hook = ball.hook_pos;
    ball.update(0, controls(1, 1, 0, Vec2(0, 1)));
    EXPECT_EQ(ball.rope_state, Flying);
    EXPECT_EQ(ball.hook_pos.x, hook.x);
    EXPECT_EQ(ball.hook_vel.x, 1.0f);
    EXPECT_EQ(sounds.count(snd_rope_fire), 1);
    ball.update(1.0f / 60, controls(0, 0));
    EXPECT_EQ(ball.rope_state, Idle);
}

// With dt = 0.125 and vel.y = -0.1875 gravity leaves the body still, and the
// hook moves exactly 1 along (1, 0): it ends at start + 1 from the body at 0.
struct FlyingCase {
    const char* name;
    float hook_end_x;
    bool with_wall;   // a wall at x = 2.1 across the hook's path
    RopeState after;
    int catches;
};

TEST(BallRope, FlyingHookLengthAndWallTests) {
    const FlyingCase cases[] = {
        {"exactly 2.2 keeps flying", 2.2f, false, Flying, 0},
        {"past 2.2 is lost", std::nextafter(2.2f, 3.0f), false, Idle, 0},
        {"catches within reach", 2.2f, true, Attached, 1},
        {"lost before the wall test", std::nextafter(2.2f, 3.0f), true, Idle, 0},
    };
    for (const FlyingCase& c : cases) {
        SCOPED_TRACE(c.name);
        SoundLog sounds;
        std::vector<Segment> walls;
        if (c.with_wall) walls.push_back(Segment(Vec2(2.1f, -1), Vec2(2.1f, 1)));
        TestLevel level(walls, {}, Vec2(0, 0));
        Ball ball;
        ball.reset(level.state);
        ball.vel = Vec2(0, -0.1875f);
        ball.rope_state = Flying;
        ball.hook_vel = Vec2(1, 0);
        ball.hook_pos = Vec2(c.hook_end_x - 1.0f, 0);
        ball.update(0.125f, controls(0, 1));
        EXPECT_EQ(ball.rope_state, c.after);
        EXPECT_EQ(sounds.count(snd_rope_catch), c.catches);
        EXPECT_EQ(sounds.all().size(), static_cast<size_t>(c.catches));
        if (c.after == Attached) {
            EXPECT_FLOAT_EQ(ball.hook_pos.x, 2.1f);
            EXPECT_FLOAT_EQ(ball.hook_pos.y, 0.0f);
            EXPECT_EQ(ball.rope_len, 0.5f);
            EXPECT_EQ(sounds.all()[0].volume, 1.0f);
            EXPECT_FALSE(sounds.all()[0].lock);
        }
    }
}

// The body's tentative position is (0, 0) after the step dt, with the
// velocity after gravity (0, vy); the anchor lies straight above at distance d.
struct PullCase {
    const char* name;
    float dt;
    float d;
    float vy;        // +1 moves away from the anchor, -1 toward it
    float pull;      // expected pull
    float applied;   // the step the pull is applied over
    uint8_t held = 1;
    RopeState after = Attached;
};

TEST(BallRope, PullOfTheAttachedRope) {
    const PullCase cases[] = {
        {"away beyond rest", 0.0625f, 1.0f, 1.0f, 25.5f, 0.0625f},
        {"toward beyond rest", 0.0625f, 1.0f, -1.0f, 1.5f, 0.0625f},
        {"away within rest", 0.0625f, 0.4f, 1.0f, 0.0f, 0.0625f},
        {"still beyond rest", 0.0625f, 1.0f, 0.0f, 1.5f, 0.0625f},
        {"longest whole step", 0.1f, 1.0f, 1.0f, 25.5f, 0.1f},
        // Past 0.1 s the pull acts over h with (20 + 3 dt) h = 2.
        {"long step", 0.25f, 1.0f, 1.0f, 25.5f, 2.0f / 20.75f},
        {"centre on the anchor", 0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
        {"released: gravity only", 0.125f, 2.0f, 1.1875f, 0.0f, 0.0f, 0, Idle},
    };
    for (const PullCase& c : cases) {
        SCOPED_TRACE(c.name);
        TestLevel level({}, {}, Vec2(0, 0));
        Ball ball;
        ball.reset(level.state);
        ball.pos = Vec2(0, -c.vy * c.dt);
        ball.vel = Vec2(0, c.vy - c.dt * 1.5f);
        ball.rope_state = Attached;
        ball.rope_len = 0.5f;
        ball.hook_pos = Vec2(0, -c.d);
        ball.update(c.dt, controls(0, c.held));
        EXPECT_EQ(ball.rope_state, c.after);
        EXPECT_TRUE(finite(ball.pos));
        EXPECT_NEAR(ball.vel.y, c.vy - c.pull * c.applied, 1e-5f);
        EXPECT_EQ(ball.vel.x, 0.0f);
    }
}

// Stalls of 5 s in a row with the rope held (the body lives 0.25 s of each):
// taken whole, each pull would multiply the speed four-fold (twice after the
// bounce) until it overflows and turns to NaN.
TEST(BallRope, RepeatedStallsWithTheRopeHeldStayBounded) {
    TestLevel box({Segment(Vec2(-2, -2), Vec2(4, -2)), Segment(Vec2(4, -2), Vec2(4, 3)),
                   Segment(Vec2(4, 3), Vec2(-2, 3)), Segment(Vec2(-2, 3), Vec2(-2, -2))},
                  {}, Vec2(0, 0));
    SoundLog sounds;
    Ball ball;
    ball.reset(box.state);
    ball.vel = Vec2(2, 1);
    ball.rope_state = Attached;
    ball.rope_len = 0.5f;
    ball.hook_pos = Vec2(1, -2);
    for (int frame = 0; frame < 40; ++frame) {
        ball.update(5.0f, controls(0, 1));
        ASSERT_TRUE(finite(ball.pos) && finite(ball.vel)) << "frame " << frame;
        ASSERT_LT(length(ball.vel), 1000.0f) << "frame " << frame;
        ASSERT_TRUE(ball.pos.x > -2 && ball.pos.x < 4 && ball.pos.y > -2 && ball.pos.y < 3);
    }
    EXPECT_EQ(ball.rope_state, Attached);
}

// Taken whole, the 6 s of gravity would drive the resting body into the
// ground and bounce it some 27 units up.
TEST(BallStall, RestingBodyStaysOnTheGround) {
    SoundLog sounds;
    TestLevel level({Segment(Vec2(-5, 0.5f), Vec2(5, 0.7f))}, {}, Vec2(0, 0.375f));
    Ball ball;
    ball.reset(level.state);
    for (int frame = 0; frame < 20; ++frame) {
        ball.update(frame % 2 == 0 ? 6.0f : 1.0f / 60, controls(0, 0, 1));
        ASSERT_GT(ball.pos.y, 0.2f) << "frame " << frame;
        ASSERT_LT(ball.pos.y, 0.7f) << "frame " << frame;
        ASSERT_LT(length(ball.vel), 1.0f) << "frame " << frame;
    }
}

// Strictly within 0.3 of the centre: each gem taken plays its own sound and
// scores once.
TEST(BallGems, TakenStrictlyWithinPickupDistance) {
    struct Case { std::vector<Vec2> gems; float dt; std::vector<uint8_t> present; };
    const Case cases[] = {
        {{Vec2(0.29f, 0), Vec2(0.3f, 0), Vec2(0, -0.3f)}, 0, {0, 1, 1}},
        {{Vec2(0.1f, 0), Vec2(5, 5), Vec2(0, 0.2f)}, 1.0f / 60, {0, 1, 0}},
    };
    for (const Case& c : cases) {
        SoundLog sounds;
        TestLevel level({}, c.gems, Vec2(0, 0));
        Ball ball;
        ball.reset(level.state);
        const int32_t score_before = score;
        int taken = 0;
        for (uint8_t p : c.present) taken += p ? 0 : 1;
        for (int frame = 0; frame < 2; ++frame) {  // a gem once taken is not taken again
            ball.update(c.dt, controls(0, 0));
            for (size_t g = 0; g < c.present.size(); ++g) EXPECT_EQ(level.state.gem_present[g], c.present[g]);
            EXPECT_EQ(level.state.gems_remaining(), static_cast<int32_t>(c.gems.size()) - taken);
            EXPECT_EQ(score, score_before + 100 * taken);
            expect_sounds(sounds, snd_gem, taken);
        }
    }
}

TEST(BallFrozen, FallsButNeitherRopeNorGemsChange) {
    SoundLog sounds;
    TestLevel level({}, {Vec2(0.1f, 0)}, Vec2(0, 0));
    Ball ball;
    ball.reset(level.state);
    ball.update(0.1f, controls(1, 1, 1));
    EXPECT_EQ(ball.rope_state, Idle);
    EXPECT_EQ(level.state.gems_remaining(), 1);
    EXPECT_GT(ball.vel.y, 0.0f);
    EXPECT_GT(ball.pos.y, 0.0f);

    ball.rope_state = Flying;
    ball.hook_pos = Vec2(0, -1);
    ball.hook_vel = Vec2(0, -1);
    ball.update(0.1f, controls(0, 0, 1));  // released, yet the hook hangs
    EXPECT_EQ(ball.rope_state, Flying);
    EXPECT_EQ(ball.hook_pos.y, -1.0f);

    ball.rope_state = Attached;
    const float vy = ball.vel.y;
    ball.update(0.1f, controls(0, 1, 1));  // attached, but no pull
    EXPECT_EQ(ball.rope_state, Attached);
    EXPECT_FLOAT_EQ(ball.vel.y, vy + 0.15f);
    EXPECT_TRUE(sounds.all().empty());
}

TEST(BallStill, ZeroTimeStepMovesNothingButTheRopeAndGemsWork) {
    SoundLog sounds;
    TestLevel level({}, {Vec2(0.2f, 0)}, Vec2(0.5f, 0.5f));
    level.gems[0] = Vec2(0.5f, 0.7f);
    Ball ball;
    ball.reset(level.state);
    ball.update(0, controls(1, 1, 0, Vec2(0, -1)));
    EXPECT_EQ(ball.pos.x, 0.5f);
    EXPECT_EQ(ball.pos.y, 0.5f);
    EXPECT_EQ(ball.vel.y, 0.0f);
    EXPECT_EQ(ball.rope_state, Flying);
    EXPECT_FLOAT_EQ(ball.hook_pos.y, 0.375f);
    EXPECT_EQ(level.state.gems_remaining(), 0);
    ball.update(0, controls(0, 1));
    EXPECT_FLOAT_EQ(ball.hook_pos.y, 0.375f);  // a zero step does not carry the hook
    ball.update(0, controls(0, 0));
    EXPECT_EQ(ball.rope_state, Idle);
    EXPECT_EQ(sounds.count(snd_rope_fire), 1);
    EXPECT_EQ(sounds.count(snd_gem), 1);
}

TEST(BallReset, KeepsTheAimAndStopsEverythingElse) {
    TestLevel first({}, {}, Vec2(0, 0));
    TestLevel second({}, {}, Vec2(3, -2));
    Ball ball;
    ball.reset(first.state);
    ball.update(0.1f, controls(1, 1, 0, Vec2(-1, 0)));
    ball.update(0.1f, controls(0, 1));
    ASSERT_EQ(ball.rope_state, Flying);
    ball.reset(second.state);
    EXPECT_EQ(ball.level, &second.state);
    EXPECT_EQ(ball.pos.x, 3.0f);
    EXPECT_EQ(ball.pos.y, -2.0f);
    EXPECT_EQ(ball.vel.x, 0.0f);
    EXPECT_EQ(ball.vel.y, 0.0f);
    EXPECT_EQ(ball.rope_state, Idle);
    EXPECT_EQ(ball.aim.x, -1.0f);
    EXPECT_EQ(ball.aim.y, 0.0f);
}

}  // namespace
