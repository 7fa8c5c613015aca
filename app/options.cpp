// The command-line scan and the choice of the full-screen size.
#include "app/options.h"

#include <cstdlib>
#include <cstring>

Options scan_options(int argc, const char* const* argv, FILE* errors) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const bool has_value = i + 1 < argc;
        // The value is consumed whatever it says: "--width --windowed" sets
        // the width to 0 and keeps full screen.
        if (strcmp(arg, "--width") == 0 && has_value) {
            options.width_option = atoi(argv[++i]);
        } else if (strcmp(arg, "--height") == 0 && has_value) {
            options.height_option = atoi(argv[++i]);
        } else if (strcmp(arg, "--windowed") == 0) {
            options.fullscreen = false;
        } else {
            fprintf(errors, "Unknown option '%s'\n", arg);
        }
    }
    return options;
}

ModeChoice choose_fullscreen_size(SDL_Rect** modes, ScreenSize fallback) {
    if (modes == nullptr) return {false, fallback};
    if (modes == reinterpret_cast<SDL_Rect**>(-1)) return {true, fallback};
    for (SDL_Rect** mode = modes; *mode != nullptr; ++mode) {
        const SDL_Rect& r = **mode;
        if (r.w <= max_fullscreen_width && r.h <= max_fullscreen_height) {
            return {true, {r.w, r.h}};
        }
    }
    return {true, fallback};
}

bool video_size_representable(ScreenSize size) {
    return size.width <= max_video_size && size.height <= max_video_size;
}
