// A body dropped into each level falls, bounces, swings on its rope and goes
// after the gems, steered by a small look-ahead pilot that tries a dozen
// rope shots at a time on a copy of the body and keeps the best.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <vector>

#include "app/globals.h"
#include "physics/control_input.h"
#include "content/levels.h"
#include "physics/ball.h"
#include "sound/programs.h"
#include "tests/physics/sound_log.h"
#include "tests/physics/test_level.h"

namespace {

constexpr float frame_dt = 1.0f / 60;
constexpr int lookahead_frames = 50;
constexpr int short_hold = 20;  // frames the button stays down in a short shot
constexpr int long_hold = 40;
constexpr int shot_directions = 12;

float distance_to_walls(const LevelData& level, Vec2 p) {
    float best = 1e9f;
    for (int32_t i = 0; i < level.segment_count; ++i) {
        const Segment& s = level.segments[i];
        const Vec2 d = s.b - s.a;
        const float dd = dot(d, d);
        float t = dd > 0 ? dot(p - s.a, d) / dd : 0;
        t = std::min(1.0f, std::max(0.0f, t));
        best = std::min(best, length(s.a + d * t - p));
    }
    return best;
}

// Steps through open grid cells from the present gems: how far the body has
// to travel around the rock to reach one.
class GemDistance {
public:
    explicit GemDistance(const LevelData& level) : level(level) {
        float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
        for (int32_t i = 0; i < level.segment_count; ++i) {
            for (Vec2 p : {level.segments[i].a, level.segments[i].b}) {
                x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
                x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
            }
        }
        origin = Vec2(x0 - 0.5f, y0 - 0.5f);
        width = static_cast<int>((x1 - x0 + 1) / cell) + 1;
        height = static_cast<int>((y1 - y0 + 1) / cell) + 1;
        open.resize(width * height);
        for (int j = 0; j < height; ++j) {
            for (int i = 0; i < width; ++i) {
                const Vec2 c = origin + Vec2((i + 0.5f) * cell, (j + 0.5f) * cell);
                open[j * width + i] = distance_to_walls(level, c) > 0.1f;
            }
        }
    }

    void aim_at(const LevelState& state) {
        steps.assign(width * height, -1);
        std::deque<int> queue;
        for (int32_t g = 0; g < level.gem_count; ++g) {
            const int c = cell_of(level.gems[g]);
            if (state.gem_present[g] && c >= 0) {
                steps[c] = 0;
                queue.push_back(c);
            }
        }
        while (!queue.empty()) {
            const int c = queue.front();
            queue.pop_front();
            const int ci = c % width, cj = c / width;
            for (int dj = -1; dj <= 1; ++dj) {
                for (int di = -1; di <= 1; ++di) {
                    const int i = ci + di, j = cj + dj;
                    if (i < 0 || j < 0 || i >= width || j >= height) continue;
                    const int n = j * width + i;
                    if (!open[n] || steps[n] >= 0) continue;
                    steps[n] = steps[c] + 1;
                    queue.push_back(n);
                }
            }
        }
    }

    float operator()(Vec2 p) const {
        const int c = cell_of(p);
        if (c < 0 || steps[c] < 0) return 1e6f;
        return steps[c] * cell;
    }

private:
    int cell_of(Vec2 p) const {
        const int i = static_cast<int>(std::floor((p.x - origin.x) / cell));
        const int j = static_cast<int>(std::floor((p.y - origin.y) / cell));
        if (i < 0 || j < 0 || i >= width || j >= height) return -1;
        return j * width + i;
    }

    static constexpr float cell = 0.1f;
    const LevelData& level;
    Vec2 origin;
    int width, height;
    std::vector<bool> open;
    std::vector<int> steps;
};

struct Plan {
    bool fire;
    Vec2 aim;
    int hold;  // frames the button stays down
};

ControlInput input_for(const Plan& plan, int frame) {
    ControlInput in;
    in.frozen = 0;
    in.aim = plan.aim;
    in.pressed = plan.fire && frame == 0 ? 1 : 0;
    in.held = plan.fire && frame < plan.hold ? 1 : 0;
    return in;
}

// The pilot: tries every plan on a copy of the body and the gem flags.
class Pilot {
public:
    explicit Pilot(const LevelData& data) : distance(data) { trial_level.load(&data); }

    Plan choose(const Ball& ball, const LevelState& level) {
        distance.aim_at(level);
        std::vector<Plan> plans = {{false, Vec2(0, -1), 0}};
        for (int k = 0; k < shot_directions; ++k) {
            const float angle = 6.2831853f * k / shot_directions;
            for (int hold : {short_hold, long_hold}) {
                plans.push_back({true, Vec2(cosf(angle), sinf(angle)), hold});
            }
        }
        const int32_t saved_score = score;
        Plan best = plans[0];
        float best_value = 1e30f;
        for (const Plan& plan : plans) {
            const float value = try_plan(plan, ball, level);
            if (value < best_value) best_value = value, best = plan;
        }
        score = saved_score;
        return best;
    }

private:
    float try_plan(const Plan& plan, const Ball& ball, const LevelState& level) {
        std::memcpy(trial_level.gem_present, level.gem_present, level.data->gem_count);
        trial_level.gems_left = level.gems_left;
        Ball trial = ball;
        trial.level = &trial_level;
        float nearest = distance(trial.pos);
        for (int f = 0; f < lookahead_frames; ++f) {
            trial.update(frame_dt, input_for(plan, f));
            if (trial_level.gems_left < level.gems_left) return -1000.0f + f;
            nearest = std::min(nearest, distance(trial.pos));
        }
        return nearest + 0.3f * distance(trial.pos);
    }

