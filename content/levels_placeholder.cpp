// Placeholder levels until the authored caves land: one closed box each.
#include "content/levels.h"

namespace {
const Segment box_segments[] = {
    Segment(Vec2(-2, -2), Vec2(4, -2)), Segment(Vec2(4, -2), Vec2(4, 3)),
    Segment(Vec2(4, 3), Vec2(-2, 3)), Segment(Vec2(-2, 3), Vec2(-2, -2)),
};
const Vec2 box_lines[] = {
    Vec2(-2, -2), Vec2(4, -2), Vec2(4, -2), Vec2(4, 3),
    Vec2(4, 3), Vec2(-2, 3), Vec2(-2, 3), Vec2(-2, -2),
};
const Vec2 box_gems[] = { Vec2(1, 2), Vec2(3, 2) };
}  // namespace

const LevelData title_level = { Vec2(0, 0), 8, box_lines, 4, box_segments, 0, box_gems };
const LevelData level_table[] = {
    { Vec2(0, 0), 8, box_lines, 4, box_segments, 2, box_gems },
    { Vec2(0, 0), 8, box_lines, 4, box_segments, 2, box_gems },
    { Vec2(0, 0), 8, box_lines, 4, box_segments, 2, box_gems },
    { Vec2(0, 0), 8, box_lines, 4, box_segments, 2, box_gems },
    { Vec2(0, 0), 8, box_lines, 4, box_segments, 2, box_gems },
};
