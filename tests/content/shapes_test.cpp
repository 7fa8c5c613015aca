// The fixed figures and the font table: vertex counts, shared figures, the
// order of the rows and the geometry every figure must keep.
#include "content/shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

namespace {

struct Point {
    float x;
    float y;
};

Point vertex(const LineShape& shape, int32_t i) {
    return Point{shape.vertices()[2 * i], shape.vertices()[2 * i + 1]};
}

float distance(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

TEST(Font, RowsStandInTheirOrder) {
    const char order[] = "0123456789scorehi/$:gamvpt";
    ASSERT_EQ(std::strlen(order), static_cast<size_t>(font_glyph_count));
    for (int32_t i = 0; i < font_glyph_count; ++i) {
        EXPECT_EQ(font_glyphs[i].ch, order[i]) << "row " << i;
        EXPECT_NE(font_glyphs[i].shape, nullptr) << "row " << i;
    }
}

TEST(Font, VertexCountOfEveryGlyph) {
    const struct {
        char ch;
        float count;
    } cases[] = {
        {'0', 8}, {'1', 6}, {'2', 10}, {'3', 8}, {'4', 6}, {'5', 10}, {'6', 10},
        {'7', 6}, {'8', 10}, {'9', 10}, {'s', 10}, {'c', 6}, {'o', 8}, {'r', 10},
        {'e', 8}, {'h', 6}, {'i', 6}, {'/', 2}, {'$', 16}, {':', 4}, {'g', 10},
        {'a', 8}, {'m', 8}, {'v', 4}, {'p', 8}, {'t', 4},
    };
    for (const auto& c : cases) {
        const LineShape* glyph = find_glyph(static_cast<unsigned char>(c.ch));
        ASSERT_NE(glyph, nullptr) << c.ch;
        EXPECT_EQ(glyph->count(), c.count) << c.ch;
        EXPECT_EQ(glyph->vertex_count(), static_cast<int32_t>(c.count)) << c.ch;
    }
    EXPECT_EQ(shape_gem.count(), 16.0f);
    EXPECT_EQ(shape_body.count(), 40.0f);
}

TEST(Font, LookalikeCharactersShareOneFigure) {
    EXPECT_EQ(find_glyph('s'), find_glyph('5'));
    EXPECT_EQ(find_glyph('o'), find_glyph('0'));
    EXPECT_EQ(find_glyph('g'), find_glyph('6'));
    EXPECT_EQ(find_glyph('$'), &shape_gem);
    // Every other row has a figure of its own: 26 rows, 4 of them shared.
    std::set<const LineShape*> distinct;
    for (const FontGlyph& row : font_glyphs) distinct.insert(row.shape);
    EXPECT_EQ(distinct.size(), 23u);
    EXPECT_EQ(distinct.count(&shape_body), 0u);
}

TEST(Font, CharactersWithoutARowHaveNoGlyph) {
    for (unsigned char c : std::string(" -ASPHn\n\t.")) {
        EXPECT_EQ(find_glyph(c), nullptr) << int(c);
    }
    EXPECT_EQ(find_glyph(0), nullptr);
    // Bytes above 127 are compared unsigned and match nothing.
    EXPECT_EQ(find_glyph(0xff), nullptr);
    EXPECT_EQ(find_glyph(0xb0), nullptr);
}

TEST(Figures, EveryVertexLiesInItsCell) {
    std::set<const LineShape*> figures = {&shape_body};
    for (const FontGlyph& row : font_glyphs) figures.insert(row.shape);
    for (const LineShape* shape : figures) {
        ASSERT_EQ(shape->vertex_count() % 2, 0);
        ASSERT_EQ(static_cast<float>(shape->vertex_count()), shape->count());
        for (int32_t i = 0; i < shape->vertex_count(); ++i) {
            const Point p = vertex(*shape, i);
            EXPECT_GT(p.x, 0.0f);
            EXPECT_LT(p.x, 1.0f);
            EXPECT_GT(p.y, 0.0f);
            EXPECT_LT(p.y, 1.0f);
        }
        // No line of a figure has length zero: each one is seen.
        for (int32_t i = 0; i < shape->vertex_count(); i += 2) {
            EXPECT_GT(distance(vertex(*shape, i), vertex(*shape, i + 1)), 0.04f);
        }
    }
}

TEST(Figures, BodyIsAClosedRingWithHatchingInside) {
    const Point centre{0.5f, 0.49497625f};
    constexpr int32_t ring_lines = 16;
    for (int32_t line = 0; line < ring_lines; ++line) {
        const Point a = vertex(shape_body, 2 * line);
        const Point b = vertex(shape_body, 2 * line + 1);
        EXPECT_NEAR(distance(a, centre), 0.1211f, 0.0002f) << "line " << line;
        // Each line starts where the previous one ended, the last closing
        // on the first.
        const Point next = vertex(shape_body, (2 * line + 2) % (2 * ring_lines));
        EXPECT_EQ(b.x, next.x) << "line " << line;
        EXPECT_EQ(b.y, next.y) << "line " << line;
    }
    for (int32_t i = 2 * ring_lines; i < shape_body.vertex_count(); ++i) {
        EXPECT_LT(distance(vertex(shape_body, i), centre), 0.1211f) << "vertex " << i;
    }
}

}  // namespace
