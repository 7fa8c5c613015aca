// Loading a level record into the level state and counting its gems.
#include "physics/level.h"

LevelState::LevelState() : data(nullptr), gem_present(nullptr), gems_left(0) {}

LevelState::~LevelState() {
    delete[] gem_present;
}

void LevelState::load(const LevelData* level) {
    data = level;
    delete[] gem_present;
    // The title level has no gems: an array of length zero is still allocated.
    gem_present = new uint8_t[level->gem_count];
    for (int32_t i = 0; i < level->gem_count; ++i) gem_present[i] = 1;
    gems_left = level->gem_count;
    wall_boxes.prepare(level->segments, level->segment_count);
}
