// A level's walls with their bounds, prepared once when the level is loaded,
// and the collision scans that use the bounds to pass over walls out of reach.
#pragma once

#include <cstdint>
#include <vector>

#include "physics/vec2.h"

// An axis-aligned box, world units. An empty box has lo > hi.
struct WallBox {
    float lo_x;
    float lo_y;
    float hi_x;
    float hi_y;
};

// Four walls side by side, one lane each, for the sweep's test of walls out
// of reach: their boxes, first ends, normals and directions. A lane without
// a wall, or with a zero-length wall, has an empty box and zero vectors.
typedef float WallLanes __attribute__((vector_size(16)));
struct WallQuad {
    WallLanes lo_x, lo_y, hi_x, hi_y;
    WallLanes a_x, a_y;
    WallLanes m_x, m_y;
    WallLanes t_x, t_y;
};

// The walls of a level in array order, each with its box, its unit normal and
// its direction, and one box per run of walls_per_block walls. Preparing
// allocates; the scans do not.
class WallBoxes {
public:
    static constexpr int32_t walls_per_block = 8;

    // Keeps the array (which must outlive the scans) and computes the bounds.
    void prepare(const Segment* walls, int32_t count);

    const Segment* walls = nullptr;
    int32_t count = 0;
    // False when a wall lies beyond the range the skipping is proven for:
    // the scans then test every wall.
    bool skipping = false;
    std::vector<WallBox> boxes;       // per wall; empty for a zero-length wall
    std::vector<Vec2> normals;        // per wall, exactly as the queries compute them
    std::vector<Vec2> directions;     // per wall: the normal turned a quarter
    std::vector<WallBox> blocks;      // union of the boxes of each run
    std::vector<WallQuad> quads;      // walls_per_block / 4 per run
};

// The same queries as over a plain array (physics/queries.h), with the same
// results bit for bit: a wall is passed over only when its test provably
// leaves everything as it is.
void depenetrate(Circle& circle, const WallBoxes& walls);
bool path_hits_segments(const Segment& path, const WallBoxes& walls, Vec2& out_point);
bool sweep_circle(const Circle& circle, const Vec2& motion, const WallBoxes& walls,
                  Vec2& out_pos, Vec2& out_normal, float& out_dist);
