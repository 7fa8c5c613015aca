// Fuzz target for the collision queries: arbitrary walls, circles, paths, rays and motions, finite or
// not. Nothing may crash or misbehave under the sanitizers; with finite, moderate inputs every value the
// rules promise (a stop distance, a contact normal, a crossing point, a pushed circle) must be a number.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/fuzz_input.h"
#include "physics/queries.h"

namespace {

constexpr int32_t max_walls = 12;

bool finite(Vec2 v) { return std::isfinite(v.x) && std::isfinite(v.y); }

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "queries_fuzz: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t mode = in.byte();
    const bool bounded = (mode & 1) != 0;
    const int32_t count = (mode >> 1) % (max_walls + 1);
    Segment walls[max_walls];
    for (int32_t i = 0; i < count; ++i) {
        const Vec2 a = in.vec(bounded);
        walls[i] = Segment(a, in.vec(bounded));
    }
    const Vec2 centre = in.vec(bounded);
    float radius = in.value(bounded);
    if (bounded) radius = std::fabs(radius);
    const Vec2 motion = in.vec(bounded);
    const Vec2 far = in.vec(bounded);

    for (int32_t i = 0; i < count; ++i) {
        Vec2 q(0.0f, 0.0f);
        if (circle_overlaps_segment(Circle(centre, radius), walls[i], q) && bounded && !finite(q)) {
            broken("circle_overlaps_segment gave a point that is no number");
        }
    }

    // Depenetration: the circle stays a number and never grows.
    Circle pushed(centre, radius);
    depenetrate(pushed, walls, count);
    if (bounded) {
        if (!finite(pushed.center) || std::isnan(pushed.radius)) broken("depenetrate made a NaN circle");
        if (pushed.radius > radius) broken("depenetrate grew the circle");
    }

    Vec2 hit(0.0f, 0.0f);
    if (path_hits_segments(Segment(centre, far), walls, count, hit) && bounded && !finite(hit)) {
        broken("path_hits_segments gave a crossing that is no number");
    }

    Vec2 entry(0.0f, 0.0f);
    if (ray_hits_circle(Segment(far, centre + motion), Circle(centre, radius), entry) && bounded && !finite(entry)) {
        broken("ray_hits_circle gave an entry that is no number");
    }

    // The swept circle: out_dist is the length of the motion or a shorter stop, never NaN, for any finite input.
    Vec2 out_pos(0.0f, 0.0f), out_normal(0.0f, 0.0f);
    float out_dist = -1.0f;
    const bool stopped = sweep_circle(Circle(centre, radius), motion, walls, count, out_pos, out_normal, out_dist);
    const bool finite_input = finite(centre) && std::isfinite(radius) && finite(motion);
    if (finite_input && std::isnan(out_dist)) broken("sweep_circle gave a NaN distance");
    if (bounded) {
        const float total = length(motion);
        if (out_dist < 0.0f || out_dist > total) broken("sweep_circle stopped outside its motion");
        if (stopped && !(out_dist < total)) broken("sweep_circle reported a stop at the motion's end");
        if (stopped && (!finite(out_normal) || !finite(out_pos))) broken("sweep_circle gave a contact that is no number");
    }
    return 0;
}
