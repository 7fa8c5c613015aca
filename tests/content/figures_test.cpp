// The fixed figures, the font table, text cells and the two computed lines
// of the world drawing (aim line, rope start).
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "content/shapes.h"
#include "content/text.h"
#include "content/world_draw.h"
#include "physics/ball.h"

namespace {

Vec2 vertex(const LineShape& shape, int32_t i) {
    return Vec2(shape.vertices()[2 * i], shape.vertices()[2 * i + 1]);
}

// Every row in its order with its vertex count; s, o, g and $ share the
// figures of 5, 0, 6 and the gem; nothing else has a glyph.
TEST(Font, RowsCountsAndSharedFigures) {
    const char order[] = "0123456789scorehi/$:gamvpt";
    const float counts[] = {8, 6, 10, 8, 6, 10, 10, 6, 10, 10, 10, 6, 8,
                            10, 8, 6, 6, 2, 16, 4, 10, 8, 8, 4, 8, 4};
    ASSERT_EQ(font_glyph_count, 26);
    for (int32_t i = 0; i < font_glyph_count; ++i) {
        EXPECT_EQ(font_glyphs[i].ch, order[i]) << "row " << i;
        const LineShape* glyph = find_glyph(static_cast<unsigned char>(order[i]));
        ASSERT_NE(glyph, nullptr) << order[i];
        EXPECT_EQ(glyph->count(), counts[i]) << order[i];
        EXPECT_EQ(glyph->vertex_count(), static_cast<int32_t>(counts[i])) << order[i];
    }
    EXPECT_EQ(shape_gem.count(), 16.0f);
    EXPECT_EQ(shape_body.count(), 40.0f);
    EXPECT_EQ(find_glyph('s'), find_glyph('5'));
    EXPECT_EQ(find_glyph('o'), find_glyph('0'));
    EXPECT_EQ(find_glyph('g'), find_glyph('6'));
    EXPECT_EQ(find_glyph('$'), &shape_gem);
    std::set<const LineShape*> distinct;
    for (const FontGlyph& row : font_glyphs) distinct.insert(row.shape);
    EXPECT_EQ(distinct.size(), 23u);
    for (unsigned char c : std::string(" -ASPHn\n\t.\xff\xb0")) EXPECT_EQ(find_glyph(c), nullptr) << int(c);
    EXPECT_EQ(find_glyph(0), nullptr);
}

// Every figure stays inside its unit cell with no line of length zero; the
// body is a closed ring of 16 lines with its hatching inside.
TEST(Figures, KeepToTheirCellsAndTheBodyIsARing) {
    std::set<const LineShape*> figures = {&shape_body};
    for (const FontGlyph& row : font_glyphs) figures.insert(row.shape);
    for (const LineShape* shape : figures) {
        for (int32_t i = 0; i < shape->vertex_count(); ++i) {
            const Vec2 p = vertex(*shape, i);
            EXPECT_TRUE(p.x > 0 && p.x < 1 && p.y > 0 && p.y < 1) << i;
        }
        for (int32_t i = 0; i < shape->vertex_count(); i += 2) {
            EXPECT_GT(length(vertex(*shape, i) - vertex(*shape, i + 1)), 0.04f);
        }
    }
    const Vec2 centre(0.5f, 0.49497625f);
    for (int32_t line = 0; line < 16; ++line) {
        EXPECT_NEAR(length(vertex(shape_body, 2 * line) - centre), 0.1211f, 0.0002f) << line;
        const Vec2 end = vertex(shape_body, 2 * line + 1);
        const Vec2 next = vertex(shape_body, (2 * line + 2) % 32);
        EXPECT_TRUE(end.x == next.x && end.y == next.y) << line;
    }
    for (int32_t i = 32; i < shape_body.vertex_count(); ++i) {
        EXPECT_LT(length(vertex(shape_body, i) - centre), 0.1211f) << i;
    }
}

// Output past 99 characters is cut; "press start" has an empty sixth cell and
// a minus sign leaves a blank one.
TEST(Text, CutAfterNinetyNineCharactersAndEmptyCells) {
    for (size_t n : {0, 1, 99, 100, 1000}) {
        const std::string source(n, 'a');
        char out[text_buffer_size];
        format_text(out, "%s", source.c_str());
        EXPECT_EQ(std::string(out), source.substr(0, 99)) << n;
    }
    char minus[text_buffer_size];
    format_text(minus, "%d$ press start", -5);
    const std::string text(minus);
    ASSERT_EQ(text, "-5$ press start");
    for (size_t i = 0; i < text.size(); ++i) {
        EXPECT_EQ(find_glyph(static_cast<unsigned char>(text[i])) == nullptr, i == 0 || i == 3 || i == 9)
            << "cell " << i;
    }
}

// The aim line runs from the rim to the rope's reach, or collapses onto the
// body with no aim; the rope leaves from the rim, or from the centre when the
// hook gives no direction (never a NaN point).
TEST(WorldLines, AimLineAndRopeStart) {
    Vec2 line[2];
    aim_line(Vec2(3, 2), Vec2(0.6f, -0.8f), line);
    EXPECT_FLOAT_EQ(line[0].x, 3 + 0.6f * 0.125f);
    EXPECT_FLOAT_EQ(line[0].y, 2 - 0.8f * 0.125f);
    EXPECT_NEAR(line[1].x, 3 + 0.6f * 2.2f, 1e-5f);
    EXPECT_NEAR(line[1].y, 2 - 0.8f * 2.2f, 1e-5f);
    aim_line(Vec2(-1.5f, 7), Vec2(0, 0), line);
    for (const Vec2& v : line) EXPECT_TRUE(v.x == -1.5f && v.y == 7.0f);

    Ball ball;
    ball.pos = Vec2(1, 1);
    ball.hook_pos = Vec2(1, 3);
    EXPECT_FLOAT_EQ(rope_line_start(ball).y, 1.125f);
    const Vec2 no_direction[][2] = {{Vec2(3, 2), Vec2(3, 2)},
                                    {Vec2(0, 0), Vec2(1e-30f, 0)},  // squared distance underflows
                                    {Vec2(0, 0), Vec2(0, -1e-25f)}};
    for (const auto& c : no_direction) {
        ball.pos = c[0];
        ball.hook_pos = c[1];
        const Vec2 start = rope_line_start(ball);
        EXPECT_TRUE(start.x == c[0].x && start.y == c[0].y);
    }
}

}  // namespace