    GemDistance distance;
    LevelState trial_level;
};

struct RunReport {
    bool fell = false;
    bool bounced = false;
    bool caught = false;
    float swing = 0;  // largest sideways travel while the rope held
    int32_t gems_taken = 0;
    int32_t score_gained = 0;
};

// Plays until gems_wanted gems are taken and the rope has caught once, or
// max_frames have passed.
RunReport scripted_run(const LevelData& data, int max_frames, int32_t gems_wanted) {
    SoundLog sounds;
    LevelState level;
    level.load(&data);
    Ball ball;
    ball.reset(level);
    RunReport report;
    const int32_t score_before = score;

    // The drop, without controls, until the first bounce (at most 4 s).
    const float start_y = ball.pos.y;
    ControlInput still;
    still.frozen = 0;
    for (int f = 0; f < 240 && sounds.count(snd_bounce) == 0; ++f) {
        ball.update(frame_dt, still);
        if (ball.pos.y > start_y + 0.1f) report.fell = true;
    }
    report.bounced = sounds.count(snd_bounce) > 0;

    Pilot pilot(data);
    int frame = 0;
    while (data.gem_count > 0 && frame < max_frames &&
           (data.gem_count - level.gems_remaining() < gems_wanted || !report.caught)) {
        const Plan plan = pilot.choose(ball, level);
        const int run_for = plan.fire ? plan.hold : 10;  // a wait lasts a sixth of a second
        float attached_x = 0;
        bool was_attached = false;
        for (int f = 0; f < run_for; ++f, ++frame) {
            const size_t heard = sounds.all().size();
            ball.update(frame_dt, input_for(plan, f));
            for (size_t i = heard; i < sounds.all().size(); ++i) {
                if (sounds.all()[i].program == snd_rope_catch) report.caught = true;
            }
            if (ball.rope_state == Attached) {
                if (!was_attached) attached_x = ball.pos.x;
                was_attached = true;
                report.swing = std::max(report.swing, std::fabs(ball.pos.x - attached_x));
            } else {
                was_attached = false;
            }
        }
        // Let go before the next shot.
        ball.update(frame_dt, still);
        ++frame;
    }
    report.gems_taken = data.gem_count - level.gems_remaining();
    report.score_gained = score - score_before;
    return report;
}

// A small cave of three chambers with a gem in each.
TEST(ScriptedRun, PilotClearsASmallCave) {
    const std::vector<Vec2> outline = {Vec2(-2, -1.5f), Vec2(2, -1.5f),   Vec2(2, 1.5f),
                                       Vec2(0.6f, 1.5f), Vec2(0.6f, 0.4f), Vec2(-0.6f, 0.4f),
                                       Vec2(-0.6f, 1.5f), Vec2(-2, 1.5f)};
    std::vector<Segment> walls;
    for (size_t i = 0; i < outline.size(); ++i) {
        walls.push_back(Segment(outline[i], outline[(i + 1) % outline.size()]));
    }
    TestLevel cave(walls, {Vec2(-1.3f, 1.0f), Vec2(1.3f, 1.0f), Vec2(0, -1.0f)}, Vec2(0, 0));
    const RunReport run = scripted_run(cave.data, 60 * 60, 3);
    EXPECT_TRUE(run.fell);
    EXPECT_TRUE(run.bounced);
    EXPECT_TRUE(run.caught);
    EXPECT_EQ(run.gems_taken, 3);
    EXPECT_EQ(run.score_gained, 300);
}

struct RunLevel {
    const char* name;
    const LevelData* data;
    bool cleared;  // the pilot finds every gem of this cave; elsewhere it stops at one
};

class ScriptedLevelRun : public ::testing::TestWithParam<RunLevel> {};

TEST_P(ScriptedLevelRun, FallsBouncesSwingsAndCollects) {
    const LevelData& data = *GetParam().data;
    const RunReport run =
        scripted_run(data, 90 * 60, GetParam().cleared ? data.gem_count : std::min(data.gem_count, 1));
    EXPECT_TRUE(run.fell);
    EXPECT_TRUE(run.bounced);
    RecordProperty("gems_taken", run.gems_taken);
    if (data.gem_count > 0) {
        // The pilot is greedy and does not find its way through every cave;
        // it must get its rope on the rock, swing and reach gems.
        EXPECT_TRUE(run.caught);
        EXPECT_GT(run.swing, 0.1f);
        EXPECT_GE(run.gems_taken, 1);
        EXPECT_EQ(run.score_gained, 100 * run.gems_taken);
        if (GetParam().cleared) {
            EXPECT_EQ(run.gems_taken, data.gem_count);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, ScriptedLevelRun,
                         ::testing::Values(RunLevel{"title", &title_level, false},
                                           RunLevel{"level1", &level_table[0], true},
                                           RunLevel{"level2", &level_table[1], true},
                                           RunLevel{"level3", &level_table[2], false},
                                           RunLevel{"level4", &level_table[3], false},
                                           RunLevel{"level5", &level_table[4], false}),
                         [](const ::testing::TestParamInfo<RunLevel>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
