// The six level records against their figures (counts, runs of walls, walls
// of no length), the properties every level must have (the first lines trace
// the walls; start and gems in the cave, clear of the walls; the body left
// alone takes no gem), and the level state's loads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "content/levels.h"
#include "tests/physics/cave.h"
#include "tools/solver_sim.h"

namespace {

// The figures each level's drawing was made to (the start and the gems are
// where the drawing puts them: the checks below hold them to the walls).
struct Figures { const LevelData* level; int line_vertices, segments, gems; const char* runs; int zero_length; };

const Figures figures[] = {
    {&title_level, 1778, 39, 0, "open 39", 0},
    {&level_table[0], 1492, 29, 3, "closed 27, single, cross", 0},
    {&level_table[1], 1760, 54, 4, "gap 50, single, cross, single, cross", 0},
    {&level_table[2], 1960, 87, 4, "closed 67, closed 20", 0},
    {&level_table[3], 2120, 76, 4, "closed 76", 9},
    {&level_table[4], 2456, 103, 6, "closed 59, closed 44", 0},
};

double distance(Vec2 a, Vec2 b) { return std::hypot(double(b.x) - a.x, double(b.y) - a.y); }

double side(const Segment& w, Vec2 p) {
    return (double(w.b.x) - w.a.x) * (double(p.y) - w.a.y) - (double(w.b.y) - w.a.y) * (double(p.x) - w.a.x);
}

// The runs of walls as the data holds them, a run going on while each wall
// begins exactly where the last one ended: closed when its ends meet, a gap
// when they are 0.0016 apart, else open; a single is one wall 0.04 long, a
// cross one that crosses the wall before it.
std::string runs_of(const LevelData& level) {
    const Segment* s = level.segments;
    std::string out;
    for (int i = 0, first = 0; i < level.segment_count; ++i) {
        if (i + 1 < level.segment_count && s[i + 1].a.x == s[i].b.x && s[i + 1].a.y == s[i].b.y) continue;
        const double ends = distance(s[first].a, s[i].b);
        const std::string n = std::to_string(i - first + 1);
        out += out.empty() ? "" : ", ";
        const bool crosses = i > 0 && side(s[i], s[i - 1].a) * side(s[i], s[i - 1].b) < 0 &&
                             side(s[i - 1], s[i].a) * side(s[i - 1], s[i].b) < 0;
        out += i == first && std::fabs(ends - 0.04) < 1e-5 ? (crosses ? "cross" : "single")
               : ends == 0.0                                ? "closed " + n
               : std::fabs(ends - 0.0016) < 1e-5            ? "gap " + n
                                                            : "open " + n;
        first = i + 1;
    }
    return out;
}

class LevelFigures : public ::testing::TestWithParam<Figures> {};

TEST_P(LevelFigures, CountsAndRunsAreAsGivenAndLinesTraceTheWalls) {
    const Figures& want = GetParam();
    const LevelData& level = *want.level;
    EXPECT_EQ(level.line_vertex_count, want.line_vertices);
    EXPECT_EQ(level.segment_count, want.segments);
    for (int i = 0; i < level.segment_count; ++i) {  // the first lines trace the walls in order
        const Segment& s = level.segments[i];
        EXPECT_LT(distance(level.line_vertices[2 * i], s.a) + distance(level.line_vertices[2 * i + 1], s.b), 2e-6) << i;
    }
    EXPECT_EQ(level.gem_count, want.gems);
    EXPECT_EQ(runs_of(level), want.runs);
    // Walls of no length, and then some only about a millionth long.
    int zero = 0;
    double shortest = 1e9;
    for (int i = 0; i < level.segment_count; ++i) {
        const double len = distance(level.segments[i].a, level.segments[i].b);
        zero += len == 0.0;
        if (len > 0.0) shortest = std::fmin(shortest, len);
    }
    EXPECT_EQ(zero, want.zero_length);
    EXPECT_TRUE(want.zero_length == 0 || shortest < 2e-6) << shortest;
}

// In the cave (inside an odd number of closed runs: not in an island of
// rock) and clear of every wall; the title's body starts on open ground.
TEST_P(LevelFigures, StartAndGemsLieInTheCaveClearOfTheWalls) {
    const LevelData& level = *GetParam().level;
    const CaveCheck cave(level);
    EXPECT_EQ(cave.has_cave, level.gem_count > 0);
    EXPECT_EQ(std::count(cave.start_inside.begin(), cave.start_inside.end(), true) % 2, cave.has_cave ? 1 : 0);
    const auto clearance = [&](Vec2 p) {  // walls of no length lie on others' ends
        float best = 1e9f;
        for (int i = 0; i < level.segment_count; ++i) best = std::fmin(best, length(closest_point_on_segment(p, level.segments[i]) - p));
        return best;
    };
    EXPECT_TRUE(cave.holds(level.start));
    EXPECT_GE(clearance(level.start), 0.28f);
    for (int i = 0; i < level.gem_count; ++i) {
        EXPECT_TRUE(cave.holds(level.gems[i])) << "gem " << i;
        EXPECT_GE(clearance(level.gems[i]), 0.32f) << "gem " << i;
    }
    if (cave.has_cave) {  // the check can fail: just across the first wall is rock
        const Segment& w = level.segments[0];
        const Vec2 mid = (w.a + w.b) * 0.5f, off = normalize(Vec2(w.b.y - w.a.y, w.a.x - w.b.x)) * 0.05f;
        EXPECT_NE(cave.holds(mid + off), cave.holds(mid - off));
    }
}

INSTANTIATE_TEST_SUITE_P(SixLevels, LevelFigures, ::testing::ValuesIn(figures));

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
