// The collision queries exactly as they were before the scans learned to pass
// over walls out of reach: every wall tested, one after the other. Kept
// word for word (under other names) as the reference the game's scans must
// match bit for bit.
#pragma once

#include <cstdint>
#include <math.h>

#include "physics/vec2.h"

// Extra radius given to the circle while depenetrating before a sweep, world
// units: the swept circle then starts at least this far clear of every wall.
constexpr float oracle_sweep_margin = 0.0001f;

// Unit normal of a wall, {NaN, NaN} for a zero-length wall.
inline Vec2 oracle_wall_normal(const Segment& s) {
    return normalize(Vec2(s.b.y - s.a.y, s.a.x - s.b.x));
}

// The sign of a product of two f32 side values, taken in double: the product
// of two f32 is exact there, so it cannot underflow to zero and let two tiny
// sides of the same sign pass as opposite. A NaN side gives a NaN product.
inline bool oracle_opposite_or_on(float s1, float s2) {
    return double(s1) * double(s2) <= 0.0;
}

// One wall against a path with start p0, direction d and unit normal n.
inline bool oracle_path_hits_wall(Vec2 p0, Vec2 p1, Vec2 d, Vec2 n, const Segment& s,
                                  Vec2& out_point) {
    const float s1 = dot(s.a - p0, n);
    const float s2 = dot(s.b - p0, n);
    if (!oracle_opposite_or_on(s1, s2)) return false;
    const Vec2 m = oracle_wall_normal(s);
    const float r1 = dot(p0 - s.a, m);
    const float r2 = dot(p1 - s.a, m);
    if (!oracle_opposite_or_on(r1, r2)) return false;
    const float across = r2 - r1;
    // Both ends on the wall's line: the path runs along the wall and crosses
    // it at no single point (t would be 0/0).
    if (across == 0.0f) return false;
    const float t = -r1 / across;
    out_point = p0 + d * t;
    return true;
}

inline bool oracle_path_hits_one(const Segment& path, const Segment& s, Vec2& out_point) {
    const Vec2 d = path.b - path.a;
    const Vec2 n = normalize(Vec2(d.y, -d.x));
    return oracle_path_hits_wall(path.a, path.b, d, n, s, out_point);
}

inline bool oracle_circle_overlaps_segment(const Circle& circle, const Segment& wall,
                                           Vec2& out_point) {
    const Vec2 q = closest_point_on_segment(circle.center, wall);
    const float dist = length(q - circle.center);
    if (dist <= circle.radius) {
        out_point = q;
        return true;
    }
    return false;
}

inline void oracle_depenetrate(Circle& circle, const Segment* walls, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        Vec2 q;
        if (!oracle_circle_overlaps_segment(circle, walls[i], q)) continue;
        const Vec2 w = circle.center - q;
        const float dist = length(w);
        // No direction away from a wall the centre lies on.
        if (!(dist > 0.0f)) continue;
        const float h = (circle.radius - dist) / 2.0f;
        circle.radius = circle.radius - h;
        circle.center += normalize(w) * h;
    }
}

inline bool oracle_path_hits_segments(const Segment& path, const Segment* walls,
                                      int32_t count, Vec2& out_point) {
    const Vec2 d = path.b - path.a;
    const Vec2 n = normalize(Vec2(d.y, -d.x));
    for (int32_t i = 0; i < count; ++i) {
        if (oracle_path_hits_wall(path.a, path.b, d, n, walls[i], out_point)) return true;
    }
    return false;
}

inline bool oracle_ray_hits_circle(const Segment& ray, const Circle& circle, Vec2& out_point) {
    const Vec2 a = ray.a;
    const Vec2 c = circle.center - a;
    if (length(c) <= circle.radius) {
        out_point = a;
        return true;
    }
    const Vec2 d = ray.b - a;
    if (dot(d, c) <= 0.0f) return false;
    const Vec2 u = normalize(d);
    const float h = dot(Vec2(u.y, -u.x), c);
    if (float_abs(h) > circle.radius) return false;
    const float along = dot(u, c);
    const float square = circle.radius * circle.radius - h * h;
    const float k = along - sqrtf(square);
    if (length(d) >= k) {
        out_point = a + u * k;
        return true;
    }
    return false;
}

inline bool oracle_sweep_circle(const Circle& circle, const Vec2& motion, const Segment* walls,
                                int32_t count, Vec2& out_pos, Vec2& out_normal,
                                float& out_dist) {
    Circle c = circle;
    c.radius = c.radius + oracle_sweep_margin;
    oracle_depenetrate(c, walls, count);
    c.radius = c.radius - oracle_sweep_margin;

    const float total = length(motion);
    float best = total;
    const Vec2 u = normalize(motion);

    for (int32_t i = 0; i < count; ++i) {
        const Segment& s = walls[i];
        const Vec2 m = oracle_wall_normal(s);
        const Vec2 w = s.a - c.center;
        float cand = best;
        Vec2 contact = c.center;  // set with every candidate below
        const float side = dot(m, w);
        bool near = c.radius >= float_abs(side);
        if (!near) {
            const Vec2 p0 = side < 0.0f ? c.center - m * c.radius : c.center + m * c.radius;
            Vec2 hit;
            if (oracle_path_hits_one(Segment(p0, p0 + motion), s, hit)) {
                cand = length(hit - p0);
                contact = hit;
            } else {
                near = true;
            }
        }
        if (near) {
            const Vec2 q = closest_point_on_segment(c.center, s);
            Vec2 e;
            if (oracle_ray_hits_circle(Segment(q, q - motion), c, e)) {
                cand = length(q - e);
                contact = q;
            }
        }
        if (cand < best) {
            best = cand;
            Vec2 normal = normalize(c.center + u * cand - contact);
            // A contact at the centre itself (a centre lying on a wall) has no
            // direction; the circle is then turned back against its motion.
            if (!(isfinite(normal.x) && isfinite(normal.y))) normal = u * -1.0f;
            out_normal = normal;
        }
    }
    out_pos = c.center + u * best;
    out_dist = best;
    return best < total;
}
