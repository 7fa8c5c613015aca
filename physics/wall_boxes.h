// A level's walls with their bounds, prepared once when the level is loaded,
// and the collision scans that use the bounds to pass over walls out of reach.
#pragma once

#include <cstdint>
#include <vector>

#include "physics/vec2.h"

// An axis-aligned box, world units.
struct WallBox {
    float lo_x;
    float lo_y;
    float hi_x;
    float hi_y;
};

// The walls of a level in array order, less those of zero length (which no
// query can ever hit), each with its box and its unit normal, and per run of
// walls_per_block walls the box of their boxes and the box of their normals.
// Preparing allocates; the scans do not.
class WallBoxes {
public:
    static constexpr int32_t walls_per_block = 4;

    // Keeps the array, which must outlive the scans, and computes the bounds.
    void prepare(const Segment* walls, int32_t count);

    // The level's own walls, which the plain scans take.
    const Segment* level_walls = nullptr;
    int32_t level_count = 0;
    // False when a wall lies beyond the range the passing over is proven
    // for: the scans are then the plain scans over the level's own walls.
    bool skipping = false;
    std::vector<Segment> walls;
    std::vector<WallBox> boxes;
    std::vector<Vec2> normals;           // exactly as the plain queries compute them
    std::vector<WallBox> blocks;         // the union of the boxes of each run
    std::vector<WallBox> block_normals;  // the box of each run's normals, one side
};

// The same queries as over a plain array (physics/queries.h), with the same
// results bit for bit: a wall is passed over only when its test provably
// leaves everything as it is.
void depenetrate(Circle& circle, const WallBoxes& walls);
bool path_hits_segments(const Segment& path, const WallBoxes& walls, Vec2& out_point);
bool sweep_circle(const Circle& circle, const Vec2& motion, const WallBoxes& walls,
                  Vec2& out_pos, Vec2& out_normal, float& out_dist);
