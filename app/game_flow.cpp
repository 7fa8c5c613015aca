// The game-flow state machine: which level is loaded, how the body is
// stepped, the level clock, the time bonus, the zooms and the event sounds.
#include "app/game_flow.h"

#include <math.h>

#include "app/globals.h"
#include "content/levels.h"
#include "physics/ball.h"
#include "physics/level.h"
#include "sound/programs.h"
#include "sound/synth.h"

namespace {

constexpr float zoom_seconds = 1.0f;       // length of a zoom-in and of a zoom-out
constexpr float game_over_seconds = 4.0f;  // "game over" blinks this long
constexpr float extra_shrink = 0.85f;      // each later level adds this much less
constexpr int32_t points_per_second = 10;  // time bonus per whole second left

// Falls from about 172.9 at the start of the zoom-in to 1 at its end.
float zoom_in_factor(float state_time) {
    // The cosine comes from cosf; the exponent is formed in double, where
    // 1 - c is exact for every f32 c.
    const double c = static_cast<double>(cosf((1.0f - state_time) * 1.5f));
    return static_cast<float>(pow(2.0, (1.0 - c) * 8.0));
}

// Rises from 1 at the start of the zoom-out to about 45.8 after one second.
float zoom_out_factor(float state_time) {
    const double c = static_cast<double>(cosf(state_time));
    return static_cast<float>(pow(2.0, (1.0 - c) * 1.5 * 8.0));
}

void enter_level(const LevelData* data, LevelState& level, Ball& ball) {
    level.load(data);
    ball.reset(level);
}

void step_enter_title(GameFlow& f, LevelState& level, Ball& ball) {
    f.state = ZoomIn;
    f.next_state = Attract;
    f.state_time = 0.0f;
    enter_level(&title_level, level, ball);
    play_sound(snd_level_start, 1.0f, false);
}

void step_zoom_in(GameFlow& f, ControlInput& input, Ball& ball) {
    // Nothing moves, but the controls are read: a press here already fires.
    ball.update(0.0f, input);
    if (f.state_time >= zoom_seconds) {
        f.zoom = 1.0f;
        // state_time carries on into the next state, so the attract blink
        // continues from the zoom-in.
        f.state = f.next_state;
    } else {
        f.zoom = zoom_in_factor(f.state_time);
    }
}

void step_playing(GameFlow& f, float dt, ControlInput& input, LevelState& level, Ball& ball) {
    if (!f.paused) ball.update(dt, input);
    if (level.gems_remaining() == 0) {
        // Ten points per whole second left; the clock itself carries over.
        score += points_per_second * static_cast<int32_t>(f.time_left);
        f.state = ZoomOut;
        f.next_state = ZoomIn;
        f.state_time = 0.0f;
        f.paused = false;
        return;
    }
    // The pause stops the body, not the clock.
    f.time_left -= dt;
    if (f.time_left < 0.0f) {
        f.time_left = 0.0f;
        f.state = GameOver;
        f.state_time = 0.0f;
        play_sound(snd_time_up, 1.0f, true);
        f.paused = false;
    }
}

void step_zoom_out(GameFlow& f, float dt, ControlInput& input, LevelState& level, Ball& ball) {
    input.frozen = 1;
    ball.update(dt, input);
    f.zoom = zoom_out_factor(f.state_time);
    if (f.state_time > zoom_seconds) {
        f.level_index += 1;
        if (f.level_index >= level_count) f.level_index = 0;
        // Loaded whatever comes next; NewGame and EnterTitle load their own
        // level on the next frame, so this one is seen for one frame only.
        enter_level(&level_table[f.level_index], level, ball);
        f.state = f.next_state;
        if (f.next_state == ZoomIn) {
            play_sound(snd_level_start, 1.0f, false);
            f.next_state = Playing;
            f.time_left += f.extra_time;
            f.extra_time = f.extra_time * extra_shrink;
        }
        f.state_time = 0.0f;
    }
}

void step_game_over(GameFlow& f, float dt, ControlInput& input, Ball& ball) {
    input.frozen = 1;
    ball.update(dt, input);
    if (f.state_time > game_over_seconds) {
        f.state = ZoomOut;
        f.next_state = EnterTitle;
        f.state_time = 0.0f;
    }
}

void step_attract(GameFlow& f, float dt, ControlInput& input, Ball& ball) {
    input.frozen = 1;
    ball.update(dt, input);
    if (input.pressed == 1) {
        play_sound(snd_gem, 1.0f, true);
        f.state = ZoomOut;
        f.next_state = NewGame;
        f.state_time = 0.0f;
    }
}

void step_new_game(GameFlow& f, LevelState& level, Ball& ball) {
    play_sound(snd_level_start, 1.0f, false);
    f.state = ZoomIn;
    f.next_state = Playing;
    f.time_left = game_seconds;
    f.extra_time = first_extra_seconds;
    f.level_index = 0;
    enter_level(&level_table[0], level, ball);
    f.state_time = 0.0f;
    score = 0;
}

}  // namespace

void game_flow_step(GameFlow& flow, float dt, ControlInput& input,
                    LevelState& level, Ball& ball) {
    switch (flow.state) {
        case EnterTitle: step_enter_title(flow, level, ball); break;
        case ZoomIn: step_zoom_in(flow, input, ball); break;
        case Playing: step_playing(flow, dt, input, level, ball); break;
        case ZoomOut: step_zoom_out(flow, dt, input, level, ball); break;
        case GameOver: step_game_over(flow, dt, input, ball); break;
        case Attract: step_attract(flow, dt, input, ball); break;
        case NewGame: step_new_game(flow, level, ball); break;
    }
    if (score > hi_score) hi_score = score;
}
