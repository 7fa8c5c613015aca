// The game flow driven frame by frame with scripted time steps and input,
// on the real levels and the real body, without a window.
#include "app/game_run.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/globals.h"
#include "physics/level.h"
#include "content/levels.h"
#include "physics/ball.h"
#include "sound/programs.h"
#include "sound/synth.h"
#include "tests/physics/sound_log.h"

namespace {

constexpr float frame_dt = 1.0f / 60.0f;

class GameFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        score = 0;
        hi_score = 0;
    }

    // One pass of the loop as far as the game flow is concerned.
    void frame(float dt, bool press = false) {
        run_frame(run, dt,
                  [press](ControlInput& in, GameFlow&) {
                      in.pressed = press ? 1 : 0;
                      if (press) in.held = 1;
                  },
                  no_drawing);
    }
    // Frames of frame_dt until the state changes (or a limit is reached).
    int run_until_state_changes(int limit = 100000) {
        const GameState from = flow.state;
        int frames = 0;
        while (flow.state == from && frames < limit) {
            frame(frame_dt);
            ++frames;
        }
        return frames;
    }
    void take_every_gem() {
        for (int32_t i = 0; i < level.data->gem_count; ++i) level.gem_present[i] = 0;
        level.gems_left = 0;
    }
    // Puts the flow into a level in play, as the zoom-in would leave it.
    void start_playing(int32_t index, float time_left) {
        level.load(&level_table[index]);
        ball.reset(level);
        flow.state = Playing;
        flow.next_state = Playing;
        flow.level_index = index;
        flow.time_left = time_left;
        flow.state_time = 0.0f;
    }
    bool requested(SoundProgram program, bool lock) const {
        for (const SoundRequest& r : sounds.all())
            if (r.program == program && r.lock == lock && r.volume == 1.0f) return true;
        return false;
    }

    SoundLog sounds;
    GameRun run;
    GameFlow& flow = run.flow;
    LevelState& level = run.level;
    Ball& ball = run.ball;
    ControlInput& input = run.input;
};

TEST_F(GameFlowTest, FirstFrameLoadsTheTitleAtZoomOne) {
    frame(frame_dt);
    EXPECT_EQ(flow.state, ZoomIn);
    EXPECT_EQ(flow.next_state, Attract);
    EXPECT_EQ(flow.zoom, 1.0f);
    EXPECT_EQ(level.data, &title_level);
    EXPECT_EQ(level.gems_remaining(), 0);
    EXPECT_EQ(ball.pos.x, title_level.start.x);
    ASSERT_EQ(sounds.all().size(), 1u);
    EXPECT_TRUE(requested(snd_level_start, false));
    // The zoom-in begins on the second frame.
    frame(frame_dt);
    EXPECT_GT(flow.zoom, 100.0f);
}

TEST_F(GameFlowTest, ZoomCurvesAtTheirSampleTimes) {
    level.load(&title_level);
    ball.reset(level);
    struct Sample { GameState state; float time; float zoom; };
    const Sample samples[] = {
        {ZoomIn, 0.0f, 172.937f}, {ZoomIn, 0.5f, 4.4275f}, {ZoomIn, 0.75f, 1.4701f},
        {ZoomOut, 0.0f, 1.0f}, {ZoomOut, 0.5f, 2.7683f}, {ZoomOut, 1.0f, 45.771f},
    };
    for (const Sample& s : samples) {
        flow.state = s.state;
        flow.next_state = Playing;
        flow.state_time = s.time;
        frame(0.0f);
        EXPECT_NEAR(flow.zoom, s.zoom, s.zoom * 2e-5f) << "state " << s.state << " t " << s.time;
    }
    // The zoom-in hands over at exactly one second, keeping its state_time.
    flow.state = ZoomIn;
    flow.next_state = Attract;
    flow.state_time = 1.0f;
    frame(0.0f);
    EXPECT_EQ(flow.state, Attract);
    EXPECT_EQ(flow.zoom, 1.0f);
    EXPECT_EQ(flow.state_time, 1.0f);
    // The exponent is formed in double: in f32 this time gives 18.7855225.
    flow.state = ZoomOut;
    flow.next_state = ZoomIn;
    flow.state_time = 0.866666496f;
    frame(0.0f);
    EXPECT_EQ(flow.zoom, 18.7855244f);
}

TEST_F(GameFlowTest, WholeCycleFromTitleThroughAGameAndBack) {
    frame(frame_dt);  // EnterTitle
    run_until_state_changes();
    ASSERT_EQ(flow.state, Attract);
    EXPECT_GE(flow.state_time, 1.0f);

    frame(frame_dt, true);  // fire on the title
    ASSERT_EQ(flow.state, ZoomOut);
    EXPECT_EQ(flow.next_state, NewGame);
    EXPECT_TRUE(requested(snd_gem, true));

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
    for (int32_t next = 1; next <= 5; ++next) {
        take_every_gem();
        frame(frame_dt);
        ASSERT_EQ(flow.state, ZoomOut);
        run_until_state_changes();
        ASSERT_EQ(flow.state, ZoomIn);
        EXPECT_EQ(level.data, &level_table[next % level_count]);
        EXPECT_EQ(level.gems_remaining(), level_table[next % level_count].gem_count);
        run_until_state_changes();
        ASSERT_EQ(flow.state, Playing);
    }

    // Let the clock run out.
    run_until_state_changes();
    ASSERT_EQ(flow.state, GameOver);
    EXPECT_EQ(flow.time_left, 0.0f);
    EXPECT_TRUE(requested(snd_time_up, true));
    const int game_over_frames = run_until_state_changes();
    EXPECT_GT(game_over_frames * frame_dt, 4.0f);
    ASSERT_EQ(flow.state, ZoomOut);
    EXPECT_EQ(flow.next_state, EnterTitle);
    run_until_state_changes();
    ASSERT_EQ(flow.state, EnterTitle);
    frame(frame_dt);
    EXPECT_EQ(level.data, &title_level);
    run_until_state_changes();
    EXPECT_EQ(flow.state, Attract);

    // The next game starts afresh although the last one shrank the extra time.
    frame(frame_dt, true);
    run_until_state_changes();
    frame(frame_dt);
    EXPECT_EQ(flow.extra_time, 20.0f);
    EXPECT_EQ(flow.time_left, 60.0f);
    EXPECT_EQ(flow.level_index, 0);
}

