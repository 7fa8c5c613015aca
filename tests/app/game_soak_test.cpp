// Soak of the whole game without a window: many games from the title through
// new games, levels, game over and back, with random controls fed as SDL
// events, random time steps and stalls, and the tick counter's 32-bit wrap
// fed through the real frame pacing. Every frame is checked: no NaN anywhere,
// the body in its cave, the gem count in range, the hi score never falling
// and the state machine only in states and steps that can occur.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>

#include "app/events.h"
#include "app/game_run.h"
#include "app/globals.h"
#include "app/pacing.h"
#include "physics/level.h"
#include "content/levels.h"
#include "physics/ball.h"
#include "tests/physics/cave.h"

namespace {

// Frames per run; runs with an odd seed also take gems through the level
// state's own fields so that the soak sees level after level.
constexpr int frames_per_run = 50000;
constexpr int run_count = 6;
constexpr int32_t soak_screen_width = 640;   // pixels
constexpr int32_t soak_screen_height = 480;  // pixels
// Stalls longer than this (seconds) are the only steps allowed above it.
constexpr float longest_paced_step = 1.0f;

bool finite(float v) { return std::isfinite(v); }
bool finite(Vec2 v) { return std::isfinite(v.x) && std::isfinite(v.y); }

// The (state, next_state) pairs the game flow can be in between frames.
const std::set<std::pair<GameState, GameState>>& legal_pairs() {
    static const std::set<std::pair<GameState, GameState>> pairs = {
        {EnterTitle, Attract},  {EnterTitle, EnterTitle}, {ZoomIn, Attract},
        {ZoomIn, Playing},      {Attract, Attract},       {ZoomOut, ZoomIn},
        {ZoomOut, NewGame},     {ZoomOut, EnterTitle},    {NewGame, NewGame},
        {Playing, Playing},     {GameOver, Playing},
    };
    return pairs;
}

// The steps from one frame's state to the next.
bool legal_step(GameState from, GameState to) {
    if (from == to) return from != EnterTitle && from != NewGame;  // one-frame states
    static const std::set<std::pair<GameState, GameState>> steps = {
        {EnterTitle, ZoomIn}, {NewGame, ZoomIn},   {ZoomIn, Attract},   {ZoomIn, Playing},
        {Attract, ZoomOut},   {Playing, ZoomOut},  {Playing, GameOver}, {GameOver, ZoomOut},
        {ZoomOut, ZoomIn},    {ZoomOut, NewGame},  {ZoomOut, EnterTitle},
    };
    return steps.count({from, to}) != 0;
}

struct SoakCounts {
    long frames = 0;
    int games = 0;          // new games begun
    int games_over = 0;     // clocks that ran out
    int levels_finished = 0;
    int stalls = 0;
    int pauses = 0;
    int wraps = 0;          // frames whose pacing crossed the tick counter's wrap
};

class GameSoak {
public:
    GameSoak(uint32_t seed, bool take_gems) : rng(seed), collector(take_gems) {
        for (const LevelData* d : {&title_level, &level_table[0], &level_table[1], &level_table[2],
                                   &level_table[3], &level_table[4]}) {
            caves.emplace(d, CaveCheck(*d));
        }
        // A tick counter a few seconds short of its wrap.
        ticks = 0xFFFFFFFFu - static_cast<uint32_t>(pick(0, 5000));
        last_ticks = ticks;
        loop.pointer = Vec2(soak_screen_width / 2, soak_screen_height / 2);
    }

