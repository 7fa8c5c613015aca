// A level played from its start on the frames of a solver input file, the
// same way in the browser build and in the desktop program that draws the
// reference pictures: the state both draw and hash is the same to the bit.
#pragma once

#include <cstdint>

#include "app/game_run.h"
#include "content/levels.h"
#include "physics/score.h"

// Level `index` (0-based) in play from its start as the solver puts it: 60 s
// on the clock, just past its zoom-in, a fresh body, scores at 0.
inline void start_level_run(GameRun& run, int32_t index) {
    run.flow = GameFlow();
    run.flow.state = Playing;
    run.flow.next_state = Playing;
    run.flow.state_time = 1.0f;
    run.flow.level_index = index;
    score = 0;
    hi_score = 0;
    run.level.load(&level_table[index]);
    run.ball = Ball();
    run.ball.reset(run.level);
    run.input = ControlInput();
}

// The seconds of one scripted frame: the solver's fixed step.
constexpr float scripted_frame_dt = 1.0f / 60.0f;

// Sets this frame's controls from one frame of four floats: aim x, aim y,
// pressed, held.
inline void apply_scripted_frame(ControlInput& input, const float* frame) {
    input.aim = Vec2(frame[0], frame[1]);
    input.pressed = static_cast<uint8_t>(frame[2]);
    input.held = static_cast<uint8_t>(frame[3]);
}

// The solver's replay stops once the level is finished or lost.
inline bool level_over(const GameFlow& f) {
    return (f.state == ZoomOut && f.next_state == ZoomIn) || f.state == GameOver;
}

// Plays up to `count` frames without drawing; returns the frames played.
inline int32_t play_scripted_frames(GameRun& run, const float* frames, int32_t count) {
    int32_t played = 0;
    while (played < count && !level_over(run.flow)) {
        const float* frame = frames + 4 * played;
        run_frame(
            run, scripted_frame_dt,
            [frame](ControlInput& input, GameFlow&) { apply_scripted_frame(input, frame); },
            no_drawing);
        ++played;
    }
    return played;
}
