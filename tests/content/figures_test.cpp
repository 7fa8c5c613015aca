// The figures, the font, text cut to its buffer, the aim line and rope start.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "content/shapes.h"
#include "content/text.h"
#include "content/world_draw.h"
#include "physics/ball.h"

namespace {

Vec2 vertex(const LineShape& shape, int32_t i) { return Vec2(shape.vertices()[2 * i], shape.vertices()[2 * i + 1]); }
bool same(Vec2 a, Vec2 b) { return a.x == b.x && a.y == b.y; }

// Every row in its order with its vertex count (a whole number, also as the
// stored float); s, o, g and $ share the figures of 5, 0, 6 and the gem, and
// nothing else has a glyph (a minus sign or a space leaves its cell empty).
// Every figure stays inside its unit cell with no line shorter than 0.04.
TEST(Font, RowsCountsAndEveryFigureInItsCell) {
    const std::string order = "0123456789scorehi/$:gamvpt";
    const int counts[] = {8, 6, 10, 8, 6, 10, 10, 6, 10, 10, 10, 6, 8, 10, 8, 6, 6, 2, 16, 4, 10, 8, 8, 4, 8, 4};
    ASSERT_EQ(font_glyph_count, 26);
    std::set<const LineShape*> figures = {&shape_body};
    for (int32_t i = 0; i < font_glyph_count; ++i) {
        EXPECT_EQ(font_glyphs[i].ch, order[i]) << "row " << i;
        const LineShape* glyph = find_glyph(static_cast<unsigned char>(order[i]));
        ASSERT_NE(glyph, nullptr) << order[i];
        EXPECT_EQ(glyph->count(), static_cast<float>(counts[i])) << order[i];
        EXPECT_EQ(glyph->vertex_count(), counts[i]) << order[i];
        figures.insert(font_glyphs[i].shape);
    }
    EXPECT_EQ(figures.size(), 24u);  // 23 distinct glyphs and the body
    EXPECT_EQ(shape_gem.count(), 16.0f);
    EXPECT_EQ(shape_body.count(), 40.0f);
    EXPECT_TRUE(find_glyph('s') == find_glyph('5') && find_glyph('o') == find_glyph('0') && find_glyph('g') == find_glyph('6'));
    EXPECT_EQ(find_glyph('$'), &shape_gem);
    for (unsigned char c : std::string(" -ASPHn\n\t.\xff\xb0", 13)) EXPECT_EQ(find_glyph(c), nullptr) << int(c);
    char text[text_buffer_size];  // cut after 99 characters
    format_text(text, "%s%d", std::string(98, 'a').c_str(), -5);
    EXPECT_EQ(std::string(text), std::string(98, 'a') + "-");
    for (const LineShape* shape : figures) {
        for (int32_t i = 0; i < shape->vertex_count(); ++i) {
            const Vec2 p = vertex(*shape, i);
            EXPECT_TRUE(p.x > 0 && p.x < 1 && p.y > 0 && p.y < 1) << i;
            EXPECT_TRUE(i % 2 == 0 || length(p - vertex(*shape, i - 1)) > 0.04f) << i;
        }
    }
}

// A closed ring of 16 lines, each end the next line's start, 0.1211 from the
// centre, with the hatching inside.
TEST(Figures, BodyIsAClosedRingWithHatchingInside) {
    const Vec2 centre(0.5f, 0.49497625f);
    for (int32_t line = 0; line < 16; ++line) {
        EXPECT_NEAR(length(vertex(shape_body, 2 * line) - centre), 0.1211f, 0.0002f) << line;
        EXPECT_TRUE(same(vertex(shape_body, 2 * line + 1), vertex(shape_body, (2 * line + 2) % 32))) << line;
    }
    for (int32_t i = 32; i < shape_body.vertex_count(); ++i) EXPECT_LT(length(vertex(shape_body, i) - centre), 0.1211f) << i;
}

// The aim line runs from the rim to the rope's reach, or collapses onto the
// body with no aim; the rope leaves from the rim, or from the centre when the
// hook gives no direction (never a NaN point).
TEST(WorldLines, AimLineAndRopeStart) {
    Vec2 line[2];
    aim_line(Vec2(3, 2), Vec2(0.6f, -0.8f), line);
    EXPECT_TRUE(length(line[0] - Vec2(3.075f, 1.9f)) < 1e-6f && length(line[1] - Vec2(3 + 0.6f * 2.2f, 2 - 0.8f * 2.2f)) < 1e-5f)
        << line[0].x << ", " << line[0].y << " to " << line[1].x << ", " << line[1].y;
    aim_line(Vec2(-1.5f, 7), Vec2(0, 0), line);
    EXPECT_TRUE(same(line[0], Vec2(-1.5f, 7)) && same(line[1], Vec2(-1.5f, 7)));
    Ball ball;
    const Vec2 cases[][3] = {{Vec2(1, 1), Vec2(1, 3), Vec2(1, 1.125f)},
                             {Vec2(3, 2), Vec2(3, 2), Vec2(3, 2)},
                             {Vec2(0, 0), Vec2(1e-30f, 0), Vec2(0, 0)},  // squared distance underflows
                             {Vec2(0, 0), Vec2(0, -1e-25f), Vec2(0, 0)}};
    for (const auto& c : cases) {
        ball.pos = c[0], ball.hook_pos = c[1];
        EXPECT_TRUE(same(rope_line_start(ball), c[2])) << c[1].x << ", " << c[1].y;
    }
}

}  // namespace
