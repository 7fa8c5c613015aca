// What the game asks of the page around its canvas: the window's size, where
// the canvas goes, and the news the page shows (a refusal, the run's end).
#pragma once

#include "app/options.h"

// The browser window's inner size in CSS pixels.
ScreenSize page_window_size();

extern "C" {

// True when the WebGL drawing buffer, once made, has the size asked for.
bool page_drawing_buffer_is(int width, int height);

// Full screen stretches the canvas over the whole window, as a display shows
// a smaller mode; a window keeps its size in CSS pixels, centred.
void page_place_canvas(int width, int height, bool fullscreen);

// The game did not start; its messages are on the page already.
void page_refused();

// Escape ended the run: the page says so and offers to start again.
void page_run_ended();

// A scripted replay has played its last frame.
void page_script_done();

// The first frame is drawn: the page notes the time for the figures.
void page_first_frame();

}  // extern "C"
