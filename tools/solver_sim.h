// The game as the level solver and the replay check drive it: the real game
// flow, level state and body stepped at a fixed 1/60 s, per-frame controls,
// snapshots for the search and the input file format.
#pragma once

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/game_run.h"
#include "app/state_hash.h"
#include "content/levels.h"
#include "physics/score.h"

namespace solver {

// The solver's fixed time step, seconds: one frame of a 60 Hz display.
constexpr float frame_dt = 1.0f / 60.0f;

// The most gems any level record holds; snapshots keep this many flags.
constexpr int32_t max_gems = 16;

// What the player does in one frame, as the loop would hand it over.
struct FrameInput {
    float aim_x = 0.0f;  // aim input, any length; (0, 0) keeps the body's aim
    float aim_y = 0.0f;
    uint8_t pressed = 0;  // fire went down this frame
    uint8_t held = 0;     // fire is down
};

// Everything a frame can change, copied out so the search can go back to it.
// LevelState owns its gem flags and cannot be copied, so they are kept here.
struct Snapshot {
    GameFlow flow;
    Ball ball;
    uint8_t gem_present[max_gems];
    int32_t gems_left;
    int32_t score;
    int32_t hi_score;
};

// One game as the entry point holds it, stepped the way the loop steps it.
struct Sim : GameRun {
    Sim() = default;
    Sim(const Sim&) = delete;
    Sim& operator=(const Sim&) = delete;

    // Level `index` (0-based) in play from its start, 60 s on the clock, at
    // the moment its zoom-in hands over; scores at 0.
    void start_level(int32_t index) {
        flow = GameFlow();
        flow.state = Playing;
        flow.next_state = Playing;
        flow.state_time = 1.0f;
        flow.level_index = index;
        score = 0;
        hi_score = 0;
        level.load(&level_table[index]);
        ball.reset(level);
    }

    // One pass of the frame loop with this frame's controls.
    void step(const FrameInput& in, float dt = frame_dt) {
        run_frame(
            *this, dt,
            [&](ControlInput& input, GameFlow&) {
                input.aim = Vec2(in.aim_x, in.aim_y);
                input.pressed = in.pressed;
                input.held = in.held;
            },
            no_drawing);
    }

    bool finished() const { return flow.state == ZoomOut && flow.next_state == ZoomIn; }
    bool timed_out() const { return flow.state == GameOver; }

    void save(Snapshot& s) const {
        s.flow = flow;
        s.ball = ball;
        std::memcpy(s.gem_present, level.gem_present, static_cast<size_t>(level.data->gem_count));
        s.gems_left = level.gems_left;
        s.score = score;
        s.hi_score = hi_score;
    }
    // The level record must be the one in play when the snapshot was taken.
    void restore(const Snapshot& s) {
        flow = s.flow;
        ball = s.ball;
        ball.level = &level;
        std::memcpy(level.gem_present, s.gem_present, static_cast<size_t>(level.data->gem_count));
        level.gems_left = s.gems_left;
        score = s.score;
        hi_score = s.hi_score;
    }
};

// Input files: '#' comment lines, then one frame per line as
// "aim_x aim_y pressed held", the aims printed so that they read back exactly.
inline bool write_inputs(const std::string& path, int32_t level_number,
                         const std::vector<FrameInput>& frames, std::string& error) {
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    std::fprintf(f, "# grapnel inputs: level %d, one frame of 1/60 s per line\n", level_number);
    std::fprintf(f, "# aim_x aim_y pressed held\n");
    for (const FrameInput& in : frames) {
        std::fprintf(f, "%.9g %.9g %d %d\n", static_cast<double>(in.aim_x),
                     static_cast<double>(in.aim_y), in.pressed, in.held);
    }
    const bool ok = std::fflush(f) == 0 && !std::ferror(f);
    if (std::fclose(f) != 0 || !ok) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

namespace detail {
inline bool parse_flag(const char* token, uint8_t& out) {
    if (std::strcmp(token, "0") == 0) {
        out = 0;
        return true;
    }
    if (std::strcmp(token, "1") == 0) {
        out = 1;
        return true;
    }
    return false;
}
inline bool parse_aim(const char* token, float& out) {
    char* end = nullptr;
    errno = 0;
    out = std::strtof(token, &end);
    return end != token && *end == '\0' && errno == 0 && std::isfinite(out);
}
}  // namespace detail

// Reads a file written by write_inputs; refuses anything else with the line
// that is wrong.
inline bool read_inputs(const std::string& path, std::vector<FrameInput>& frames,
                        std::string& error) {
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) {
        error = "cannot read " + path + ": " + std::strerror(errno);
        return false;
    }
    frames.clear();
    char line[256];
    int line_number = 0;
    bool ok = true;
    while (ok && std::fgets(line, sizeof line, f)) {
        ++line_number;
        const std::string where = path + ":" + std::to_string(line_number) + ": ";
        if (std::strchr(line, '\n') == nullptr && !std::feof(f)) {
            error = where + "line too long";
            ok = false;
            break;
        }
        if (line[0] == '#') continue;
        char* tokens[5] = {};
        int count = 0;
        for (char* t = std::strtok(line, " \t\r\n"); t; t = std::strtok(nullptr, " \t\r\n")) {
            if (count < 5) tokens[count] = t;
            ++count;
        }
        if (count == 0) continue;
        FrameInput in;
        if (count != 4) {
            error = where + "expected 4 fields (aim_x aim_y pressed held), found " +
                    std::to_string(count);
            ok = false;
        } else if (!detail::parse_aim(tokens[0], in.aim_x) ||
                   !detail::parse_aim(tokens[1], in.aim_y)) {
            error = where + "aim is not a finite number";
            ok = false;
        } else if (!detail::parse_flag(tokens[2], in.pressed) ||
                   !detail::parse_flag(tokens[3], in.held)) {
            error = where + "pressed and held must be 0 or 1";
            ok = false;
        } else {
            frames.push_back(in);
        }
    }
    if (ok && std::ferror(f)) {
        error = "cannot read " + path;
        ok = false;
    }
    std::fclose(f);
    return ok;
}

// Plays the frames on level `index` from its start and stops early once the
// level is finished or the clock has run out.
struct ReplayResult {
    bool finished;
    int32_t frames_played;
    float time_used;  // seconds taken off the 60 s clock
    uint64_t hash;    // of the state after the last frame played
};

inline ReplayResult replay(Sim& sim, int32_t index, const std::vector<FrameInput>& frames) {
    sim.start_level(index);
    int32_t played = 0;
    for (const FrameInput& in : frames) {
        if (sim.finished() || sim.timed_out()) break;
        sim.step(in);
        ++played;
    }
    return {sim.finished(), played, game_seconds - sim.flow.time_left, state_hash(sim)};
}

}  // namespace solver
