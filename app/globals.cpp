// Definitions of the process-wide screen size and scores.
#include "app/globals.h"

int32_t screen_width = 640;
int32_t screen_height = 480;
int32_t score = 0;
int32_t hi_score = 0;
