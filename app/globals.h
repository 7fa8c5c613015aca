// The screen size, fixed at start-up; the scores live with the gem pickup
// (physics/score.h).
#pragma once

#include <cstdint>

#include "physics/score.h"

extern int32_t screen_width;   // pixels, 640 unless the mode choice or options say otherwise
extern int32_t screen_height;  // pixels, 480 likewise
