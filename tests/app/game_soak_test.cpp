// Whole games through the frame step with a restless player whose controls
// arrive as SDL events and whose frames come from the pacing on a tick
// counter about to wrap, with stalls of seconds: every frame keeps the
// game's rules.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <utility>

#include "app/events.h"
#include "app/game_run.h"
#include "app/pacing.h"
#include "content/levels.h"
#include "physics/score.h"
#include "tests/physics/cave.h"

namespace {

constexpr int32_t soak_width = 640;   // pixels
constexpr int32_t soak_height = 480;  // pixels

bool finite(Vec2 v) { return std::isfinite(v.x) && std::isfinite(v.y); }

// The state a frame may go to from each state, and the next_state each may hold.
const std::set<std::pair<GameState, GameState>> legal_steps = {
    {EnterTitle, ZoomIn}, {NewGame, ZoomIn},    {ZoomIn, Attract},   {ZoomIn, Playing},
    {Attract, ZoomOut},   {Playing, ZoomOut},   {Playing, GameOver}, {GameOver, ZoomOut},
    {ZoomOut, ZoomIn},    {ZoomOut, NewGame},   {ZoomOut, EnterTitle},
    {ZoomIn, ZoomIn},     {Attract, Attract},   {Playing, Playing},  {GameOver, GameOver},
    {ZoomOut, ZoomOut},
};
const std::set<std::pair<GameState, GameState>> legal_pairs = {
    {EnterTitle, Attract}, {EnterTitle, EnterTitle}, {ZoomIn, Attract}, {ZoomIn, Playing},
    {Attract, Attract},    {ZoomOut, ZoomIn},        {ZoomOut, NewGame}, {ZoomOut, EnterTitle},
    {NewGame, NewGame},    {Playing, Playing},       {GameOver, Playing},
};

struct Counts {
    int games = 0, games_over = 0, levels_finished = 0, stalls = 0, pauses = 0, wraps = 0;
};

class Soak {
public:
    Soak(uint32_t seed, bool take_gems) : rng(seed), collector(take_gems) {
        caves.emplace(&title_level, CaveCheck(title_level));
        for (int32_t i = 0; i < level_count; ++i) caves.emplace(&level_table[i], CaveCheck(level_table[i]));
        rewind_ticks();
        loop.pointer = Vec2(soak_width / 2, soak_height / 2);
    }

