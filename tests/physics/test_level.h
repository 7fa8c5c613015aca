// Test helper: a level record of the test's walls, gems and start, loaded into its own level state.
#pragma once

#include <vector>

#include "physics/level.h"

struct TestLevel {
    TestLevel(std::vector<Segment> walls_, std::vector<Vec2> gems_, Vec2 start) : walls(std::move(walls_)), gems(std::move(gems_)) {
        data = {start, 0, nullptr, static_cast<int32_t>(walls.size()), walls.data(), static_cast<int32_t>(gems.size()), gems.data()};
        state.load(&data);
    }
    TestLevel(const TestLevel&) = delete;
    TestLevel& operator=(const TestLevel&) = delete;

    std::vector<Segment> walls;
    std::vector<Vec2> gems;
    LevelData data;
    LevelState state;
};
