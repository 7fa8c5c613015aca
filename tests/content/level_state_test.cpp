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

TEST(LevelState, TitleLevelHasNoGemsAtOnce) {
    LevelState state;
    state.load(&title_level);
    EXPECT_EQ(state.data, &title_level);
    EXPECT_EQ(state.gems_remaining(), 0);
    EXPECT_NE(state.gem_present, nullptr);  // an array of length zero, still owned
}

TEST(LevelState, EveryLevelLoadsWithAllItsGems) {
    LevelState state;
    for (int i = 0; i < level_count; ++i) {
        state.load(&level_table[i]);
        expect_all_present(state, level_table[i]);
    }
}

TEST(LevelState, ReloadingRestoresEveryCollectedGem) {
    LevelState state;
    const LevelData& level = level_table[4];  // six gems
    state.load(&level);
    // Take gems the way the pickup does: clear the flag, count down.
    for (int i : {0, 2, 5}) {
        state.gem_present[i] = 0;
        --state.gems_left;
    }
    ASSERT_EQ(state.gems_remaining(), 3);
    state.load(&level);
    expect_all_present(state, level);
}

TEST(LevelState, EnteringAnotherLevelStartsItFull) {
    LevelState state;
    state.load(&level_table[0]);
    state.gem_present[1] = 0;
    --state.gems_left;
    state.load(&level_table[1]);
    expect_all_present(state, level_table[1]);
    state.load(&title_level);
    EXPECT_EQ(state.gems_remaining(), 0);
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
