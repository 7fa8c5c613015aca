// Checks the six level records against their figures: counts, spans, starts, gems, runs, tracing, clearances.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "content/levels.h"
#include "tools/solver_sim.h"

namespace {

struct Span {
    double min_x, max_x, min_y, max_y;
};

enum class RunKind { Open, Closed, Gap, Single };

struct WallRun {
    RunKind kind;
    int segments;
};

struct Figures {
    const char* name;
    const LevelData* level;
    Vec2 start;
    int line_vertices;
    int segments;
    std::vector<Vec2> gems;
    Span lines_span;
    Span segments_span;
    std::vector<WallRun> runs;
    std::vector<std::pair<int, int>> crossing;  // wall pairs that cross each other
    int zero_length;
};

const std::vector<Figures>& figures() {
    static const std::vector<Figures> table = {
        {"title", &title_level, Vec2(0.566732f, -0.321252f), 1778, 39, {},
         {-6.99, 12.13, -2.54, 7.28}, {-1.55, 6.24, -0.61, 4.06},
         {{RunKind::Open, 39}}, {}, 0},
        {"level 1", &level_table[0], Vec2(0.760919f, 1.254839f), 1492, 29,
         {Vec2(2.901859f, 4.013562f), Vec2(8.248881f, 2.128257f), Vec2(4.585077f, 3.169146f)},
         {-4.54, 14.99, -0.56, 7.55}, {0.20, 8.98, 0.77, 4.43},
         {{RunKind::Closed, 27}, {RunKind::Single, 1}, {RunKind::Single, 1}}, {{27, 28}}, 0},
        {"level 2", &level_table[1], Vec2(0.566732f, -0.321252f), 1760, 54,
         {Vec2(-0.867335f, 4.388458f), Vec2(6.411382f, 4.522255f), Vec2(5.992192f, 1.640387f),
          Vec2(-1.505719f, 7.517694f)},
         {-8.97, 13.99, -2.16, 14.86}, {-2.02, 7.05, -1.28, 8.97},
         {{RunKind::Gap, 50}, {RunKind::Single, 1}, {RunKind::Single, 1}, {RunKind::Single, 1},
          {RunKind::Single, 1}},
         {{50, 51}, {52, 53}}, 0},
        {"level 3", &level_table[2], Vec2(0.566732f, -0.321252f), 1960, 87,
         {Vec2(0.666472f, 2.535108f), Vec2(10.134844f, 2.156916f), Vec2(4.54313f, 2.111359f),
          Vec2(-2.764866f, 8.44544f)},
         {-7.87, 14.04, -2.08, 11.67}, {-4.78, 10.88, -0.86, 9.30},
         {{RunKind::Closed, 67}, {RunKind::Closed, 20}}, {}, 0},
        {"level 4", &level_table[3], Vec2(9.42326f, 5.984024f), 2120, 76,
         {Vec2(2.933845f, 9.68203f), Vec2(2.180339f, 6.417813f), Vec2(4.654868f, 1.992198f),
          Vec2(6.59794f, 10.896295f)},
         {-10.63, 16.21, -0.87, 14.09}, {-3.41, 9.95, 1.14, 11.67},
         {{RunKind::Closed, 76}}, {}, 9},
        {"level 5", &level_table[4], Vec2(-7.539013f, -3.474078f), 2456, 103,
         {Vec2(-0.765575f, 4.413568f), Vec2(-5.143079f, 8.611457f), Vec2(-1.769113f, 0.096609f),
          Vec2(3.077292f, -0.734204f), Vec2(-6.432141f, 6.330827f), Vec2(5.793409f, -1.160261f)},
         {-14.82, 11.82, -5.38, 12.55}, {-8.03, 6.44, -3.76, 9.29},
         {{RunKind::Closed, 59}, {RunKind::Closed, 44}}, {}, 0},
    };
    return table;
}

bool same(Vec2 a, Vec2 b) { return a.x == b.x && a.y == b.y; }

double seg_length(const Segment& s) {
    return std::hypot(double(s.b.x) - s.a.x, double(s.b.y) - s.a.y);
}

double distance_to(Vec2 p, const Segment& s) {
    const double dx = double(s.b.x) - s.a.x, dy = double(s.b.y) - s.a.y;
    const double dd = dx * dx + dy * dy;
    double t = dd == 0.0 ? 0.0 : ((p.x - double(s.a.x)) * dx + (p.y - double(s.a.y)) * dy) / dd;
    t = std::fmax(0.0, std::fmin(1.0, t));
    return std::hypot(p.x - (s.a.x + dx * t), p.y - (s.a.y + dy * t));
}

// Rounded to two decimals, as the spans are given.
long hundredths(double v) { return std::lround(v * 100.0); }

void expect_span(const char* what, const std::vector<Vec2>& points, const Span& want) {
    double min_x = 1e9, max_x = -1e9, min_y = 1e9, max_y = -1e9;
    for (const Vec2& p : points) {
        min_x = std::fmin(min_x, p.x);
        max_x = std::fmax(max_x, p.x);
        min_y = std::fmin(min_y, p.y);
        max_y = std::fmax(max_y, p.y);
    }
    EXPECT_EQ(hundredths(min_x), hundredths(want.min_x)) << what << " min x " << min_x;
    EXPECT_EQ(hundredths(max_x), hundredths(want.max_x)) << what << " max x " << max_x;
    EXPECT_EQ(hundredths(min_y), hundredths(want.min_y)) << what << " min y " << min_y;
    EXPECT_EQ(hundredths(max_y), hundredths(want.max_y)) << what << " max y " << max_y;
}

// The runs as the data holds them: a run goes on while each wall begins
// exactly where the previous one ended.
struct FoundRun {
    int first;
    int count;
};

std::vector<FoundRun> runs_of(const LevelData& level) {
    std::vector<FoundRun> runs;
    for (int i = 0; i < level.segment_count; ++i) {
        if (i > 0 && same(level.segments[i].a, level.segments[i - 1].b)) {
            ++runs.back().count;
        } else {
            runs.push_back({i, 1});
        }
    }
    return runs;
}

// Crossing-number test against one run taken as a closed ring.
bool inside_ring(Vec2 p, const LevelData& level, const FoundRun& run) {
    bool inside = false;
    for (int i = run.first; i < run.first + run.count; ++i) {
        const Vec2 a = level.segments[i].a;
        const Vec2 b = i + 1 < run.first + run.count ? level.segments[i].b
                                                    : level.segments[run.first].a;
        if ((a.y > p.y) != (b.y > p.y)) {
            const double x = a.x + (double(p.y) - a.y) * (double(b.x) - a.x) / (double(b.y) - a.y);
            if (p.x < x) inside = !inside;
        }
    }
    return inside;
}

bool segments_cross(const Segment& s, const Segment& t) {
    auto side = [](Vec2 a, Vec2 b, Vec2 p) {
        return (double(b.x) - a.x) * (double(p.y) - a.y) - (double(b.y) - a.y) * (double(p.x) - a.x);
    };
    return side(s.a, s.b, t.a) * side(s.a, s.b, t.b) < 0 &&
           side(t.a, t.b, s.a) * side(t.a, t.b, s.b) < 0;
}

class LevelFigures : public ::testing::TestWithParam<size_t> {
protected:
    const Figures& want() const { return figures()[GetParam()]; }
    const LevelData& level() const { return *want().level; }
};

TEST_P(LevelFigures, CountsStartAndGemsAreAsGiven) {
    EXPECT_EQ(level().line_vertex_count, want().line_vertices);
    EXPECT_EQ(level().line_vertex_count % 2, 0);
    EXPECT_EQ(level().segment_count, want().segments);
    ASSERT_EQ(level().gem_count, static_cast<int>(want().gems.size()));
    EXPECT_TRUE(same(level().start, want().start))
        << level().start.x << ", " << level().start.y;
    for (size_t i = 0; i < want().gems.size(); ++i) {
        EXPECT_TRUE(same(level().gems[i], want().gems[i])) << "gem " << i;
    }
    const int decorative = level().line_vertex_count / 2 - level().segment_count;
    EXPECT_GE(decorative, 10 * level().segment_count);
    EXPECT_LE(decorative, 25 * level().segment_count);
}

TEST_P(LevelFigures, SpansRoundToTheGivenValues) {
    std::vector<Vec2> lines(level().line_vertices, level().line_vertices + level().line_vertex_count);
    for (const Vec2& p : lines) ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    expect_span("lines", lines, want().lines_span);
    std::vector<Vec2> walls;
    for (int i = 0; i < level().segment_count; ++i) {
        walls.push_back(level().segments[i].a);
        walls.push_back(level().segments[i].b);
    }
    expect_span("walls", walls, want().segments_span);
}

TEST_P(LevelFigures, FirstLinesTraceTheWallsInOrder) {
    for (int i = 0; i < level().segment_count; ++i) {
        const Vec2 a = level().line_vertices[2 * i];
        const Vec2 b = level().line_vertices[2 * i + 1];
        const Segment& s = level().segments[i];
        EXPECT_NEAR(a.x, s.a.x, 1e-6) << "wall " << i;
        EXPECT_NEAR(a.y, s.a.y, 1e-6) << "wall " << i;
        EXPECT_NEAR(b.x, s.b.x, 1e-6) << "wall " << i;
        EXPECT_NEAR(b.y, s.b.y, 1e-6) << "wall " << i;
    }
}

TEST_P(LevelFigures, RunsAreOpenClosedOrSingleAsGiven) {
    const std::vector<FoundRun> found = runs_of(level());
    ASSERT_EQ(found.size(), want().runs.size());
    for (size_t r = 0; r < found.size(); ++r) {
        const WallRun& run = want().runs[r];
        EXPECT_EQ(found[r].count, run.segments) << "run " << r;
        const Vec2 first = level().segments[found[r].first].a;
        const Vec2 last = level().segments[found[r].first + found[r].count - 1].b;
        const double ends = std::hypot(double(last.x) - first.x, double(last.y) - first.y);
        switch (run.kind) {
        case RunKind::Closed: EXPECT_TRUE(same(first, last)) << "run " << r; break;
        case RunKind::Open: EXPECT_GT(ends, 0.0) << "run " << r; break;
        case RunKind::Gap: EXPECT_NEAR(ends, 0.0016, 1e-5) << "run " << r; break;
        case RunKind::Single:
            EXPECT_NEAR(seg_length(level().segments[found[r].first]), 0.04, 1e-5) << "run " << r;
            break;
        }
    }
    for (const auto& pair : want().crossing) {
        EXPECT_TRUE(segments_cross(level().segments[pair.first], level().segments[pair.second]))
            << pair.first << " and " << pair.second;
    }
}

TEST_P(LevelFigures, ZeroLengthAndVeryShortWalls) {
    int zero = 0;
    double shortest = 1e9;
    for (int i = 0; i < level().segment_count; ++i) {
        const double len = seg_length(level().segments[i]);
        if (len == 0.0) {
            ++zero;
        } else {
            shortest = std::fmin(shortest, len);
        }
    }
    EXPECT_EQ(zero, want().zero_length);
    if (want().zero_length > 0) {
        EXPECT_LT(shortest, 2e-6);  // down to about a millionth of a unit
    }
}

TEST_P(LevelFigures, StartAndGemsKeepClearOfTheWalls) {
    auto nearest = [&](Vec2 p) {
        double best = 1e9;
        for (int i = 0; i < level().segment_count; ++i) {
            best = std::fmin(best, distance_to(p, level().segments[i]));
        }
        return best;
    };
    EXPECT_GE(nearest(level().start), 0.28);
    for (int i = 0; i < level().gem_count; ++i) {
        EXPECT_GE(nearest(level().gems[i]), 0.32) << "gem " << i;
    }
}

TEST_P(LevelFigures, StartAndGemsLieInsideTheCave) {
    std::vector<FoundRun> rings;
    for (const FoundRun& run : runs_of(level())) {
        // The enclosing runs, not the singles; the title's jar, open only by a
        // slot narrower than the body, encloses too.
        if (run.count > 2) rings.push_back(run);
    }
    auto inside = [&](Vec2 p) {
        int count = 0;
        for (const FoundRun& ring : rings) count += inside_ring(p, level(), ring) ? 1 : 0;
        return count % 2 == 1;  // in the cave, not inside an island of rock
    };
    EXPECT_TRUE(inside(level().start));
    for (int i = 0; i < level().gem_count; ++i) EXPECT_TRUE(inside(level().gems[i])) << "gem " << i;
}

INSTANTIATE_TEST_SUITE_P(SixLevels, LevelFigures, ::testing::Range<size_t>(0, 6),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             std::string name = figures()[info.param].name;
                             for (char& c : name) if (c == ' ') c = '_';
                             return name;
                         });

