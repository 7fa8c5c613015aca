// The body: one frame from a given state and a reset after it, and the swept move with its
// bounces and impact sounds. (Runs of stalls on the real levels are the soak test's.)
#include <gtest/gtest.h>

#include <cmath>

#include "physics/ball.h"
#include "physics/score.h"
#include "sound/programs.h"
#include "tests/physics/sound_log.h"
#include "tests/physics/test_level.h"

namespace {

const Vec2 any(NAN, NAN);  // not checked
const Segment floor_wall(Vec2(-1, 0.5f), Vec2(1, 0.5f));
const Segment hook_wall(Vec2(2.1f, -1), Vec2(2.1f, 1));

ControlInput controls(uint8_t pressed, uint8_t held, uint8_t frozen = 0, Vec2 aim = Vec2(0, 0)) {
    ControlInput in;
    in.aim = aim, in.pressed = pressed, in.held = held, in.frozen = frozen;
    return in;
}

void expect_near(Vec2 got, Vec2 want, const char* what) {
    EXPECT_TRUE(std::isnan(want.x) || (std::fabs(got.x - want.x) < 1e-5f && std::fabs(got.y - want.y) < 1e-5f))
        << what << " (" << got.x << ", " << got.y << ") instead of (" << want.x << ", " << want.y << ")";
}

// One update from pos, vel and the rope's state (a flying hook moves along (1, 0), the aim is straight
// up): the rope, position, velocity and hook after it, the sounds (all full volume, unlocked), gems left.
// clang-format off
struct FrameCase {
    const char* name; Vec2 pos, vel; RopeState rope; Vec2 hook; ControlInput in; float dt;
    RopeState want_rope; Vec2 want_pos, want_vel, want_hook; std::vector<SoundProgram> sounds;
    std::vector<Segment> walls = {}; std::vector<Vec2> gems = {}; int gems_left = 0;
};

// The anchor d straight above the tentative centre (0, 0), the velocity
// after gravity vy (+ is away from it): it pulls by pull over the step applied.
FrameCase pull(const char* name, float dt, float d, float vy, float pull, float applied, uint8_t held = 1) {
    return {name, Vec2(0, -vy * dt), Vec2(0, vy - dt * 1.5f), Attached, Vec2(0, -d), controls(0, held), dt,
            held ? Attached : Idle, any, Vec2(0, vy - pull * applied), any, {}};
}

TEST(BallFrame, OneUpdateFromAGivenState) {
    // A hook moving 1 this frame to end 2.2 from the centre, or just beyond.
    const Vec2 reach(2.2f - 1.0f, 0), past_reach(std::nextafter(2.2f, 3.0f) - 1.0f, 0);
    const FrameCase cases[] = {
        {"falls at 1.5 per second squared; a stall of seconds counts as a quarter second", Vec2(0, 0), Vec2(0, 0), Idle,
         any, controls(0, 0), 6.0f, Idle, Vec2(0, 0.375f * 0.25f), Vec2(0, 0.375f), any, {}},
        {"fires from the rim along the aim made unit", Vec2(1, 1), Vec2(0, 0), Idle, any, controls(1, 1, 0, Vec2(3, 4)),
         0, Flying, Vec2(1, 1), Vec2(0, 0), Vec2(1.075f, 1.1f), {snd_rope_fire}},
        {"a NaN aim keeps the last; a press let go at once fires and then drops", Vec2(1, 1), Vec2(0, 0), Idle, any,
         controls(1, 0, 0, Vec2(NAN, 1)), 0, Idle, Vec2(1, 1), any, Vec2(1, 0.875f), {snd_rope_fire}},
        {"fired while falling, from the tentative centre", Vec2(0, 0), Vec2(0, 1.8125f), Idle, any,
         controls(1, 1, 0, Vec2(0, -1)), 0.125f, Flying, Vec2(0, 0.25f), Vec2(0, 2), Vec2(0, 0.125f), {snd_rope_fire}},
        {"flies 8 per second; a press changes nothing", Vec2(1, 1), Vec2(0, -0.15f), Flying, Vec2(1.125f, 1),
         controls(1, 1, 0, Vec2(0, 1)), 0.1f, Flying, Vec2(1, 1), Vec2(0, 0), Vec2(1.925f, 1), {}},
        {"exactly 2.2 away keeps flying", Vec2(0, 0), Vec2(0, -0.1875f), Flying, reach, controls(0, 1), 0.125f,
         Flying, Vec2(0, 0), Vec2(0, 0), Vec2(2.2f, 0), {}},
        {"beyond 2.2 is lost", Vec2(0, 0), Vec2(0, -0.1875f), Flying, past_reach, controls(0, 1), 0.125f,
         Idle, any, any, any, {}},
        {"catches a wall within reach", Vec2(0, 0), Vec2(0, -0.1875f), Flying, reach, controls(0, 1), 0.125f,
         Attached, Vec2(0, 0), Vec2(0, 0), Vec2(2.1f, 0), {snd_rope_catch}, {hook_wall}},
        {"lost before the wall test", Vec2(0, 0), Vec2(0, -0.1875f), Flying, past_reach, controls(0, 1),
         0.125f, Idle, any, any, any, {}, {hook_wall}},
        pull("pulls away beyond rest", 0.0625f, 1.0f, 1.0f, 25.5f, 0.0625f),
        pull("toward beyond rest", 0.0625f, 1.0f, -1.0f, 1.5f, 0.0625f),
        pull("away within rest", 0.0625f, 0.4f, 1.0f, 0.0f, 0.0625f),
        pull("away at exactly the rest length", 0.0625f, 0.5f, 1.0f, 0.0f, 0.0625f),
        pull("still beyond rest", 0.0625f, 1.0f, 0.0f, 1.5f, 0.0625f),
        pull("longest whole step", 0.1f, 1.0f, 1.0f, 25.5f, 0.1f),
        pull("a longer step pulls over h: (20 + 3 dt) h = 2", 0.25f, 1.0f, 1.0f, 25.5f, 2.0f / 20.75f),
        pull("centre on the anchor", 0.0f, 0.0f, 0.0f, 0.0f, 0.0f),
        pull("released: gravity only", 0.125f, 2.0f, 1.1875f, 0.0f, 0.0f, 0),
        {"gems strictly within 0.3", Vec2(0, 0), Vec2(0, 0), Idle, any, controls(0, 0), 0, Idle, any, any, any,
         {snd_gem}, {}, {Vec2(std::nextafter(0.3f, 0.0f), 0), Vec2(0.3f, 0), Vec2(0, -0.3f)}, 2},
        {"each gem taken sounds", Vec2(0, 0), Vec2(0, 0), Idle, any, controls(0, 0), 1.0f / 60, Idle, any, any, any,
         {snd_gem, snd_gem}, {}, {Vec2(0.1f, 0), Vec2(5, 5), Vec2(0, 0.2f)}, 1},
        {"frozen: falls, fires no rope, takes no gem", Vec2(0, 0), Vec2(0, 0), Idle, any, controls(1, 1, 1), 0.1f,
         Idle, Vec2(0, 0.015f), Vec2(0, 0.15f), any, {}, {}, {Vec2(0.1f, 0)}, 1},
        {"frozen: a released rope stays attached", Vec2(0, 0), Vec2(0, 0), Attached, Vec2(0, -1),
         controls(0, 0, 1), 0.1f, Attached, any, Vec2(0, 0.15f), Vec2(0, -1), {}},
        {"a zero step moves nothing but fires and takes", Vec2(0.5f, 0.5f), Vec2(0, 0), Idle, any,
         controls(1, 1, 0, Vec2(0, -1)), 0, Flying, Vec2(0.5f, 0.5f), Vec2(0, 0), Vec2(0.5f, 0.375f),
         {snd_rope_fire, snd_gem}, {}, {Vec2(0.5f, 0.7f)}, 0},
    };
    // clang-format on
    for (const FrameCase& c : cases) {
        SCOPED_TRACE(c.name);
        SoundLog sounds;
        TestLevel level(c.walls, c.gems, Vec2(3, -2));
        Ball ball;
        ball.reset(level.state);
        ball.pos = c.pos, ball.vel = c.vel, ball.rope_state = c.rope, ball.hook_pos = c.hook, ball.hook_vel = Vec2(1, 0);
        const int32_t score_before = score;
        ball.update(c.dt, c.in);
        // A zero step after it carries no hook and takes no gem again.
        ball.update(0, controls(0, c.in.held, c.in.frozen));
        EXPECT_EQ(level.state.gems_remaining(), c.gems_left);
        EXPECT_EQ(score, score_before + 100 * (static_cast<int>(c.gems.size()) - c.gems_left));
        EXPECT_EQ(ball.rope_state, c.want_rope);
        expect_near(ball.pos, c.want_pos, "position");
        expect_near(ball.vel, c.want_vel, "velocity");
        expect_near(ball.hook_pos, c.want_hook, "hook");
        std::vector<SoundProgram> heard;
        for (const SoundRequest& r : sounds.all()) heard.push_back(r.volume == 1.0f && !r.lock ? r.program : nullptr);
        EXPECT_EQ(heard, c.sounds);
        // Reset: at the start, at rest, no rope; the aim (always of unit length) carries over.
        const Vec2 aim = ball.aim;
        ball.reset(level.state);
        EXPECT_TRUE(ball.pos.x == 3 && ball.pos.y == -2 && ball.vel.x == 0 && ball.vel.y == 0 && ball.rope_state == Idle &&
                    ball.aim.x == aim.x && ball.aim.y == aim.y && std::fabs(length(aim) - 1) < 1e-6f);
    }
}

// The swept move between a floor and a ceiling 1 apart (bounce factor 1.5 on the normal part):
// the rest of the motion goes on after a bounce; without a contact the body moves from its own
// centre, not the sweep's depenetrated one. An impact above 0.1 (a double, below the f32 0.1)
// sounds at speed / 4, at most 1. From 64 the body bounces 64 -> -32 -> 16 -> -8 -> 4 -> -2:
// the fifth contact ends the frame with motion still to go.
TEST(BallMove, BouncesStopsSlidesAndSounds) {
    // The bounces after a move of dt at depth, each sounding at volume.
    // clang-format off
    const struct { const char* name; Vec2 pos, vel; float dt; int depth; Vec2 want_pos, want_vel; int bounces; float volume; } cases[] = {
        {"bounce", Vec2(0, 0), Vec2(0, 2), 0.5f, 4, Vec2(0, 0.0625f), Vec2(0, -1), 1, 0.5f},
        {"tangential speed kept", Vec2(0, 0), Vec2(0.5f, 2), 0.5f, 4, Vec2(0.25f, 0.0625f), Vec2(0.5f, -1), 1, 0.5f},
        {"still body overlapping", Vec2(0, 0.45f), Vec2(0, 0), 1.0f / 60, 4, Vec2(0, 0.45f), Vec2(0, 0), 0, 0},
        {"zero time step", Vec2(0, 0.45f), Vec2(3, 4), 0, 4, Vec2(0, 0.45f), Vec2(3, 4), 0, 0},
        {"free move", Vec2(0, 0.45f), Vec2(1, 0), 0.5f, 4, Vec2(0.5f, 0.45f), Vec2(1, 0), 0, 0},
        {"impact 0.1", Vec2(0, 0), Vec2(0, 0.1f), 10.0f, 0, Vec2(0, 0.375f), Vec2(0, -0.05f), 1, 0.1f / 4},
        {"impact just under 0.1", Vec2(0, 0), Vec2(0, std::nextafter(0.1f, 0.0f)), 10.0f, 0, Vec2(0, 0.375f), any, 0, 0},
        {"impact 0.4", Vec2(0, 0), Vec2(0, 0.4f), 2.5f, 0, Vec2(0, 0.375f), Vec2(0, -0.2f), 1, 0.1f},
        {"impact 4", Vec2(0, 0), Vec2(0, 4), 0.25f, 0, Vec2(0, 0.375f), Vec2(0, -2), 1, 1.0f},
        {"impact 9", Vec2(0, 0), Vec2(0, 9), 1.0f / 9, 0, Vec2(0, 0.375f), Vec2(0, -4.5f), 1, 1.0f},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SoundLog sounds;
        TestLevel level({floor_wall, Segment(Vec2(-1, -0.5f), Vec2(1, -0.5f))}, {}, Vec2(0, 0));
        Ball ball;
        ball.reset(level.state);
        ball.pos = c.pos, ball.vel = c.vel;
        ball.move(1.0f, c.depth, c.dt);
        expect_near(ball.pos, c.want_pos, "position");
        expect_near(ball.vel, c.want_vel, "velocity");
        const bool contact = !(c.want_vel.x == c.vel.x && c.want_vel.y == c.vel.y);
        EXPECT_TRUE(contact || (ball.pos.x == c.want_pos.x && ball.pos.y == c.want_pos.y));  // exact without a contact
        EXPECT_EQ(sounds.count(snd_bounce), c.bounces);
        for (const SoundRequest& r : sounds.all()) EXPECT_TRUE(r.volume == c.volume && !r.lock) << r.volume;
    }
    SoundLog sounds;
    TestLevel level({floor_wall, Segment(Vec2(-1, -0.5f), Vec2(1, -0.5f))}, {}, Vec2(0, 0));
    Ball ball;
    ball.reset(level.state);
    ball.vel = Vec2(0, 64);
    ball.move(1.0f, 4, 1.0f);
    EXPECT_TRUE(std::fabs(ball.vel.y + 2) < 1e-5f && std::fabs(ball.pos.y - 0.375f) < 1e-3f && ball.vel.x == 0);
    EXPECT_EQ(sounds.count(snd_bounce), 5);
}

}  // namespace
