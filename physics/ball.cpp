// The body: construction, reset at a level's start, and the frame update with
// aim, gravity, the rope's state machine, the swept move and the gem pickup.
#include "physics/ball.h"

#include <math.h>

#include "physics/level.h"
#include "sound/programs.h"
#include "sound/synth.h"

namespace {

constexpr float gravity = 1.5f;             // units per second squared, along +y
constexpr float hook_speed = 8.0f;          // units per second along a unit aim
constexpr float max_flying_length = 2.2f;   // units: a flying hook farther away is lost
constexpr float rope_rest_length = 0.5f;    // units: slack below which nothing pulls
constexpr float rope_damping = 20.0f;       // pull per unit of speed away from the hook
constexpr float rope_constant_pull = 4.0f;  // units per second squared, with the damping
constexpr float rope_spring = 3.0f;         // pull per unit of length beyond the rest length
constexpr float rope_step_limit = 0.1f;     // seconds: longest step the pull takes whole
// Seconds: the longest frame the body lives through. Four frames a second is
// far below any playable rate; a longer frame is a stall (a busy machine, a
// suspend), and the body sits out the rest of it.
constexpr float max_body_step = 0.25f;

inline bool is_finite(Vec2 v) { return isfinite(v.x) && isfinite(v.y); }

// The damped one-sided spring of an attached, held rope; body is the
// tentative position of this frame.
void pull_rope(Ball& ball, Vec2 body, float dt) {
    const Vec2 r = ball.hook_pos - body;
    const float d = length(r);
    const Vec2 toward = normalize(r);
    // The centre on the anchor itself: no direction to pull in this frame.
    if (!is_finite(toward)) return;
    // The pull is one explicit step of a stiff damped spring, measured from
    // a tentative position that is itself a whole step ahead. Over a long
    // step it multiplies the body's speed instead of damping it (by about
    // 1 - 20 dt from the damping and 1 - 3 dt^2 from the spring), so a few
    // stalls of some seconds with the rope held drive the velocity to
    // infinity and on to NaN. Steps up to 0.1 s take the pull whole; longer
    // ones take it over the step h with (20 + 3 dt) h = 2, which at most
    // reverses the speed.
    const float h = dt > rope_step_limit ? 2.0f / (rope_damping + rope_spring * dt) : dt;
    const float away = -dot(toward, ball.vel);
    float pull = 0.0f;
    if (away > 0.0f && d > ball.rope_len) pull = away * rope_damping + rope_constant_pull;
    if (d > rope_rest_length) pull = pull + (d - rope_rest_length) * rope_spring;
    ball.vel = ball.vel + toward * (pull * h);
}

// One branch of the rope's state machine, chosen by the state on entry.
void step_rope(Ball& ball, Vec2 body, float dt, const ControlInput& input) {
    switch (ball.rope_state) {
        case Idle:
            if (input.pressed == 1) {
                ball.hook_pos = body + ball.aim * body_radius;
                ball.hook_vel = ball.aim;
                play_sound(snd_rope_fire, 1.0f, false);
                ball.rope_state = Flying;
            }
            break;
        case Flying: {
            const Vec2 prev = ball.hook_pos;
            ball.hook_pos = ball.hook_pos + ball.hook_vel * (dt * hook_speed);
            Vec2 hit;
            if (length(ball.hook_pos - body) > max_flying_length || input.held != 1) {
                ball.rope_state = Idle;
            } else if (ball.level->path_hit(Segment(prev, ball.hook_pos), hit)) {
                ball.hook_pos = hit;
                ball.rope_len = rope_rest_length;
                play_sound(snd_rope_catch, 1.0f, false);
                ball.rope_state = Attached;
            }
            break;
        }
        case Attached:
            if (input.held != 1) {
                ball.rope_state = Idle;
            } else {
                pull_rope(ball, body, dt);
            }
            break;
    }
}

}  // namespace

// Straight up: unit length like every later aim, so a hook fired before any
// aiming flies toward the ceiling and never starts at the body's centre.
Ball::Ball()
    : pos(0.0f, 0.0f),
      vel(0.0f, 0.0f),
      aim(0.0f, -1.0f),
      hook_vel(0.0f, -1.0f),
      hook_pos(0.0f, 0.0f),
      rope_len(rope_rest_length),
      level(nullptr),
      rope_state(Idle) {}

void Ball::reset(LevelState& level_state) {
    level = &level_state;
    pos = level_state.data->start;
    vel.zero();
    rope_state = Idle;
}

void Ball::update(float frame_dt, const ControlInput& input) {
    // Gravity for the whole frame goes into the velocity before the move, so
    // a body resting on the ground is driven into it by g dt^2 and bounces
    // back up with half the speed g dt over the rest of the frame: after a
    // stall of six seconds it leaps some thirty units, and on the title
    // level's open ground it can come down beyond the ground's end and fall
    // for ever. Longer frames are cut to the longest step.
    const float dt = frame_dt > max_body_step ? max_body_step : frame_dt;
    if (length(input.aim) > 0.0f) aim = normalize(input.aim);
    const Vec2 saved = pos;
    vel.y = vel.y + dt * gravity;
    pos = pos + vel * dt;
    if (input.frozen != 1) step_rope(*this, pos, dt, input);
    pos = saved;
    move(1.0f, 4, dt);
    if (input.frozen != 1) level->collect_gems(pos);
}

Vec2 rope_line_start(const Ball& ball) {
    const Vec2 u = normalize(ball.hook_pos - ball.pos);
    if (!is_finite(u)) return ball.pos;
    return ball.pos + u * body_radius;
}
