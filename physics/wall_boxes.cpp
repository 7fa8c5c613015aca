// Preparing a level's wall bounds, and the collision scans over them: every
// wall in array order, passing over those whose test provably changes
// nothing and testing every other wall with the same steps as the plain
// scans.
//
// Why a wall out of reach changes nothing. The reach of a query is the box
// of everything its circle or path can touch (the circle, the circle swept
// along its motion, the path), widened by a margin. Every test of a wall
// ends in a point that lies on the wall up to rounding: the nearest point of
// the overlap and of the ray into the circle, the crossing of a path. Within
// the coordinate bound and for a radius within its bound, the rounding of a
// difference or a dot product of coordinates is under 2.5e-4 units and the
// ray's square root adds under 1e-2: far less than the margin. So a wall
// whose box misses the reach never overlaps, never stops a ray and is never
// crossed for real. Only the path's crossing test has a rounding case left:
// when the path runs within the rounding of a wall's line, its two side
// tests can both pass with the wall itself far away. That needs the path to
// run along the wall (the sine of the angle between them under three
// roundings over the margin, 0.012) and to come within the rounding of the
// wall's line, so a wall out of reach is passed over only when one of the
// two provably fails; a wall too short to have a finite normal is never
// crossed at all. A wall of zero length has a NaN normal and nearest point,
// and every test on a NaN goes the non-hit way: it is left out altogether.
#include "physics/wall_boxes.h"

#include <cmath>

#include "physics/queries.h"
#include "physics/wall_steps.h"

using namespace wall_step;

namespace {

// Units from the origin: walls and reaches beyond it are always tested.
constexpr float coordinate_bound = 256.0f;
// Units: a circle of a larger radius is tested against every wall.
constexpr float radius_bound = 1.0f;
// Units by which a wall's box must miss the reach to be passed over.
constexpr float margin = 1.0f / 16.0f;
// A path running along a wall at a smaller sine of the angle than this is
// always tested against it.
constexpr float parallel_sine = 1.0f / 32.0f;
// Units: a path this much farther from a wall's line than its own length
// stays on one side of it, whatever the rounding of the side tests.
constexpr float line_slack = 1.0f / 256.0f;
constexpr int32_t per_block = WallBoxes::walls_per_block;
// The reach of a query that cannot be bounded: no wall misses it.
constexpr WallBox everywhere = {-HUGE_VALF, -HUGE_VALF, HUGE_VALF, HUGE_VALF};

inline bool within_bound(float v) { return v >= -coordinate_bound && v <= coordinate_bound; }
// Written so that a NaN in either argument comes out as NaN.
inline float lower(float a, float b) { return a > b ? b : a; }
inline float upper(float a, float b) { return a < b ? b : a; }

// The reach around the box from lo to hi, or nothing usable when a value is
// not a number or lies beyond the bounds: the scan then tests every wall.
bool reach_of(Vec2 lo, Vec2 hi, float radius, WallBox& reach) {
    const float r = std::fabs(radius) + margin;
    reach = WallBox{lo.x - r, lo.y - r, hi.x + r, hi.y + r};
    return std::fabs(radius) <= radius_bound && within_bound(reach.lo_x) &&
           within_bound(reach.lo_y) && within_bound(reach.hi_x) && within_bound(reach.hi_y);
}

bool reach_of(const Segment& s, float radius, WallBox& reach) {
    return reach_of(Vec2(lower(s.a.x, s.b.x), lower(s.a.y, s.b.y)),
                    Vec2(upper(s.a.x, s.b.x), upper(s.a.y, s.b.y)), radius, reach);
}

// A bound on the rounding of each coordinate of a swept path's direction
// (its end minus its start) against the motion it was made from, when the
// path lies in the reach: twice the rounding of the largest coordinate.
inline float path_rounding(const WallBox& reach) {
    const float most = upper(upper(std::fabs(reach.lo_x), std::fabs(reach.hi_x)),
                             upper(std::fabs(reach.lo_y), std::fabs(reach.hi_y)));
    return most * (1.0f / 4194304.0f);
}

inline bool misses(const WallBox& box, const WallBox& reach) {
    return box.lo_x > reach.hi_x || box.hi_x < reach.lo_x || box.lo_y > reach.hi_y ||
           box.hi_y < reach.lo_y;
}

// True when a·m > limit for every m in the box of normals, or a·m < -limit
// for every one: then |a·m| > limit for each wall whose normal the box holds.
inline bool all_beyond(Vec2 a, const WallBox& m, float limit) {
    const float x_lo = a.x * m.lo_x, x_hi = a.x * m.hi_x, y_lo = a.y * m.lo_y, y_hi = a.y * m.hi_y;
    return lower(x_lo, x_hi) + lower(y_lo, y_hi) > limit ||
           upper(x_lo, x_hi) + upper(y_lo, y_hi) < -limit;
}

// Calls test(i) on every wall in array order, stopping at the first that
// returns true, but on those out of reach that passed_over(i) lets go and on
// the runs out of reach that run_passed_over(run) lets go whole.
template <class RunPassedOver, class PassedOver, class Test>
bool scan(const WallBoxes& w, const WallBox& reach, RunPassedOver run_passed_over,
          PassedOver passed_over, Test test) {
    const int32_t count = static_cast<int32_t>(w.walls.size());
    const WallBox* boxes = w.boxes.data();
    for (int32_t first = 0, run = 0; first < count; first += per_block, ++run) {
        const bool far = misses(w.blocks[run], reach);
        if (far && run_passed_over(run)) continue;
        const int32_t end = count - first < per_block ? count : first + per_block;
        for (int32_t i = first; i < end; ++i) {
            if ((far || misses(boxes[i], reach)) && passed_over(i)) continue;
            if (test(i)) return true;
        }
    }
    return false;
}

}  // namespace

