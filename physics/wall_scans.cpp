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

inline int32_t block_end(int32_t first, int32_t count) {
    return count - first < per_block ? count : first + per_block;
}

// A far wall in the sweep is passed over when its own test provably leaves
// best alone: the circle near the wall's line takes only the ray test, which
// cannot reach a far wall; otherwise the path from the rim must stay clear of
// the wall's line or cross it at an angle.
inline bool sweep_passes_over(const Circle& c, Vec2 motion, float total, float line_clear,
                              const Segment& s, Vec2 m, Vec2 t) {
    const float side = float_abs(dot(m, s.a - c.center));
    return c.radius >= side || side > line_clear || crosses_at_an_angle(motion, total, t);
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
        const WallBox* boxes = w.boxes.data();
        const WallBox* blocks = w.blocks.data();
        const Vec2* directions = w.directions.data();
        const float line_clear = float_abs(c.radius) + total + line_slack;
        for (int32_t b = 0, first = 0; first < count; ++b, first += per_block) {
            const bool far_block = out_of_reach(blocks[b], reach.box);
            const int32_t end = block_end(first, count);
            // First the walls of the run that need their full test, then
            // those tests in array order.
            uint32_t tested = 0;
            for (int32_t i = first; i < end; ++i) {
                const bool passed_over =
                    (far_block || out_of_reach(boxes[i], reach.box)) &&
                    (empty(boxes[i]) || sweep_passes_over(c, motion, total, line_clear, walls[i],
                                                          normals[i], directions[i]));
                tested |= passed_over ? 0u : 1u << (i - first);
            }
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
