// The collision scans over a level's prepared walls: every wall in array
// order, passing over those out of reach of the query (physics/wall_reach.h
// says why that changes nothing); every other wall takes the same steps as
// in the plain scans.
#include <cstdint>

#include "physics/queries.h"
#include "physics/wall_boxes.h"
#include "physics/wall_reach.h"
#include "physics/wall_steps.h"

using namespace wall_step;
using namespace wall_reach;

namespace {

constexpr int32_t per_block = WallBoxes::walls_per_block;
// The sweep reads a run as two quads of lanes.
static_assert(per_block == 8, "a run of walls is two quads");

inline int32_t block_end(int32_t first, int32_t count) {
    return count - first < per_block ? count : first + per_block;
}

typedef int32_t LaneFlags __attribute__((vector_size(16)));

// Only compared, never used as a value: clearing the sign bit compares as
// float_abs does, NaN included.
inline WallLanes lane_abs(WallLanes v) {
    LaneFlags bits;
    __builtin_memcpy(&bits, &v, sizeof bits);
    bits &= 0x7fffffff;
    __builtin_memcpy(&v, &bits, sizeof v);
    return v;
}

inline uint32_t lane_bits(LaneFlags f) {
    return (f[0] & 1u) | (f[1] & 2u) | (f[2] & 4u) | (f[3] & 8u);
}

// The sweep's walls to pass over, one bit per lane: out of reach, and the
// wall's own test provably leaves best alone. The circle near a wall's line
// takes only the ray test, which cannot reach a far wall; otherwise the path
// from the rim must stay clear of the wall's line or cross it at an angle.
// (The side is computed as the wall's test computes it, so "near" agrees.)
inline uint32_t sweep_passes_over(const WallQuad& q, bool far_block, const WallBox& reach,
                                  const Circle& c, Vec2 motion, float line_clear,
                                  float crossing) {
    LaneFlags out = (q.lo_x > reach.hi_x) | (q.hi_x < reach.lo_x) | (q.lo_y > reach.hi_y) |
                    (q.hi_y < reach.lo_y);
    if (far_block) out = out | -1;
    const WallLanes side = lane_abs(q.m_x * (q.a_x - c.center.x) + q.m_y * (q.a_y - c.center.y));
    const WallLanes across = lane_abs(motion.x * q.t_y - motion.y * q.t_x);
    const LaneFlags alone = (c.radius >= side) | (side > line_clear) | (across > crossing);
    return lane_bits(out & alone);
}

}  // namespace

void depenetrate(Circle& circle, const WallBoxes& w) {
    Circle c = circle;
    Reach reach = circle_reach(c.center, c.radius);
    if (!(w.skipping && reach.usable)) {
        depenetrate(circle, w.walls, w.count);
        return;
    }
    const Segment* walls = w.walls;
    const WallBox* boxes = w.boxes.data();
    const WallBox* blocks = w.blocks.data();
    const int32_t count = w.count;
    for (int32_t b = 0, first = 0; first < count; ++b, first += per_block) {
        if (out_of_reach(blocks[b], reach.box)) continue;
        const int32_t end = block_end(first, count);
        for (int32_t i = first; i < end; ++i) {
            if (out_of_reach(boxes[i], reach.box)) continue;
            if (!depenetrate_wall(c, walls[i])) continue;
            // The circle only ever moves into itself, so the reach shrinks;
            // walls already passed over stay out of it.
            reach = circle_reach(c.center, c.radius);
            if (!reach.usable) {
                for (++i; i < count; ++i) depenetrate_wall(c, walls[i]);
                circle = c;
                return;
            }
        }
    }
    circle = c;
}

bool path_hits_segments(const Segment& path, const WallBoxes& w, Vec2& out_point) {
    const Reach reach = path_reach(path);
    if (!(w.skipping && reach.usable)) {
        return path_hits_segments(path, w.walls, w.count, out_point);
    }
    const Vec2 d = path.b - path.a;
    const Vec2 n = path_normal(d);
    const float len = length(d);
    const Segment* walls = w.walls;
    const WallBox* boxes = w.boxes.data();
    const WallBox* blocks = w.blocks.data();
    const Vec2* normals = w.normals.data();
    const Vec2* directions = w.directions.data();
    const int32_t count = w.count;
    for (int32_t b = 0, first = 0; first < count; ++b, first += per_block) {
        const bool far_block = out_of_reach(blocks[b], reach.box);
        const int32_t end = block_end(first, count);
        for (int32_t i = first; i < end; ++i) {
            if ((far_block || out_of_reach(boxes[i], reach.box)) &&
                (empty(boxes[i]) || crosses_at_an_angle(d, len, directions[i]))) {
                continue;
            }
            if (path_hits_wall(path.a, path.b, d, n, walls[i], normals[i], out_point)) {
                return true;
            }
        }
    }
    return false;
}

bool sweep_circle(const Circle& circle, const Vec2& motion, const WallBoxes& w,
                  Vec2& out_pos, Vec2& out_normal, float& out_dist) {
    if (!w.skipping) {
        return sweep_circle(circle, motion, w.walls, w.count, out_pos, out_normal, out_dist);
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
    const Reach reach = capsule_reach(c.center, c.radius, motion);
    const Segment* walls = w.walls;
    const Vec2* normals = w.normals.data();
    const int32_t count = w.count;
    if (!reach.usable) {
        for (int32_t i = 0; i < count; ++i) {
            stopped |= sweep_wall(c, motion, u, walls[i], normals[i], best, normal);
        }
    } else {
        const WallBox* blocks = w.blocks.data();
        const WallQuad* quads = w.quads.data();
        const float line_clear = float_abs(c.radius) + total + line_slack;
        const float crossing = parallel_sine * total + 2.0f * path_rounding;
        for (int32_t b = 0, first = 0; first < count; ++b, first += per_block) {
            const bool far_block = out_of_reach(blocks[b], reach.box);
            const uint32_t passed =
                sweep_passes_over(quads[2 * b], far_block, reach.box, c, motion, line_clear, crossing) |
                sweep_passes_over(quads[2 * b + 1], far_block, reach.box, c, motion, line_clear,
                                  crossing) << 4;
            const int32_t walls_here = block_end(first, count) - first;
            uint32_t tested = ~passed & ((1u << walls_here) - 1u);
            // The remaining walls of the run take their full test in array order.
            for (; tested != 0; tested &= tested - 1) {
                const int32_t i = first + __builtin_ctz(tested);
                stopped |= sweep_wall(c, motion, u, walls[i], normals[i], best, normal);
            }
        }
    }
    if (stopped) out_normal = normal;
    out_pos = c.center + u * best;
    out_dist = best;
    return best < total;
}
