// What may be passed over in a scan: the reach of a query (the box its circle
// or path can touch this frame, widened by a margin) against a wall's box,
// and the bounds on rounding that make passing over a wall provably safe.
//
// Why a wall out of reach changes nothing. Every test of a wall ends in a
// point that lies on the wall, up to rounding: the nearest point of the
// overlap and of the ray into the circle, the crossing of a path. Within the
// coordinate bound below, the rounding of a difference or a dot product of
// coordinates is under 2.5e-4 units (a few units in the last place of 512),
// and the worst case of the ray's square root adds under 1e-2; the margin is
// far wider than both. So a wall whose box lies farther than the margin from
// the reach never overlaps, never stops a ray and is never crossed for real.
// One rounding case remains for the path crossing: when a path runs within
// the rounding of a wall's line, the two side tests can both pass with the
// wall itself far away. That needs the path to run along the wall (the
// sine of the angle between them below three roundings over the margin,
// about 0.012) and to come within the rounding of the wall's line; a wall
// out of reach is passed over only when one of the two provably fails.
#pragma once

#include "physics/vec2.h"
#include "physics/wall_boxes.h"

namespace wall_reach {

// Walls and reaches beyond this many units from the origin are always
// tested: the rounding bounds above hold only inside.
constexpr float coordinate_bound = 256.0f;
// Units by which a wall's box must miss the reach to be passed over.
constexpr float margin = 1.0f / 16.0f;
// A path running along a wall at a smaller sine of the angle than this is
// always tested against it.
constexpr float parallel_sine = 1.0f / 32.0f;
// Units: a bound on the rounding of one coordinate difference of a path
// (its end minus its start, against the motion it was made from).
constexpr float path_rounding = 1.0f / 4096.0f;
// Units: a path this much farther from a wall's line than its own length
// stays on one side of it, whatever the rounding of the side tests.
constexpr float line_slack = 1.0f / 256.0f;

inline bool within_bound(float v) { return v >= -coordinate_bound && v <= coordinate_bound; }

// The box of everything a query can touch. Never usable when a value is not
// a number or lies beyond the coordinate bound: the scan then tests every wall.
struct Reach {
    WallBox box;
    bool usable;
};

inline Reach reach_of(float lo_x, float lo_y, float hi_x, float hi_y) {
    const WallBox box{lo_x - margin, lo_y - margin, hi_x + margin, hi_y + margin};
    return Reach{box, within_bound(box.lo_x) && within_bound(box.lo_y) &&
                          within_bound(box.hi_x) && within_bound(box.hi_y)};
}

// Written so that a NaN in either argument comes out as NaN.
inline float lower_or_nan(float a, float b) { return a > b ? b : a; }
inline float upper_or_nan(float a, float b) { return a < b ? b : a; }

// A circle of radius r (either sign) around c.
inline Reach circle_reach(Vec2 c, float r) {
    const float a = float_abs(r);
    return reach_of(c.x - a, c.y - a, c.x + a, c.y + a);
}

// The circle swept from c along motion.
inline Reach capsule_reach(Vec2 c, float r, Vec2 motion) {
    const float a = float_abs(r);
    const Vec2 e = c + motion;
    return reach_of(lower_or_nan(c.x, e.x) - a, lower_or_nan(c.y, e.y) - a,
                    upper_or_nan(c.x, e.x) + a, upper_or_nan(c.y, e.y) + a);
}

inline Reach path_reach(const Segment& path) {
    return reach_of(lower_or_nan(path.a.x, path.b.x), lower_or_nan(path.a.y, path.b.y),
                    upper_or_nan(path.a.x, path.b.x), upper_or_nan(path.a.y, path.b.y));
}

// True when the box misses the reach; always true for an empty box.
inline bool out_of_reach(const WallBox& box, const WallBox& reach) {
    return box.lo_x > reach.hi_x || box.hi_x < reach.lo_x || box.lo_y > reach.hi_y ||
           box.hi_y < reach.lo_y;
}

inline bool empty(const WallBox& box) { return !(box.lo_x <= box.hi_x); }

// For a path of direction d and length len: true when it provably does not
// run along a wall of unit direction t (see above; the allowance covers a
// path rebuilt from a motion of that length with rounding).
inline bool crosses_at_an_angle(Vec2 d, float len, Vec2 t) {
    return float_abs(d.x * t.y - d.y * t.x) > parallel_sine * len + 2.0f * path_rounding;
}

}  // namespace wall_reach
