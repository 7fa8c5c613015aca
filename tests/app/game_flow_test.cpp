// The game flow driven frame by frame with scripted time steps and input,
// on the real levels and the real body, without a window.
#include "app/game_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/globals.h"
#include "content/levels.h"
#include "sound/programs.h"
#include "tests/physics/sound_log.h"

namespace {

constexpr float frame_dt = 1.0f / 60.0f;
const int32_t scores_at_start_up[] = {score, hi_score};  // read before any test runs

class GameFlowTest : public ::testing::Test {
protected:
    void SetUp() override { score = hi_score = 0; }
    // One pass of the loop; a press also holds fire until `input.held` is cleared.
    void frame(float dt, bool press = false) {
        const auto controls = [press](ControlInput& in, GameFlow&) { in.held |= (in.pressed = press ? 1 : 0); };
        run_frame(run, dt, controls, no_drawing);
    }
    // Frames until the state changes, for at most 100 s of play.
    void run_until_state_changes() {
        for (int n = 0, from = flow.state; flow.state == from && n < 6000; ++n) frame(frame_dt);
    }
    // From rest at the level's start, a frame (with a press): where the
    // controls are frozen the body still falls, and fires no rope.
    bool falls_frozen(bool press = true) {
        ball.pos = level.data->start, ball.vel = Vec2(0, 0);
        frame(frame_dt, press);
        return ball.vel.y > 0 && ball.rope_state == Idle;
    }
    bool requested(SoundProgram program, bool lock) const {
        return std::any_of(sounds.all().begin(), sounds.all().end(), [&](const SoundRequest& r) {
            return r.program == program && r.lock == lock && r.volume == 1.0f;
        });
    }

