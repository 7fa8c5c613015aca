// The constant level records and the runtime state of the level in play.
#pragma once

#include <cstdint>

#include "physics/vec2.h"
#include "physics/wall_boxes.h"

// One level as constant data: a line drawing whose first segment_count lines
// trace the collision segments, the gems and the body's start.
struct LevelData {
    Vec2 start;
    int32_t line_vertex_count;  // always even: vertices 2k and 2k+1 form line k
    const Vec2* line_vertices;
    int32_t segment_count;
    const Segment* segments;
    int32_t gem_count;  // 0 for the title level
    const Vec2* gems;
};

// The level in play: which record, and which of its gems are still present.
class LevelState {
public:
    LevelState();
    ~LevelState();
    LevelState(const LevelState&) = delete;
    LevelState& operator=(const LevelState&) = delete;

    // Makes the record the level in play with every gem present.
    void load(const LevelData* level);
    int32_t gems_remaining() const { return gems_left; }

    // Collision queries against the level's walls.
    bool path_hit(const Segment& path, Vec2& out_point) const;
    bool sweep(const Circle& circle, const Vec2& motion, Vec2& out_pos,
               Vec2& out_normal, float& out_dist) const;

    // Takes every present gem closer than the pickup distance to pos.
    void collect_gems(const Vec2& pos);

    // Draws the line drawing and the present gems in world units.
    void draw() const;

    const LevelData* data;  // null until the first load
    uint8_t* gem_present;   // owned, gem_count flags; null until the first load
    int32_t gems_left;
    // The walls' bounds, prepared at each load so the queries can pass over
    // walls out of reach.
    WallBoxes wall_boxes;
};