    // Plays frames; stops at the first broken rule and says what broke.
    void run(int frames, SoakCounts& counts) {
        for (int i = 0; i < frames; ++i) {
            const GameState before = flow.state;
            const int32_t hi_before = hi_score;
            frame(counts);
            ++counts.frames;
            if (flow.state != before) {
                if (flow.state == NewGame) {
                    ++counts.games;
                    // Every game on a machine whose tick counter is about to wrap.
                    ticks = 0xFFFFFFFFu - static_cast<uint32_t>(pick(0, 3000));
                    last_ticks = ticks;
                }
                if (flow.state == GameOver) ++counts.games_over;
                if (before == Playing && flow.state == ZoomOut) ++counts.levels_finished;
            }
            const std::string broken = check(before, hi_before);
            if (!broken.empty()) {
                ADD_FAILURE() << "frame " << counts.frames << " (state " << before << " -> "
                              << flow.state << ", level " << flow.level_index << "): " << broken;
                return;
            }
        }
    }

private:
    int pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng); }

    float next_dt(SoakCounts& counts) {
        const int kind = pick(0, 99);
        if (kind < 8) return 0.0f;
        if (kind < 20) return 1.0f / 120.0f;
        if (kind < 35) return 1.0f / 60.0f;
        if (kind < 40) return 0.1f;
        // The rest goes through the pacing on the tick counter: the game's
        // own wait, a millisecond at a time, or a stall of several seconds.
        uint32_t step = static_cast<uint32_t>(pick(1, 40));
        if (kind < 42) {
            step = static_cast<uint32_t>(pick(2000, 9000));
            ++counts.stalls;
        }
        const uint32_t start = ticks;
        ticks += step;
        float dt = 0.0f;
        while (!frame_ready(ticks, last_ticks, dt)) ticks += 1;
        if (ticks < start) ++counts.wraps;
        paced_gap_ms = ticks - start;
        return dt;
    }

    void send(const SDL_Event& e) { handle_event(e, input, loop, flow); }
    void key(SDL_EventType type, SDLKey sym) {
        SDL_Event e{};
        e.type = static_cast<Uint8>(type);
        e.key.keysym.sym = sym;
        send(e);
    }
    void button(SDL_EventType type) {
        SDL_Event e{};
        e.type = static_cast<Uint8>(type);
        e.button.button = static_cast<Uint8>(pick(1, 5));
        send(e);
    }

    // A restless player: moves the mouse, clicks, holds space, lets go,
    // sometimes presses and releases within one frame, sometimes pauses.
    void random_events(SoakCounts& counts) {
        if (chance(0.3)) {
            SDL_Event e{};
            e.type = SDL_MOUSEMOTION;
            e.motion.x = static_cast<Uint16>(pick(0, soak_screen_width - 1));
            e.motion.y = static_cast<Uint16>(pick(0, soak_screen_height - 1));
            send(e);
        }
        const bool attract = flow.state == Attract;
        if (input.held == 0 && chance(attract ? 0.02 : 0.08)) {
            if (chance(0.5)) key(SDL_KEYDOWN, SDLK_SPACE); else button(SDL_MOUSEBUTTONDOWN);
            if (chance(0.1)) button(SDL_MOUSEBUTTONUP);  // tapped within the frame
        } else if (input.held == 1 && chance(0.03)) {
            if (chance(0.5)) key(SDL_KEYUP, SDLK_SPACE); else button(SDL_MOUSEBUTTONUP);
        }
        if (chance(0.004)) {
            const bool was = flow.paused;
            key(SDL_KEYDOWN, SDLK_p);
            key(SDL_KEYUP, SDLK_p);
            if (!was && flow.paused) ++counts.pauses;
        }
    }

    // Takes a gem the way the pickup does, through the level state's fields.
    void take_a_gem() {
        for (int32_t g = 0; g < level.data->gem_count; ++g) {
            if (level.gem_present[g]) {
                level.gem_present[g] = 0;
                level.gems_left -= 1;
                score += 100;
                return;
            }
        }
    }

    void frame(SoakCounts& counts) {
        paced_gap_ms = 0;
        const float dt = next_dt(counts);
        frame_dt = dt;
        run_frame(game, dt,
                  [&](ControlInput& in, GameFlow&) {
                      random_events(counts);
                      in.aim = pointer_aim(loop.pointer, soak_screen_width, soak_screen_height);
                      if (collector && flow.state == Playing && chance(0.01)) take_a_gem();
                  },
                  no_drawing);
    }

    std::string check(GameState before, int32_t hi_before) const {
        char msg[256];
        if (!legal_pairs().count({flow.state, flow.next_state})) {
            std::snprintf(msg, sizeof msg, "state %d with next_state %d", flow.state, flow.next_state);
            return msg;
        }
        if (!legal_step(before, flow.state)) {
            std::snprintf(msg, sizeof msg, "step from state %d to %d", before, flow.state);
            return msg;
        }
        if (flow.paused && flow.state != Playing) return "paused outside Playing";
        if (flow.level_index < 0 || flow.level_index >= level_count) return "level_index out of range";
        if (!finite(ball.pos) || !finite(ball.vel) || !finite(ball.aim) || !finite(ball.hook_pos) ||
            !finite(ball.hook_vel) || !finite(ball.rope_len)) {
            std::snprintf(msg, sizeof msg, "body not finite: pos (%g, %g) vel (%g, %g) hook (%g, %g)",
                          ball.pos.x, ball.pos.y, ball.vel.x, ball.vel.y, ball.hook_pos.x, ball.hook_pos.y);
            return msg;
        }
        if (!finite(flow.state_time) || !finite(flow.zoom) || !finite(flow.time_left) ||
            !finite(flow.extra_time)) {
            return "game-flow value not finite";
        }
        if (flow.zoom < 1.0f) return "zoom below 1";
        if (flow.time_left < 0.0f) return "clock below 0";
        if (ball.level != &level) return "body points at another level state";
        const auto cave = caves.find(level.data);
        if (cave == caves.end()) return "level state holds no level record";
        if (!cave->second.holds(ball.pos)) {
            std::snprintf(msg, sizeof msg, "body at (%.4f, %.4f) out of its cave after dt %g",
                          ball.pos.x, ball.pos.y, frame_dt);
            return msg;
        }
        int32_t present = 0;
        for (int32_t g = 0; g < level.data->gem_count; ++g) present += level.gem_present[g] ? 1 : 0;
        if (level.gems_left < 0 || level.gems_left > level.data->gem_count || level.gems_left != present) {
            std::snprintf(msg, sizeof msg, "gems_left %d with %d of %d gems present", level.gems_left,
                          present, level.data->gem_count);
            return msg;
        }
        if (hi_score < hi_before) return "hi_score fell";
        if (hi_score < score) return "hi_score below score";
        // The pacing's step is the true gap, also across the wrap.
        if (paced_gap_ms != 0 && std::fabs(frame_dt - paced_gap_ms / 1000.0f) > 1e-6f) {
            std::snprintf(msg, sizeof msg, "paced dt %g for a gap of %u ms", frame_dt, paced_gap_ms);
            return msg;
        }
        if (paced_gap_ms != 0 && paced_gap_ms < 2000 && frame_dt > longest_paced_step) {
            return "paced step far longer than its gap";
        }
        return "";
    }

    std::mt19937 rng;
    bool collector;
    std::map<const LevelData*, CaveCheck> caves;
    GameRun game;
    GameFlow& flow = game.flow;
    LevelState& level = game.level;
    Ball& ball = game.ball;
    ControlInput& input = game.input;
    LoopState loop;
    uint32_t ticks;
    uint32_t last_ticks;
    uint32_t paced_gap_ms = 0;
    float frame_dt = 0.0f;
};

