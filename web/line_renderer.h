// The browser's line renderer beyond the OpenGL calls the game makes: the
// frame's end, and a count of the draw calls for the figures.
#pragma once

// Draws the segments gathered since the last flush. The browser shows the
// canvas when the frame callback returns, so the frame ends with this.
void line_renderer_flush();

// Draw calls made since the last time this was asked.
int line_renderer_take_draw_calls();
