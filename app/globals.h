// The few process-wide values of the game: the screen size, fixed at start-up,
// and the two scores, which live for the whole run and are never saved.
#pragma once

#include <cstdint>

extern int32_t screen_width;   // pixels, 640 unless the mode choice or options say otherwise
extern int32_t screen_height;  // pixels, 480 likewise
extern int32_t score;          // points of the current game
extern int32_t hi_score;       // best score since the program started
