// The floor of the frame figures: an SDL 1.2 OpenGL window at the game's
// full-screen size that only clears and swaps, paced like the game, until
// it is closed or the given number of seconds has passed.
#include <GL/gl.h>
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "app/pacing.h"

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? atoi(argv[1]) : 0;
    if (argc > 2 || seconds < 0) {
        fprintf(stderr, "usage: bare_window [seconds]\n");
        return 2;
    }
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) < 0) {
        fprintf(stderr, "Unable to init SDL: %s\n", SDL_GetError());
        return 1;
    }
    atexit(SDL_Quit);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 1);
    if (SDL_SetVideoMode(1024, 768, 32, SDL_OPENGL | SDL_FULLSCREEN) == nullptr) {
        fprintf(stderr, "Unable to set video mode: %s\n", SDL_GetError());
        return 1;
    }
    glClearColor(0.0f, 0.1f, 0.0f, 1.0f);
    const uint32_t start = SDL_GetTicks();
    uint32_t last_ticks = start;
    bool quit = false;
    while (!quit) {
        wait_for_frame(last_ticks);
        SDL_Event event;
        while (SDL_PollEvent(&event)) quit = quit || event.type == SDL_QUIT;
        glClear(GL_COLOR_BUFFER_BIT);
        SDL_GL_SwapBuffers();
        if (seconds > 0 && SDL_GetTicks() - start >= static_cast<uint32_t>(seconds) * 1000u) quit = true;
    }
    return 0;
}
