// The per-wall steps of the collision queries, shared by the plain scans over
// a wall array and the scans that skip walls out of reach: a wall that is
// tested is tested by exactly this code, whichever scan runs.
#pragma once

#include <math.h>

#include "physics/vec2.h"

namespace wall_step {

// Extra radius given to the circle while depenetrating before a sweep, world
// units: the swept circle then starts at least this far clear of every wall.
constexpr float sweep_margin = 0.0001f;

// Unit normal of a wall, {NaN, NaN} for a zero-length wall.
inline Vec2 wall_normal(const Segment& s) {
    return normalize(Vec2(s.b.y - s.a.y, s.a.x - s.b.x));
}

// The sign of a product of two f32 side values, taken in double: the product
// of two f32 is exact there, so it cannot underflow to zero and let two tiny
// sides of the same sign pass as opposite. A NaN side gives a NaN product.
inline bool opposite_or_on(float s1, float s2) {
    return double(s1) * double(s2) <= 0.0;
}

// One wall (with its unit normal m) against a path from p0 to p1 with
// direction d = p1 - p0 and unit normal n.
inline bool path_hits_wall(Vec2 p0, Vec2 p1, Vec2 d, Vec2 n, const Segment& s, Vec2 m,
                           Vec2& out_point) {
    // A wall so short that its squared length underflows in f32 has no
    // normal, like a zero-length wall; left in, its infinite side values
    // would place the crossing at NaN. It is never crossed.
    if (!(isfinite(m.x) && isfinite(m.y))) return false;
    const float s1 = dot(s.a - p0, n);
    const float s2 = dot(s.b - p0, n);
    if (!opposite_or_on(s1, s2)) return false;
    const float r1 = dot(p0 - s.a, m);
    const float r2 = dot(p1 - s.a, m);
    if (!opposite_or_on(r1, r2)) return false;
    const float across = r2 - r1;
    // Both ends on the wall's line: the path runs along the wall and crosses
    // it at no single point (t would be 0/0).
    if (across == 0.0f) return false;
    const float t = -r1 / across;
    out_point = p0 + d * t;
    return true;
}

inline Vec2 path_normal(Vec2 d) {
    return normalize(Vec2(d.y, -d.x));
}

// One overlapped wall takes half of the overlap by moving the centre away
// from it and half by shrinking the radius. True when the circle changed.
inline bool depenetrate_wall(Circle& circle, const Segment& wall) {
    const Vec2 q = closest_point_on_segment(circle.center, wall);
    const float dist_q = length(q - circle.center);
    if (!(dist_q <= circle.radius)) return false;
    const Vec2 w = circle.center - q;
    const float dist = length(w);
    // No direction away from a wall the centre lies on.
    if (!(dist > 0.0f)) return false;
    const float h = (circle.radius - dist) / 2.0f;
    circle.radius = circle.radius - h;
    circle.center += normalize(w) * h;
    return true;
}

// The ray from ray.a to ray.b against the circle: starts in or on it (out_point
// is then ray.a) or enters it within the ray's length (out_point is the entry).
inline bool ray_enters_circle(const Segment& ray, const Circle& circle, Vec2& out_point) {
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

// One wall (unit normal m) against the circle c moving along motion (unit
// direction u): lowers best, and sets out_normal, when the wall stops the
// circle sooner; true then.
inline bool sweep_wall(const Circle& c, Vec2 motion, Vec2 u, const Segment& s, Vec2 m,
                       float& best, Vec2& out_normal) {
    const Vec2 w = s.a - c.center;
    float cand = best;
    Vec2 contact = c.center;  // set with every candidate below
    const float side = dot(m, w);
    bool near = c.radius >= float_abs(side);
    if (!near) {
        const Vec2 p0 = side < 0.0f ? c.center - m * c.radius : c.center + m * c.radius;
        const Vec2 p1 = p0 + motion;
        const Vec2 d = p1 - p0;
        Vec2 hit;
        if (path_hits_wall(p0, p1, d, path_normal(d), s, m, hit)) {
            cand = length(hit - p0);
            contact = hit;
        } else {
            near = true;
        }
    }
    if (near) {
        const Vec2 q = closest_point_on_segment(c.center, s);
        Vec2 e;
        if (ray_enters_circle(Segment(q, q - motion), c, e)) {
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
        return true;
    }
    return false;
}

}  // namespace wall_step
