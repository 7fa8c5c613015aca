// The command line and the full-screen size choice, as plain functions of
// their inputs so that start-up stays a short list of steps.
#pragma once

#include <SDL.h>
#include <cstdint>
#include <cstdio>

// What the command line asked for. A size of 0 means the option was not
// given: the size then comes from the mode choice or the default.
struct Options {
    bool fullscreen = true;     // cleared by "--windowed"
    int32_t width_option = 0;   // pixels, from "--width N"
    int32_t height_option = 0;  // pixels, from "--height N"
};

// Scans argv[1] .. argv[argc - 1]. Every argument that is no option (and a
// "--width" or "--height" with nothing after it) is reported on `errors` as
// "Unknown option '...'" and skipped; the scan never stops early.
Options scan_options(int argc, const char* const* argv, FILE* errors);

struct ScreenSize {
    int32_t width;   // pixels
    int32_t height;  // pixels
};

// The largest mode the game wants in full screen.
constexpr int32_t max_fullscreen_width = 1024;  // pixels
constexpr int32_t max_fullscreen_height = 768;  // pixels

// What SDL_ListModes answered, turned into a screen size.
struct ModeChoice {
    bool modes_available;  // false: SDL listed no mode at all
    ScreenSize size;       // the chosen size, or `fallback` when none fits
};

// `modes` is SDL_ListModes' answer: null for no modes, (SDL_Rect**)-1 for
// "every size", otherwise a null-terminated list, largest first. The first
// mode within max_fullscreen_width x max_fullscreen_height wins.
ModeChoice choose_fullscreen_size(SDL_Rect** modes, ScreenSize fallback);

// SDL keeps a window's size in unsigned 16-bit rectangles and X windows are
// at most this large; bigger requests are cut to 16 bits on their way to the
// X server (65536 becomes 0 and kills the program with an X protocol error).
constexpr int32_t max_video_size = 65535;  // pixels, per side

// False for sizes SDL would pass on mangled; the game refuses them like a
// mode SDL itself refused. Zero and negative sizes are left to SDL to judge.
bool video_size_representable(ScreenSize size);
