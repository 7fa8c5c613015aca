// Checks loading and reloading the level in play: gem flags, gems left, and what a fresh state owns.
#include <gtest/gtest.h>

#include <cstring>
#include <new>

#include "content/levels.h"

namespace {

void expect_all_present(const LevelState& state, const LevelData& level) {
    EXPECT_EQ(state.data, &level);
    EXPECT_EQ(state.gems_remaining(), level.gem_count);
    ASSERT_NE(state.gem_present, nullptr);
    for (int i = 0; i < level.gem_count; ++i) EXPECT_EQ(state.gem_present[i], 1) << "gem " << i;
}

// Every level loads full, whether fresh, reloaded after gems were taken, or
// entered from another level with gems taken; the title after it has none.
TEST(LevelState, EveryLoadRestoresEveryGem) {
    LevelState state;
    for (int i = 0; i < level_count; ++i) {
        for (int round = 0; round < 2; ++round) {
            state.load(&level_table[i]);
            expect_all_present(state, level_table[i]);
            // Take gems the way the pickup does: clear the flag, count down.
            for (int g = 0; g < level_table[i].gem_count; g += 2) {
                state.gem_present[g] = 0;
                --state.gems_left;
            }
        }
    }
    state.load(&title_level);
    EXPECT_EQ(state.gems_remaining(), 0);
    EXPECT_NE(state.gem_present, nullptr);  // an array of length zero, still owned
}

TEST(LevelState, NeverLoadedStateOwnsAndReleasesNothing) {
    // Build the state over memory full of garbage: the constructor must set the
    // gem array to null, so that the destructor has nothing to release.
    alignas(LevelState) unsigned char storage[sizeof(LevelState)];
    std::memset(storage, 0xAB, sizeof storage);
    LevelState* state = new (storage) LevelState();
    EXPECT_EQ(state->gem_present, nullptr);
    state->~LevelState();  // a delete[] of the garbage would abort here
}

}  // namespace
