// The game-flow state machine: title, new game, levels with their clock,
// game over; the zooms and the scores.
#pragma once

#include <cstdint>

#include "physics/control_input.h"

class LevelState;
struct Ball;

enum GameState : int32_t {
    ZoomIn = 0,
    Playing = 1,
    ZoomOut = 2,
    GameOver = 3,
    Attract = 4,
    NewGame = 5,
    EnterTitle = 6,
};

constexpr float game_seconds = 60.0f;         // the level clock at the start of a game
constexpr float first_extra_seconds = 20.0f;  // added to the clock when the second level begins

// The game-flow variables, owned by the entry point.
struct GameFlow {
    GameState state = EnterTitle;
    GameState next_state = Attract;
    float state_time = 0.0f;                 // seconds in the current state
    float zoom = 1.0f;                       // 1 means 100 pixels per world unit
    float time_left = game_seconds;          // the level clock, seconds
    float extra_time = first_extra_seconds;  // added when the next level begins
    int32_t level_index = 0;                 // into level_table
    bool paused = false;
};

// One frame of the game flow: the current state's handler, then the hi score.
void game_flow_step(GameFlow& flow, float dt, ControlInput& input,
                    LevelState& level, Ball& ball);