TEST(GameSoak, ManyGamesWithRandomControlsAndTimeStepsKeepEveryRule) {
    score = 0;
    hi_score = 0;
    SoakCounts played;     // runs with random controls only
    SoakCounts collected;  // runs that also take gems through the level state's fields
    for (uint32_t seed = 1; seed <= run_count; ++seed) {
        const bool take_gems = seed % 2 == 1;
        GameSoak soak(seed, take_gems);
        soak.run(frames_per_run, take_gems ? collected : played);
        if (HasFailure()) break;
    }
    for (const auto& [name, c] : {std::pair<const char*, const SoakCounts&>{"random play", played},
                                  {"gems taken by the soak", collected}}) {
        std::printf("%s: %ld frames, %d games begun, %d clocks ran out, %d levels finished, "
                    "%d stalls, %d pauses, %d frames paced across the tick wrap\n",
                    name, c.frames, c.games, c.games_over, c.levels_finished, c.stalls, c.pauses,
                    c.wraps);
    }
    // The soak is only worth its time if it went round the whole cycle.
    EXPECT_GT(played.games_over, 3);
    EXPECT_GT(collected.levels_finished, 10);
    EXPECT_GT(played.wraps + collected.wraps, 0);
    EXPECT_GT(played.stalls + collected.stalls, 0);
}

}  // namespace
