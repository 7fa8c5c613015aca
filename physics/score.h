// The two scores: gems add to the current game's score, and the best score
// since the program started is kept beside it. Neither is ever saved.
#pragma once

#include <cstdint>

extern int32_t score;     // points of the current game
extern int32_t hi_score;  // best score since the program started
