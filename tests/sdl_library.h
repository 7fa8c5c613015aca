// Test helper: tells which SDL 1.2 library the test runs on, asked of the
// library itself, for the few behaviours in which the two differ.
#pragma once

#include <SDL.h>

// The compatibility library (SDL 1.2 on SDL 2) reports 1.2.50 and above
// (Debian 12 ships 1.2.60, Debian 13 1.2.68); the classic library ended at
// 1.2.15. The linked version is the library loaded at run time, not the
// headers the test was compiled with.
inline bool sdl_is_compat_library() {
    const SDL_version* v = SDL_Linked_Version();
    return SDL_VERSIONNUM(v->major, v->minor, v->patch) >= SDL_VERSIONNUM(1, 2, 50);
}