    // Plays frames; stops at the first broken rule and says what broke.
    void play(int frames, Counts& counts) {
        for (int i = 0; i < frames; ++i) {
            const GameState before = run.flow.state;
            const int32_t hi_before = hi_score;
            run_frame(run, next_dt(counts), [&](ControlInput& input, GameFlow& flow) {
                random_events(input, flow, counts);
                input.aim = pointer_aim(loop.pointer, soak_width, soak_height);
                if (collector && flow.state == Playing && chance(0.01)) take_a_gem();
            }, no_drawing);
            const GameState now = run.flow.state;
            if (now == NewGame) rewind_ticks();  // every game on a counter about to wrap
            counts.games += now == NewGame && before != NewGame;
            counts.games_over += now == GameOver && before == Playing;
            counts.levels_finished += before == Playing && now == ZoomOut;
            const std::string broken = check(before, hi_before);
            if (!broken.empty()) {
                ADD_FAILURE() << "frame " << i << " (state " << before << " -> " << now << ", level "
                              << run.flow.level_index << ", dt " << dt << "): " << broken;
                return;
            }
        }
    }

private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng); }
    void rewind_ticks() { last_ticks = ticks = 0xFFFFFFFFu - static_cast<uint32_t>(pick(0, 3000)); }

    // Zero, display-rate and long steps, or the game's own pacing a
    // millisecond at a time, now and then after a stall of seconds.
    float next_dt(Counts& counts) {
        gap_ms = 0;
        const int kind = pick(0, 99);
        if (kind < 8) return dt = 0.0f;
        if (kind < 20) return dt = 1.0f / 120;
        if (kind < 35) return dt = 1.0f / 60;
        if (kind < 40) return dt = 0.1f;
        const uint32_t start = ticks;
        ticks += kind < 42 ? static_cast<uint32_t>(pick(2000, 9000)) : static_cast<uint32_t>(pick(1, 40));
        counts.stalls += kind < 42;
        while (!frame_ready(ticks, last_ticks, dt)) ticks += 1;
        counts.wraps += ticks < start;
        gap_ms = ticks - start;
        return dt;
    }

    void send(Uint8 type, SDLKey key = SDLK_UNKNOWN) {
        SDL_Event e{};
        e.type = type;
        e.key.keysym.sym = key;
        if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP) e.button.button = static_cast<Uint8>(pick(1, 5));
        if (type == SDL_MOUSEMOTION) {
            e.motion.x = static_cast<Uint16>(pick(0, soak_width - 1));
            e.motion.y = static_cast<Uint16>(pick(0, soak_height - 1));
        }
        handle_event(e, run.input, loop, run.flow);
    }

    // Moves the mouse, clicks, holds space, lets go, sometimes presses and
    // releases within one frame, sometimes pauses.
    void random_events(ControlInput& input, GameFlow& flow, Counts& counts) {
        if (chance(0.3)) send(SDL_MOUSEMOTION);
        if (input.held == 0 && chance(flow.state == Attract ? 0.02 : 0.08)) {
            chance(0.5) ? send(SDL_KEYDOWN, SDLK_SPACE) : send(SDL_MOUSEBUTTONDOWN);
            if (chance(0.1)) send(SDL_MOUSEBUTTONUP);
        } else if (input.held == 1 && chance(0.03)) {
            chance(0.5) ? send(SDL_KEYUP, SDLK_SPACE) : send(SDL_MOUSEBUTTONUP);
        }
        if (chance(0.004)) {
            const bool was = flow.paused;
            send(SDL_KEYDOWN, SDLK_p);
            send(SDL_KEYUP, SDLK_p);
            counts.pauses += !was && flow.paused;
        }
    }

    // Takes a gem the way the pickup does, through the level state's fields.
    void take_a_gem() {
        for (int32_t g = 0; g < run.level.data->gem_count; ++g) {
            if (!run.level.gem_present[g]) continue;
            run.level.gem_present[g] = 0;
            run.level.gems_left -= 1;
            score += 100;
            return;
        }
    }

    std::string check(GameState before, int32_t hi_before) const {
        const GameFlow& flow = run.flow;
        const Ball& ball = run.ball;
        const LevelState& level = run.level;
        std::ostringstream broken;
        if (!legal_pairs.count({flow.state, flow.next_state}))
            broken << "state " << flow.state << " with next_state " << flow.next_state;
        else if (!legal_steps.count({before, flow.state}))
            broken << "step from state " << before << " to " << flow.state;
        else if (flow.paused && flow.state != Playing)
            broken << "paused outside Playing";
        else if (!finite(ball.pos) || !finite(ball.vel) || !finite(ball.aim) || !finite(ball.hook_pos) ||
                 !finite(ball.hook_vel) || !std::isfinite(ball.rope_len))
            broken << "body not finite at (" << ball.pos.x << ", " << ball.pos.y << ")";
        else if (!std::isfinite(flow.state_time) || !(flow.zoom >= 1.0f) || !(flow.time_left >= 0.0f) ||
                 !std::isfinite(flow.extra_time))
            broken << "flow value out of range: zoom " << flow.zoom << " clock " << flow.time_left;
        else if (ball.level != &level || !caves.count(level.data))
            broken << "body or level state points at no known level";
        else if (!caves.at(level.data).holds(ball.pos))
            broken << "body at (" << ball.pos.x << ", " << ball.pos.y << ") out of its cave";
        else if (hi_score < hi_before || hi_score < score)
            broken << "hi_score " << hi_score << " fell or lies below score " << score;
        else if (gap_ms != 0 && std::fabs(dt - gap_ms / 1000.0f) > 1e-6f)
            broken << "paced dt " << dt << " for a gap of " << gap_ms << " ms";
        int32_t present = 0;
        for (int32_t g = 0; g < level.data->gem_count; ++g) present += level.gem_present[g] ? 1 : 0;
        if (level.gems_left != present) broken << " gems_left " << level.gems_left << " with " << present << " present";
        return broken.str();
    }

    std::mt19937 rng;
    bool collector;
    std::map<const LevelData*, CaveCheck> caves;
    GameRun run;
    LoopState loop;
    uint32_t ticks = 0, last_ticks = 0, gap_ms = 0;
    float dt = 0.0f;
};

// Runs with an odd seed also take gems, so that the soak sees level after
// level; random play alone never finishes one.
TEST(GameSoak, ManyGamesWithRandomControlsAndTimeStepsKeepEveryRule) {
    score = 0;
    hi_score = 0;
    Counts played, collected;
    for (uint32_t seed = 1; seed <= 6 && !HasFailure(); ++seed) {
        Soak(seed, seed % 2 == 1).play(50000, seed % 2 == 1 ? collected : played);
    }
    for (const Counts& c : {played, collected}) {
        std::printf("%d games, %d clocks ran out, %d levels finished, %d stalls, %d pauses, %d wraps\n",
                    c.games, c.games_over, c.levels_finished, c.stalls, c.pauses, c.wraps);
    }
    // Only worth its time if it went round the whole cycle.
    EXPECT_GT(played.games_over, 3);
    EXPECT_GT(collected.levels_finished, 10);
    EXPECT_GT(played.wraps + collected.wraps, 0);
    EXPECT_GT(played.stalls + collected.stalls + played.pauses, 0);
}

}  // namespace
