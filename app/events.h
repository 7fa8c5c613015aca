// The player's controls: one SDL event at a time into the input record and
// the loop's own variables, and the aim from the mouse pointer or the stick.
#pragma once

#include <SDL.h>
#include <cstdint>

#include "app/game_flow.h"
#include "physics/control_input.h"
#include "physics/vec2.h"

// The loop variables that events write besides the input record.
struct LoopState {
    bool quit = false;  // ends the loop before the next frame
    Vec2 pointer;       // last mouse position, pixels, x right, y down
};

// Applies one event. Space, left Shift, any mouse button and any joystick
// button fire (pressed and held); the release of any key or button lets go
// of held. Escape and the window's close request set quit. p toggles the
// pause, but only while a level is being played.
void handle_event(const SDL_Event& event, ControlInput& input, LoopState& loop,
                  GameFlow& flow);

// The pointer's offset from the screen centre in half screen heights: the top
// edge of the screen gives y = -1.
Vec2 pointer_aim(Vec2 pointer, int32_t screen_width, int32_t screen_height);

// The stick's two axes scaled to about -1..1, with no dead zone: right is +x,
// down is +y, as in the world.
Vec2 stick_aim(int16_t axis0, int16_t axis1);

// The aim of this frame: from the joystick when one is open (null when
// none), from the pointer otherwise.
Vec2 read_aim(SDL_Joystick* joystick, Vec2 pointer, int32_t screen_width,
              int32_t screen_height);
