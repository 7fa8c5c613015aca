// Definitions of the two scores.
#include "physics/score.h"

int32_t score = 0;
int32_t hi_score = 0;