void WallBoxes::prepare(const Segment* all, int32_t count) {
    level_walls = all;
    level_count = count;
    walls.clear();
    boxes.clear();
    normals.clear();
    blocks.clear();
    block_normals.clear();
    skipping = true;
    for (int32_t i = 0; i < count; ++i) {
        const Segment& s = all[i];
        skipping = skipping && within_bound(s.a.x) && within_bound(s.a.y) &&
                   within_bound(s.b.x) && within_bound(s.b.y);
        if (s.a.x == s.b.x && s.a.y == s.b.y) continue;
        const WallBox box{lower(s.a.x, s.b.x), lower(s.a.y, s.b.y), upper(s.a.x, s.b.x),
                          upper(s.a.y, s.b.y)};
        Vec2 m = wall_normal(s);
        if (walls.size() % per_block == 0) {
            blocks.push_back(box);
            block_normals.push_back(WallBox{m.x, m.y, m.x, m.y});
        }
        walls.push_back(s);
        boxes.push_back(box);
        normals.push_back(m);
        WallBox& b = blocks.back();
        b = WallBox{lower(b.lo_x, box.lo_x), lower(b.lo_y, box.lo_y), upper(b.hi_x, box.hi_x),
                    upper(b.hi_y, box.hi_y)};
        // A line has two normals: the run's box takes the one on the side of
        // the run's first normal.
        WallBox& n = block_normals.back();
        if (dot(m, Vec2(n.lo_x + n.hi_x, n.lo_y + n.hi_y)) < 0.0f) m = m * -1.0f;
        n = WallBox{lower(n.lo_x, m.x), lower(n.lo_y, m.y), upper(n.hi_x, m.x), upper(n.hi_y, m.y)};
    }
}

void depenetrate(Circle& circle, const WallBoxes& w) {
    WallBox reach;
    if (!(w.skipping && reach_of(circle.center, circle.center, circle.radius, reach))) {
        depenetrate(circle, w.level_walls, w.level_count);
        return;
    }
    // A push moves the circle into itself: the reach, taken again after
    // each push, only shrinks, and the walls passed over stay out of it.
    const auto always = [](int32_t) { return true; };
    scan(w, reach, always, always, [&](int32_t i) {
        if (depenetrate_wall(circle, w.walls[i]) &&
            !reach_of(circle.center, circle.center, circle.radius, reach)) {
            reach = everywhere;
        }
        return false;
    });
}

bool path_hits_segments(const Segment& path, const WallBoxes& w, Vec2& out_point) {
    WallBox reach;
    if (!(w.skipping && reach_of(path, 0.0f, reach))) {
        return path_hits_segments(path, w.level_walls, w.level_count, out_point);
    }
    const Vec2 d = path.b - path.a;
    const Vec2 n = path_normal(d);
    const float crossing = parallel_sine * length(d);
    return scan(
        w, reach, [&](int32_t run) { return all_beyond(d, w.block_normals[run], crossing); },
        [&](int32_t i) { return std::fabs(dot(d, w.normals[i])) > crossing; },
        [&](int32_t i) {
            return path_hits_wall(path.a, path.b, d, n, w.walls[i], w.normals[i], out_point);
        });
}

bool sweep_circle(const Circle& circle, const Vec2& motion, const WallBoxes& w,
                  Vec2& out_pos, Vec2& out_normal, float& out_dist) {
    if (!w.skipping) {
        return sweep_circle(circle, motion, w.level_walls, w.level_count, out_pos, out_normal,
                            out_dist);
    }
    Circle c = circle;
    c.radius = c.radius + sweep_margin;
    depenetrate(c, w);
    c.radius = c.radius - sweep_margin;

    const float total = length(motion);
    float best = total;
    const Vec2 u = normalize(motion);
    // Kept here and stored once at the end: the last wall that lowered best
    // sets it, as in the plain scan.
    Vec2 normal;
    bool stopped = false;
    WallBox reach;
    if (!reach_of(Segment(c.center, c.center + motion), c.radius, reach)) reach = everywhere;
    // A wall out of reach is passed over when its face test cannot stop the
    // circle: the circle is near the wall's line (only the end test runs),
    // its path stays clear of the line, or it crosses the line at an angle.
    const float line_clear = std::fabs(c.radius) + total + line_slack;
    const float crossing = parallel_sine * total + 2.0f * path_rounding(reach);
    scan(
        w, reach, [&](int32_t run) { return all_beyond(motion, w.block_normals[run], crossing); },
        [&](int32_t i) {
            const Vec2 m = w.normals[i];
            if (std::fabs(dot(motion, m)) > crossing) return true;
            const float side = std::fabs(dot(m, w.walls[i].a - c.center));
            return c.radius >= side || side > line_clear;
        },
        [&](int32_t i) {
            stopped |= sweep_wall(c, motion, u, w.walls[i], w.normals[i], best, normal);
            return false;
        });
    if (stopped) out_normal = normal;
    out_pos = c.center + u * best;
    out_dist = best;
    return best < total;
}
