// Walking distances through a level's cave: a grid of the places the body's
// centre can be, and for each gem the shortest way to it around the walls.
// The solver ranks positions by these rather than by straight-line distance,
// which would lead it into walls between the body and a gem.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <queue>
#include <utility>
#include <vector>

#include "physics/level.h"

namespace solver {

// Grid spacing, world units.
constexpr float field_cell = 0.05f;
// A cell is open when its centre lies at least this far from every wall,
// world units: a little under the body's radius, so that the grid's own
// coarseness never closes a passage the body fits through.
constexpr float field_clearance = 0.11f;
// Cells this close to a gem's centre count as reaching it, world units: a
// little under the pickup distance.
constexpr float field_goal_radius = 0.27f;
// What an unreachable place costs, world units.
constexpr float field_unreachable = 1.0e6f;

class CaveField {
public:
    explicit CaveField(const LevelData& level) {
        float x0 = level.start.x, x1 = x0, y0 = level.start.y, y1 = y0;
        for (int32_t i = 0; i < level.segment_count; ++i) {
            for (Vec2 p : {level.segments[i].a, level.segments[i].b}) {
                x0 = std::min(x0, p.x);
                x1 = std::max(x1, p.x);
                y0 = std::min(y0, p.y);
                y1 = std::max(y1, p.y);
            }
        }
        const float margin = 0.5f;  // world units around the walls
        origin_x = x0 - margin;
        origin_y = y0 - margin;
        width = static_cast<int>((x1 - x0 + 2 * margin) / field_cell) + 1;
        height = static_cast<int>((y1 - y0 + 2 * margin) / field_cell) + 1;
        open.assign(static_cast<size_t>(width) * height, 0);
        for (int cy = 0; cy < height; ++cy) {
            for (int cx = 0; cx < width; ++cx) {
                open[index(cx, cy)] = wall_distance(level, centre(cx, cy)) >= field_clearance;
            }
        }
        for (int32_t g = 0; g < level.gem_count; ++g) gem_fields.push_back(walk_from(level.gems[g]));
    }

    // Shortest way from p to gem g around the walls, world units.
    float distance(int32_t g, Vec2 p) const {
        const std::vector<float>& d = gem_fields[static_cast<size_t>(g)];
        const int cx = static_cast<int>(std::floor((p.x - origin_x) / field_cell));
        const int cy = static_cast<int>(std::floor((p.y - origin_y) / field_cell));
        // A body pressed against a wall sits in a closed cell: take the best
        // open cell nearby plus the way there.
        float best = field_unreachable;
        for (int r = 0; r <= 4 && best >= field_unreachable; ++r) {
            for (int dy = -r; dy <= r; ++dy) {
                for (int dx = -r; dx <= r; ++dx) {
                    if (std::max(std::abs(dx), std::abs(dy)) != r) continue;
                    const int x = cx + dx, y = cy + dy;
                    if (x < 0 || y < 0 || x >= width || y >= height) continue;
                    const float v = d[index(x, y)];
                    if (v >= field_unreachable) continue;
                    const Vec2 c = centre(x, y);
                    best = std::min(best, v + std::hypot(c.x - p.x, c.y - p.y));
                }
            }
        }
        return best;
    }

    int open_cells() const {
        return static_cast<int>(std::count(open.begin(), open.end(), 1));
    }

private:
    size_t index(int cx, int cy) const { return static_cast<size_t>(cy) * width + cx; }
    Vec2 centre(int cx, int cy) const {
        return Vec2(origin_x + (cx + 0.5f) * field_cell, origin_y + (cy + 0.5f) * field_cell);
    }

    static float wall_distance(const LevelData& level, Vec2 p) {
        float best = std::numeric_limits<float>::infinity();
        for (int32_t i = 0; i < level.segment_count; ++i) {
            const Segment& s = level.segments[i];
            const float dx = s.b.x - s.a.x, dy = s.b.y - s.a.y;
            const float len2 = dx * dx + dy * dy;
            float t = len2 > 0.0f ? ((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / len2 : 0.0f;
            t = std::min(1.0f, std::max(0.0f, t));
            best = std::min(best, std::hypot(s.a.x + dx * t - p.x, s.a.y + dy * t - p.y));
        }
        return best;
    }

    // Dijkstra over the open cells, eight neighbours, from every open cell
    // that already reaches the gem.
    std::vector<float> walk_from(Vec2 gem) const {
        std::vector<float> d(open.size(), field_unreachable);
        using Item = std::pair<float, size_t>;
        std::priority_queue<Item, std::vector<Item>, std::greater<Item>> queue;
        for (int cy = 0; cy < height; ++cy) {
            for (int cx = 0; cx < width; ++cx) {
                const Vec2 c = centre(cx, cy);
                if (open[index(cx, cy)] && std::hypot(c.x - gem.x, c.y - gem.y) <= field_goal_radius) {
                    d[index(cx, cy)] = 0.0f;
                    queue.push({0.0f, index(cx, cy)});
                }
            }
        }
        const float diagonal = field_cell * std::sqrt(2.0f);
        while (!queue.empty()) {
            const auto [dist, at] = queue.top();
            queue.pop();
            if (dist > d[at]) continue;
            const int cx = static_cast<int>(at % width), cy = static_cast<int>(at / width);
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int x = cx + dx, y = cy + dy;
                    if ((dx == 0 && dy == 0) || x < 0 || y < 0 || x >= width || y >= height) continue;
                    const size_t next = index(x, y);
                    if (!open[next]) continue;
                    const float nd = dist + (dx != 0 && dy != 0 ? diagonal : field_cell);
                    if (nd < d[next]) {
                        d[next] = nd;
                        queue.push({nd, next});
                    }
                }
            }
        }
        return d;
    }

    float origin_x = 0.0f, origin_y = 0.0f;
    int width = 0, height = 0;
    std::vector<uint8_t> open;
    std::vector<std::vector<float>> gem_fields;
};

}  // namespace solver