    SoundLog sounds;
    GameRun run;
    GameFlow& flow = run.flow;
    LevelState& level = run.level;
    Ball& ball = run.ball;
};

// From start-up through the title, a game through all five levels and back to
// the title, checking each handover on the way.
TEST_F(GameFlowTest, WholeCycleFromTitleThroughAGameAndBack) {
    EXPECT_TRUE(scores_at_start_up[0] == 0 && scores_at_start_up[1] == 0);
    frame(frame_dt);  // the first frame loads the title, at zoom 1
    ASSERT_EQ(flow.state, ZoomIn);
    EXPECT_EQ(flow.next_state, Attract);
    EXPECT_EQ(flow.zoom, 1.0f);
    EXPECT_EQ(level.data, &title_level);
    ASSERT_EQ(sounds.all().size(), 1u);
    EXPECT_TRUE(requested(snd_level_start, false));

    // A press during the title's zoom-in launches the rope but starts no game.
    sounds.clear();
    frame(frame_dt, true);
    EXPECT_EQ(flow.state, ZoomIn);
    EXPECT_GT(flow.zoom, 100.0f);
    EXPECT_EQ(ball.rope_state, Flying);
    EXPECT_FALSE(requested(snd_gem, true));
    run.input.held = 0;
    run_until_state_changes();
    ASSERT_EQ(flow.state, Attract);
    EXPECT_GE(flow.state_time, 1.0f);  // carried on from the zoom-in
    EXPECT_TRUE(falls_frozen(false)) << "waiting on the title";
    // While it waits, the title's name lying in the ground (between -0.88,
    // 0.97 and 2.01, 1.92) stays in view around the body in the smallest
    // window, 640x480, at 100 pixels a unit.
    for (const float end = flow.state_time + 3; flow.state_time < end; frame(frame_dt)) {
        const Vec2 b = ball.position();
        EXPECT_TRUE(std::max(std::abs(-0.88f - b.x), std::abs(2.01f - b.x)) < 3.2f &&
                    std::max(std::abs(0.97f - b.y), std::abs(1.92f - b.y)) < 2.4f)
            << "the name out of view, body at " << b.x << ", " << b.y;
    }

    frame(frame_dt, true);  // fire on the title, which freezes the body: no rope
    ASSERT_EQ(flow.state, ZoomOut);
    EXPECT_EQ(flow.next_state, NewGame);
    EXPECT_TRUE(requested(snd_gem, true));
    EXPECT_EQ(ball.rope_state, Idle);
    EXPECT_TRUE(falls_frozen()) << "zooming out";
    score = 1234;  // left over from an earlier game
    run_until_state_changes();
    ASSERT_EQ(flow.state, NewGame);
    frame(frame_dt);
    ASSERT_EQ(flow.state, ZoomIn);
    EXPECT_EQ(flow.next_state, Playing);
    EXPECT_EQ(level.data, &level_table[0]);
    EXPECT_EQ(score, 0);
    EXPECT_EQ(hi_score, 1234);
    EXPECT_EQ(flow.time_left, 60.0f);
    run_until_state_changes();
    ASSERT_EQ(flow.state, Playing);

    // Each level ends with its last gem, paused or not: ten points per whole
    // second left and no tick of the clock in that frame. The clock carries
    // over and gains the extra time, which shrinks by 0.85 a level; after the
    // fifth level comes the first again.
    float extra = 20.0f;
    for (int32_t next = 1; next <= 5; ++next) {
        SCOPED_TRACE(testing::Message() << "into level " << next % level_count);
        const int32_t score_before = score;
        flow.time_left = 35.9f;
        flow.paused = next % 2 == 0;
        std::fill_n(level.gem_present, level.data->gem_count, 0);
        level.gems_left = 0;
        frame(frame_dt);
        ASSERT_EQ(flow.state, ZoomOut);
        EXPECT_EQ(flow.next_state, ZoomIn);
        EXPECT_FALSE(flow.paused);
        EXPECT_EQ(score, score_before + 350);
        EXPECT_EQ(hi_score, std::max(score, 1234));
        EXPECT_EQ(flow.time_left, 35.9f);
        sounds.clear();
        run_until_state_changes();
        ASSERT_EQ(flow.state, ZoomIn);
        EXPECT_EQ(flow.next_state, Playing);
        EXPECT_EQ(flow.level_index, next % level_count);
        EXPECT_EQ(level.data, &level_table[next % level_count]);
        EXPECT_EQ(level.gems_remaining(), level_table[next % level_count].gem_count);
        EXPECT_EQ(flow.time_left, 35.9f + extra);
        extra *= 0.85f;
        EXPECT_EQ(flow.extra_time, extra);
        EXPECT_TRUE(requested(snd_level_start, false));
        run_until_state_changes();
        ASSERT_EQ(flow.state, Playing);
    }

    // The clock landing on zero runs out on the next frame, with its sound.
    // The pause stops the body, not the clock, and the clock running out
    // ends it.
    run.input.held = 0;
    flow.time_left = 0.5f;
    sounds.clear();
    frame(0.25f);
    EXPECT_TRUE(sounds.all().empty());
    flow.paused = true;
    const Vec2 before = ball.pos;
    frame(0.25f);
    EXPECT_TRUE(ball.pos.x == before.x && ball.pos.y == before.y) << "the paused body moved";
    EXPECT_EQ(flow.time_left, 0.0f);
    EXPECT_EQ(flow.state, Playing);
    frame(frame_dt);
    ASSERT_EQ(flow.state, GameOver);
    EXPECT_FALSE(flow.paused);
    EXPECT_EQ(flow.time_left, 0.0f);
    EXPECT_EQ(flow.state_time, frame_dt);  // zeroed by the time-out, then advanced
    ASSERT_EQ(sounds.all().size(), 1u);
    EXPECT_TRUE(requested(snd_time_up, true));

    // Game over lasts more than four seconds, the controls frozen.
    flow.state_time = 4.0f;
    EXPECT_TRUE(falls_frozen()) << "in game over";
    EXPECT_EQ(flow.state, GameOver);
    frame(frame_dt);
    ASSERT_EQ(flow.state, ZoomOut);
    EXPECT_EQ(flow.next_state, EnterTitle);
    EXPECT_EQ(flow.state_time, frame_dt);
    run_until_state_changes();
    ASSERT_EQ(flow.state, EnterTitle);
    frame(frame_dt);
    EXPECT_EQ(level.data, &title_level);
    EXPECT_EQ(flow.state_time, frame_dt);  // the title's zoom-in starts from 0
    run_until_state_changes();
    ASSERT_EQ(flow.state, Attract);

    // The next game starts afresh although the last one shrank the extra time.
    frame(frame_dt, true);
    run_until_state_changes();
    frame(frame_dt);
    EXPECT_EQ(flow.extra_time, 20.0f);
    EXPECT_EQ(flow.time_left, 60.0f);
    EXPECT_EQ(flow.level_index, 0);
}

TEST_F(GameFlowTest, ZoomCurvesAtTheirSampleTimes) {
    level.load(&title_level);
    ball.reset(level);
    auto zoom_at = [this](GameState state, GameState next_state, float time) {
        flow.state = state;
        flow.next_state = next_state;
        flow.state_time = time;
        frame(0.0f);
        return flow.zoom;
    };
    // clang-format off
    const struct {
        GameState state;
        float time, zoom;
    } samples[] = {{ZoomIn, 0.0f, 172.937f}, {ZoomIn, 0.5f, 4.4275f},  {ZoomIn, 0.75f, 1.4701f},
                   {ZoomOut, 0.0f, 1.0f},    {ZoomOut, 0.5f, 2.7683f}, {ZoomOut, 1.0f, 45.771f}};
    // clang-format on
    for (const auto& s : samples) {
        EXPECT_NEAR(zoom_at(s.state, Playing, s.time), s.zoom, s.zoom * 2e-5f) << "state " << s.state << " t " << s.time;
    }
    // The exponent is formed in double: in f32 this time gives 18.7855225.
    EXPECT_EQ(zoom_at(ZoomOut, ZoomIn, 0.866666496f), 18.7855244f);
    // The zoom-in hands over at exactly one second, keeping its state_time.
    EXPECT_EQ(zoom_at(ZoomIn, Attract, 1.0f), 1.0f);
    EXPECT_EQ(flow.state, Attract);
    EXPECT_EQ(flow.state_time, 1.0f);
}

}  // namespace
