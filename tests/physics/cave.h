// Test helper: the caves of a level's walls as polygons, and the check that a
// body is still in the cave it started in.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include "physics/level.h"

class CaveCheck {
public:
    // Runs of walls where each begins at the previous end; a run whose ends
    // meet (within 0.01) is a closed outline.
    explicit CaveCheck(const LevelData& level) {
        std::vector<Vec2> run;
        for (int32_t i = 0; i < level.segment_count; ++i) {
            const Segment& s = level.segments[i];
            if (!run.empty() && !same_point(run.back(), s.a, 1e-5f)) finish(run);
            if (run.empty()) run.push_back(s.a);
            run.push_back(s.b);
        }
        finish(run);
        for (const std::vector<Vec2>& p : closed) start_inside.push_back(inside(p, level.start));
        has_cave = std::find(start_inside.begin(), start_inside.end(), true) != start_inside.end();
    }

    // Inside every closed run it started inside and outside every other; or,
    // without a cave around the start, on or above one open run within its span.
    bool holds(Vec2 p) const {
        if (has_cave) {
            for (size_t i = 0; i < closed.size(); ++i) {
                if (inside(closed[i], p) != start_inside[i]) return false;
            }
            return true;
        }
        for (const std::vector<Vec2>& r : open) {
            if (on_or_above(r, p)) return true;
        }
        return false;
    }

    bool has_cave = false;
    std::vector<std::vector<Vec2>> closed;
    std::vector<std::vector<Vec2>> open;
    std::vector<bool> start_inside;

private:
    static bool same_point(Vec2 a, Vec2 b, float tolerance) {
        return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance;
    }

    void finish(std::vector<Vec2>& run) {
        if (run.size() >= 4 && same_point(run.front(), run.back(), 0.01f)) {
            run.pop_back();
            closed.push_back(run);
        } else if (run.size() >= 2) {
            open.push_back(run);
        }
        run.clear();
    }

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
            const double y = a.y + (double(b.y) - a.y) * (p.x - a.x) / (double(b.x) - a.x);
            if (p.y <= y + 1e-3) return true;
        }
        return false;
    }
};
