// The body's swept move for one frame: stop at a contact, sound the impact,
// bounce with restitution one half and go on with what is left of the step.
#include "physics/ball.h"

#include "physics/level.h"
#include "sound/programs.h"
#include "sound/synth.h"

namespace {
// The velocity loses this many times its component along the contact normal:
// reversed and halved, the tangential part kept.
constexpr float bounce_factor = 1.5f;
// Impact speeds (units per second) at or below this, a double, are silent.
constexpr double impact_threshold = 0.1;
// Impact speed (units per second) that plays the bounce at full volume.
constexpr float impact_full_volume = 4.0f;
}  // namespace

void Ball::move(float fraction, int32_t depth, float dt) {
    const Vec2 step = vel * dt;
    const Vec2 motion = step * fraction;
    const Circle circle(pos, body_radius);
    Vec2 out_pos;
    Vec2 normal;
    float dist;
    if (!level->sweep(circle, motion, out_pos, normal, dist)) {
        // From the body's own position: a depenetration the sweep did
        // internally counts only at a contact.
        pos = pos + motion;
        return;
    }
    pos = out_pos;
    const float impact = float_abs(dot(vel, normal));
    if (impact > impact_threshold) {
        play_sound(snd_bounce, float_min(impact / impact_full_volume, 1.0f), false);
    }
    vel = vel - normal * (dot(normal, vel) * bounce_factor);
    if (depth > 0) {
        const float used = dist / length(step);
        move(fraction - used, depth - 1, dt);
    }
}
