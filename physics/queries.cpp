// The five collision queries over plain wall arrays: circle overlap,
// depenetration, point paths, rays into circles and swept circles, all in f32
// step by step. Every wall is tested.
#include "physics/queries.h"

#include "physics/wall_steps.h"

using namespace wall_step;

bool circle_overlaps_segment(const Circle& circle, const Segment& wall, Vec2& out_point) {
    const Vec2 q = closest_point_on_segment(circle.center, wall);
    const float dist = length(q - circle.center);
    if (dist <= circle.radius) {
        out_point = q;
        return true;
    }
    return false;
}

void depenetrate(Circle& circle, const Segment* walls, int32_t count) {
    for (int32_t i = 0; i < count; ++i) depenetrate_wall(circle, walls[i]);
}

bool path_hits_segments(const Segment& path, const Segment* walls, int32_t count,
                        Vec2& out_point) {
    const Vec2 d = path.b - path.a;
    const Vec2 n = path_normal(d);
    for (int32_t i = 0; i < count; ++i) {
        if (path_hits_wall(path.a, path.b, d, n, walls[i], wall_normal(walls[i]), out_point)) {
            return true;
        }
    }
    return false;
}

bool ray_hits_circle(const Segment& ray, const Circle& circle, Vec2& out_point) {
    return ray_enters_circle(ray, circle, out_point);
}

bool sweep_circle(const Circle& circle, const Vec2& motion, const Segment* walls,
                  int32_t count, Vec2& out_pos, Vec2& out_normal, float& out_dist) {
    Circle c = circle;
    c.radius = c.radius + sweep_margin;
    depenetrate(c, walls, count);
    c.radius = c.radius - sweep_margin;

    const float total = length(motion);
    float best = total;
    const Vec2 u = normalize(motion);
    // Kept here and stored once at the end: the last wall that lowered best
    // sets it.
    Vec2 normal;
    bool stopped = false;
    for (int32_t i = 0; i < count; ++i) {
        stopped |= sweep_wall(c, motion, u, walls[i], wall_normal(walls[i]), best, normal);
    }
    if (stopped) out_normal = normal;
    out_pos = c.center + u * best;
    out_dist = best;
    return best < total;
}