TEST_F(GameFlowTest, TimeBonusAndClockCarryOver) {
    start_playing(0, 35.9f);
    take_every_gem();
    frame(frame_dt);
    EXPECT_EQ(score, 350);
    EXPECT_EQ(hi_score, 350);
    // No decrement in the frame of the last gem.
    EXPECT_EQ(flow.time_left, 35.9f);
    EXPECT_EQ(flow.state, ZoomOut);
    EXPECT_EQ(flow.next_state, ZoomIn);
    sounds.clear();
    run_until_state_changes();
    EXPECT_EQ(flow.state, ZoomIn);
    EXPECT_EQ(flow.next_state, Playing);
    EXPECT_EQ(flow.time_left, 35.9f + 20.0f);
    EXPECT_EQ(flow.extra_time, 17.0f);
    EXPECT_EQ(flow.level_index, 1);
    EXPECT_TRUE(requested(snd_level_start, false));
}

TEST_F(GameFlowTest, ExtraTimeShrinksAndLevelsWrapAfterTheFifth) {
    start_playing(4, 10.0f);
    flow.extra_time = 10.4401f;
    take_every_gem();
    frame(frame_dt);
    run_until_state_changes();
    EXPECT_EQ(flow.level_index, 0);
    EXPECT_EQ(level.data, &level_table[0]);
    EXPECT_EQ(flow.time_left, 10.0f + 10.4401f);
    EXPECT_NEAR(flow.extra_time, 8.8741f, 1e-4f);
}

TEST_F(GameFlowTest, ClockLandingOnZeroRunsOutOnTheNextFrame) {
    start_playing(0, 0.5f);
    frame(0.5f);
    EXPECT_EQ(flow.time_left, 0.0f);
    EXPECT_EQ(flow.state, Playing);
    EXPECT_TRUE(sounds.all().empty());
    frame(frame_dt);
    EXPECT_EQ(flow.state, GameOver);
    EXPECT_EQ(flow.time_left, 0.0f);
    EXPECT_EQ(flow.state_time, frame_dt);  // zeroed by the time-out, then advanced
    ASSERT_EQ(sounds.all().size(), 1u);
    EXPECT_TRUE(requested(snd_time_up, true));
}

TEST_F(GameFlowTest, PauseStopsTheBodyNotTheClock) {
    start_playing(0, 60.0f);
    const float y = ball.pos.y;
    frame(frame_dt);
    EXPECT_GT(ball.pos.y, y);  // unpaused, the body falls
    EXPECT_NEAR(flow.time_left, 60.0f - frame_dt, 1e-6f);

    start_playing(0, 1.0f);
    flow.paused = true;
    const Vec2 before = ball.pos;
    frame(0.5f);
    EXPECT_EQ(ball.pos.x, before.x);
    EXPECT_EQ(ball.pos.y, before.y);
    EXPECT_EQ(flow.time_left, 0.5f);
    frame(0.6f);
    EXPECT_EQ(flow.state, GameOver);
    EXPECT_FALSE(flow.paused);

    // Completing a level clears the pause too.
    start_playing(1, 30.0f);
    flow.paused = true;
    take_every_gem();
    frame(frame_dt);
    EXPECT_EQ(flow.state, ZoomOut);
    EXPECT_FALSE(flow.paused);
}

TEST_F(GameFlowTest, FirePressDuringTheTitleZoomInStartsNoGame) {
    frame(frame_dt);
    ASSERT_EQ(flow.state, ZoomIn);
    sounds.clear();
    frame(frame_dt, true);
    EXPECT_EQ(flow.state, ZoomIn);
    // The body saw the press: the rope launched.
    EXPECT_EQ(ball.rope_state, Flying);
    EXPECT_FALSE(requested(snd_gem, true));
    input.held = 0;
    run_until_state_changes();
    EXPECT_EQ(flow.state, Attract);
}

TEST_F(GameFlowTest, GameOverLastsMoreThanFourSecondsWithTheBodyFrozen) {
    start_playing(0, 0.01f);
    input.held = 1;
    frame(frame_dt, true);  // still Playing in this frame: the rope fires, then time runs out
    ASSERT_EQ(flow.state, GameOver);
    const RopeState rope = ball.rope_state;
    flow.state_time = 4.0f;
    frame(frame_dt, true);
    EXPECT_EQ(flow.state, GameOver);  // exactly 4 s is not over yet
    EXPECT_EQ(ball.rope_state, rope); // frozen: the press does nothing
    frame(frame_dt);
    EXPECT_EQ(flow.state, ZoomOut);
    EXPECT_EQ(flow.next_state, EnterTitle);
    EXPECT_EQ(flow.state_time, frame_dt);
}

}  // namespace
