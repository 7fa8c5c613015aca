// The levels as played (the body left alone takes no gem) and the level
// state's loads. What each drawing must hold (counts, runs of walls, start and
// gems in the cave and clear of the walls) is the level converter's rule
// file, and script.levels_converter ties the tables to the converter.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <new>

#include "content/levels.h"
#include "tools/solver_sim.h"

namespace {

// A newcomer who does nothing scores nothing: from the level's start, 20 s
// of frames with no aim and no press, gravity alone carries the body past no gem.
class LevelUntouched : public ::testing::TestWithParam<int> {};

TEST_P(LevelUntouched, TakesNoGemIn20Seconds) {
    solver::Sim sim;
    sim.start_level(GetParam());
    const int32_t gems = sim.level.gems_remaining();
    float lowest = sim.ball.pos.y;
    for (int frame = 0; frame < 20 * 60; ++frame) {
        sim.step(solver::FrameInput());
        lowest = std::fmax(lowest, sim.ball.pos.y);
    }
    EXPECT_EQ(sim.level.gems_remaining(), gems) << "the body took a gem by itself";
    EXPECT_GT(lowest, sim.level.data->start.y + 0.1f) << "the body never fell";
}

INSTANTIATE_TEST_SUITE_P(FiveLevels, LevelUntouched, ::testing::Range(0, level_count));

// Every level loads full, whether fresh, reloaded after gems were taken, or
// entered from another level with gems taken; the title after it has none.
TEST(LevelState, EveryLoadRestoresEveryGem) {
    EXPECT_EQ(level_count, 5);
    LevelState state;
    for (int i = 0; i < 2 * level_count; ++i) {
        const LevelData& level = level_table[i / 2];
        state.load(&level);
        EXPECT_EQ(state.data, &level);
        ASSERT_EQ(state.gems_remaining(), level.gem_count);
        for (int g = 0; g < level.gem_count; ++g) EXPECT_EQ(state.gem_present[g], 1) << "gem " << g;
        for (int g = 0; g < level.gem_count; g += 2, --state.gems_left) state.gem_present[g] = 0;  // as the pickup does
    }
    state.load(&title_level);
    EXPECT_EQ(state.gems_remaining(), 0);
    EXPECT_NE(state.gem_present, nullptr);  // an array of length zero, still owned

    // Built over garbage, a state never loaded owns nothing: its destructor
    // would abort on a delete[] of the garbage.
    alignas(LevelState) unsigned char storage[sizeof(LevelState)];
    std::memset(storage, 0xAB, sizeof storage);
    LevelState* fresh = new (storage) LevelState();
    EXPECT_EQ(fresh->gem_present, nullptr);
    fresh->~LevelState();
}

}  // namespace
