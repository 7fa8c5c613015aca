// Preparing a level's wall bounds: boxes, normals and directions per wall,
// and the boxes of runs of walls.
#include "physics/wall_boxes.h"

#include "physics/wall_reach.h"
#include "physics/wall_steps.h"

namespace {

constexpr float infinity = __builtin_inff();
constexpr WallBox empty_box = {infinity, infinity, -infinity, -infinity};

inline float lower(float a, float b) { return a < b ? a : b; }
inline float upper(float a, float b) { return a < b ? b : a; }

WallBox box_of(const Segment& s) {
    return WallBox{lower(s.a.x, s.b.x), lower(s.a.y, s.b.y), upper(s.a.x, s.b.x),
                   upper(s.a.y, s.b.y)};
}

WallBox merged(const WallBox& a, const WallBox& b) {
    return WallBox{lower(a.lo_x, b.lo_x), lower(a.lo_y, b.lo_y), upper(a.hi_x, b.hi_x),
                   upper(a.hi_y, b.hi_y)};
}

}  // namespace

void WallBoxes::prepare(const Segment* walls_, int32_t count_) {
    walls = walls_;
    count = count_ > 0 ? count_ : 0;
    boxes.assign(static_cast<size_t>(count), empty_box);
    normals.assign(static_cast<size_t>(count), Vec2(0.0f, 0.0f));
    directions.assign(static_cast<size_t>(count), Vec2(0.0f, 0.0f));
    blocks.assign(static_cast<size_t>((count + walls_per_block - 1) / walls_per_block), empty_box);
    quads.assign(blocks.size() * (walls_per_block / 4), WallQuad{});
    for (WallQuad& q : quads) {
        for (int k = 0; k < 4; ++k) {
            q.lo_x[k] = empty_box.lo_x;
            q.lo_y[k] = empty_box.lo_y;
            q.hi_x[k] = empty_box.hi_x;
            q.hi_y[k] = empty_box.hi_y;
        }
    }
    skipping = true;
    for (int32_t i = 0; i < count; ++i) {
        const Segment& s = walls[i];
        const Vec2 m = wall_step::wall_normal(s);
        normals[i] = m;
        directions[i] = Vec2(-m.y, m.x);
        if (!(wall_reach::within_bound(s.a.x) && wall_reach::within_bound(s.a.y) &&
              wall_reach::within_bound(s.b.x) && wall_reach::within_bound(s.b.y))) {
            skipping = false;
        }
        // A wall whose ends coincide has a NaN normal and nearest point: no
        // query ever hits it, so its box stays empty and it is never tested.
        if (s.a.x == s.b.x && s.a.y == s.b.y) continue;
        boxes[i] = box_of(s);
        WallBox& block = blocks[i / walls_per_block];
        block = merged(block, boxes[i]);
        WallQuad& q = quads[i / 4];
        const int k = i % 4;
        q.lo_x[k] = boxes[i].lo_x;
        q.lo_y[k] = boxes[i].lo_y;
        q.hi_x[k] = boxes[i].hi_x;
        q.hi_y[k] = boxes[i].hi_y;
        q.a_x[k] = s.a.x;
        q.a_y[k] = s.a.y;
        q.m_x[k] = m.x;
        q.m_y[k] = m.y;
        q.t_x[k] = directions[i].x;
        q.t_y[k] = directions[i].y;
    }
}
