// The six level records: the title scene and the five playable caves.
#pragma once

#include <cstdint>

#include "physics/level.h"

extern const LevelData title_level;
extern const LevelData level_table[];  // in play order; entry 0 is level 1
constexpr int32_t level_count = 5;
