// The browser build's one game: its run, the loop variables the events write,
// and a scripted replay that stands in for the player, shared by the entry
// point and the page's test hooks.
#pragma once

#include <SDL.h>
#include <cstdint>

#include "app/events.h"
#include "app/game_run.h"

// Frames of a level's input file, four floats each: aim x, aim y, pressed,
// held; each is played as one 1/60 s frame, as the solver plays them.
struct ScriptedInput {
    const float* frames = nullptr;
    int32_t count = 0;
    int32_t next = 0;
};

struct WebGame {
    GameRun run;
    LoopState loop;
    SDL_Joystick* joystick = nullptr;
    uint32_t last_ticks = 0;   // SDL's millisecond clock at the last frame
    bool running = false;      // the main loop is set
    bool drawn = false;        // a frame has been drawn since the page loaded
    ScriptedInput script;      // active while frames is not null
    uint64_t script_hash = 0;  // the state hash when the script ended
};

WebGame& web_game();

// The frame drawing of the browser: the game's own frame, then the batch.
void draw_web_frame(const GameRun& run, Vec2 pointer, bool joystick_open);

// The solver's bit-exact hash of the run's state.
uint64_t web_state_hash(const GameRun& run);

// (Re)starts the main loop from the title, as a fresh start of the program.
void start_main_loop();
