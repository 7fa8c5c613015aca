// The page side of web/page.h, written in the page's JavaScript. The shell
// (web/shell.html) defines Module.page with the functions called here.
#include "web/page.h"

#include <emscripten.h>

// The JavaScript in EM_JS is no C++: clang-format would split its "===".
// clang-format off
EM_JS(int, page_window_width, (), { return Math.max(1, Math.floor(window.innerWidth)); });
EM_JS(int, page_window_height, (), { return Math.max(1, Math.floor(window.innerHeight)); });

ScreenSize page_window_size() { return {page_window_width(), page_window_height()}; }

// WebGL gives a smaller drawing buffer than asked for, without a word, when
// the canvas is larger than it can draw.
EM_JS(bool, page_drawing_buffer_is, (int width, int height), {
    return GLctx.drawingBufferWidth === width && GLctx.drawingBufferHeight === height;
});

EM_JS(void, page_place_canvas, (int width, int height, bool fullscreen), {
    Module.page.placeCanvas(width, height, fullscreen);
});

EM_JS(void, page_refused, (), { Module.page.refused(); });
EM_JS(void, page_run_ended, (), { Module.page.runEnded(); });
EM_JS(void, page_script_done, (), { if (Module.page.scriptDone) Module.page.scriptDone(); });
EM_JS(void, page_first_frame, (), { Module.page.firstFrameAt = performance.now(); });
// clang-format on
