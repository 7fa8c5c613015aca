// Test helper: the caves of a level's walls as polygons, and the check that a
// body is still in the cave it started in.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "physics/level.h"

class CaveCheck {
public:
    // Runs of walls where each begins at the previous end (within 1e-5); a
    // run whose ends meet (within 0.01) is a closed outline.
    explicit CaveCheck(const LevelData& level) {
        std::vector<Vec2> run;
        for (int32_t i = 0; i <= level.segment_count; ++i) {
            if (!run.empty() && (i == level.segment_count || !near(run.back(), level.segments[i].a, 1e-5f))) {
                if (run.size() >= 4 && near(run.front(), run.back(), 0.01f)) {
                    run.pop_back();
                    closed.push_back(run);
                } else if (run.size() >= 2) {
                    open.push_back(run);
                }
                run.clear();
            }
            if (i == level.segment_count) break;
            if (run.empty()) run.push_back(level.segments[i].a);
            run.push_back(level.segments[i].b);
        }
        for (const std::vector<Vec2>& p : closed) start_inside.push_back(inside(p, level.start));
        has_cave = std::find(start_inside.begin(), start_inside.end(), true) != start_inside.end();
    }

    // Inside every closed run it started inside and outside every other; or,
    // without a cave around the start, on or above one open run within its span.
    bool holds(Vec2 p) const {
        for (size_t i = 0; has_cave && i < closed.size(); ++i) {
            if (inside(closed[i], p) != start_inside[i]) return false;
        }
        return has_cave || std::any_of(open.begin(), open.end(), [p](const std::vector<Vec2>& r) { return on_or_above(r, p); });
    }

    bool has_cave = false;
    std::vector<std::vector<Vec2>> closed, open;
    std::vector<bool> start_inside;

private:
    static bool near(Vec2 a, Vec2 b, float tolerance) { return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance; }

    // Even-odd rule, in double.
    static bool inside(const std::vector<Vec2>& poly, Vec2 p) {
        bool in = false;
        for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
            const double xi = poly[i].x, yi = poly[i].y, xj = poly[j].x, yj = poly[j].y;
            if ((yi > p.y) != (yj > p.y) && p.x < (xj - xi) * (p.y - yi) / (yj - yi) + xi) in = !in;
        }
        return in;
    }

    // y grows downward: "above" is a smaller y than the run's at the same x.
    static bool on_or_above(const std::vector<Vec2>& run, Vec2 p) {
        for (size_t i = 0; i + 1 < run.size(); ++i) {
            const Vec2 a = run[i], b = run[i + 1];
            const double lo = std::min(a.x, b.x), hi = std::max(a.x, b.x);
            if (p.x < lo || p.x > hi || hi == lo) continue;
            if (p.y <= a.y + (double(b.y) - a.y) * (p.x - a.x) / (double(b.x) - a.x) + 1e-3) return true;
        }
        return false;
    }
};
