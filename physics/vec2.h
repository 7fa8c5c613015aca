// The 2D value types of the world (vectors, circles, segments) and their
// small operations, all in f32.
#pragma once

#include <math.h>

// World units, x to the right, y downward (gravity acts along +y).
struct Vec2 {
    float x;
    float y;

    // Left unset on purpose: every use assigns before reading.
    Vec2() = default;
    constexpr Vec2(float x_, float y_) : x(x_), y(y_) {}

    void zero() {
        x = 0.0f;
        y = 0.0f;
    }

    void operator+=(Vec2 b) {
        x += b.x;
        y += b.y;
    }
};

inline Vec2 operator+(Vec2 a, Vec2 b) { return Vec2(a.x + b.x, a.y + b.y); }
inline Vec2 operator-(Vec2 a, Vec2 b) { return Vec2(a.x - b.x, a.y - b.y); }
inline Vec2 operator*(Vec2 v, float s) { return Vec2(v.x * s, v.y * s); }

inline float dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }

inline float length(Vec2 v) { return sqrtf(dot(v, v)); }

// No guard: the zero vector gives 1/0 = inf and 0 * inf = NaN in both
// components, which the collision queries rely on to ignore degenerate walls.
inline Vec2 normalize(Vec2 v) {
    const float r = 1.0f / length(v);
    return v * r;
}

// Written as comparisons so that a NaN passes through: float_abs(NaN) is NaN,
// float_min returns its first argument whenever a > b fails.
inline float float_abs(float x) { return x < 0.0f ? -x : x; }
inline float float_min(float a, float b) { return a > b ? b : a; }

struct Circle {
    Vec2 center;
    float radius;

    Circle(Vec2 center_, float radius_) : center(center_), radius(radius_) {}
};

// A wall, or a path from a to b. Stored as four f32 in the order a.x, a.y,
// b.x, b.y, which is how the level tables lay them out.
struct Segment {
    Vec2 a;
    Vec2 b;

    Segment() = default;
    constexpr Segment(Vec2 a_, Vec2 b_) : a(a_), b(b_) {}
};

// The point of s nearest to p. A zero-length segment divides 0 by 0; the NaN
// t fails both clamps and the result is {NaN, NaN}.
inline Vec2 closest_point_on_segment(Vec2 p, const Segment& s) {
    const Vec2 d = s.b - s.a;
    const Vec2 w = p - s.a;
    const float t = dot(w, d) / dot(d, d);
    if (t <= 0.0f) return s.a;
    if (t >= 1.0f) return s.b;
    return s.a + d * t;
}
