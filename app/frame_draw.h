// Drawing one whole frame: the HUD in pixels, then the world under the camera
// that keeps the body at the centre of the screen.
#pragma once

#include "app/game_flow.h"
#include "physics/vec2.h"

class LevelState;
struct Ball;

// The OpenGL state set once at start-up, after the window opened: smoothed
// lines 2 pixels wide, and client vertex arrays, which stay enabled.
void init_gl_state();

// Draws the frame into the back buffer without presenting it.
void render_frame(const GameFlow& flow, const LevelState& level, const Ball& ball,
                  Vec2 pointer, bool joystick_open);

// render_frame, then SDL_GL_SwapBuffers.
void draw_frame(const GameFlow& flow, const LevelState& level, const Ball& ball,
                Vec2 pointer, bool joystick_open);
