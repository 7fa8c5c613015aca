// One run of the game as the entry point owns it, and the one frame step that
// every driver of the game uses: the desktop loop, the solver, the tests, the
// benchmarks and the browser build.
#pragma once

#include "app/game_flow.h"
#include "physics/ball.h"
#include "physics/control_input.h"
#include "physics/level.h"

// What lives for a whole run: the game flow with its state clock, the level
// in play, the body, and the one input record.
struct GameRun {
    GameFlow flow;  // level_index 0, state EnterTitle: the title loads on the first frame
    LevelState level;
    Ball ball;
    ControlInput input;
};

// Advances the run by one frame of dt seconds. The one-frame controls are
// cleared, then read_controls(input, flow) fills in this frame's controls
// (events may toggle the pause, hence the flow); the game flow steps, which
// moves the body where its state calls for it; draw(run) draws the frame;
// last the state clock moves on, so the drawing still sees the clock of the
// frame it draws. Never sleeps and never reads the clock: the caller paces.
template <class ReadControls, class Draw>
void run_frame(GameRun& run, float dt, ReadControls&& read_controls, Draw&& draw) {
    run.input.pressed = 0;
    run.input.frozen = 0;
    read_controls(run.input, run.flow);
    game_flow_step(run.flow, dt, run.input, run.level, run.ball);
    draw(static_cast<const GameRun&>(run));
    run.flow.state_time += dt;
}

// A frame with nothing to draw, for the headless drivers.
inline void no_drawing(const GameRun&) {}