TEST(LevelTable, FivePlayableLevelsInPlayOrder) {
    EXPECT_EQ(level_count, 5);  // the gems of each are checked with its figures
    // Levels 2 and 3 start where the title scene drops its body.
    EXPECT_TRUE(same(level_table[1].start, title_level.start));
    EXPECT_TRUE(same(level_table[2].start, title_level.start));
}

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
    EXPECT_EQ(sim.level.gems_remaining(), gems)
        << "level " << GetParam() + 1 << ": the body took a gem by itself";
    EXPECT_GT(lowest, sim.level.data->start.y + 0.1f) << "the body never fell";
}

INSTANTIATE_TEST_SUITE_P(FiveLevels, LevelUntouched, ::testing::Range(0, 5));

TEST(LevelTable, ThePointInCaveCheckTellsInsideFromOutside) {
    // The check above must be able to fail: the first wall's far side is rock.
    const LevelData& level = level_table[0];
    const FoundRun cave = runs_of(level).front();
    const Segment& wall = level.segments[0];
    const Vec2 mid((wall.a.x + wall.b.x) / 2, (wall.a.y + wall.b.y) / 2);
    const float nx = wall.b.y - wall.a.y, ny = wall.a.x - wall.b.x;
    const float scale = 0.05f / std::sqrt(nx * nx + ny * ny);
    const Vec2 one_side(mid.x + nx * scale, mid.y + ny * scale);
    const Vec2 other_side(mid.x - nx * scale, mid.y - ny * scale);
    EXPECT_NE(inside_ring(one_side, level, cave), inside_ring(other_side, level, cave));
}

}  // namespace
