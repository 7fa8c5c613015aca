// The line figures of the game: the record every fixed figure is kept in, the
// vector font, the gem, the body and the pointer cross, and draw_shape.
#pragma once

#include <cstdint>

// A fixed figure drawn as GL_LINES. The figure's data is one flat block of
// f32 values: the vertex count (a whole number stored as a float), then the
// tightly packed (x, y) pairs, vertices 2k and 2k+1 forming line k. The pairs
// are handed unchanged to glVertexPointer(2, GL_FLOAT, 0, ...).
// Coordinates are cell units: the figure sits in the unit square, y downward.
class LineShape {
public:
    constexpr explicit LineShape(const float* block) : block_(block) {}

    float count() const { return block_[0]; }
    // Truncated toward zero, as glDrawArrays wants it.
    int32_t vertex_count() const { return static_cast<int32_t>(block_[0]); }
    const float* vertices() const { return block_ + 1; }

private:
    const float* block_;
};

// One row of the font: a character and its figure.
struct FontGlyph {
    char ch;
    const LineShape* shape;
};

constexpr int32_t font_glyph_count = 26;
extern const FontGlyph font_glyphs[font_glyph_count];

extern const LineShape shape_gem;  // also the glyph of '$'
extern const LineShape shape_body;

// Not a LineShape: 8 bare vertices, pixels around the pointer, no count.
constexpr int32_t cursor_cross_vertex_count = 8;
extern const float cursor_cross[cursor_cross_vertex_count * 2];

// The figure of the first font row whose character equals c (compared as
// unsigned bytes), or null when the font has none: such a character leaves
// an empty cell.
const LineShape* find_glyph(unsigned char c);

// Draws the figure with the current modelview matrix and colour. Changes no
// state but the vertex array pointer; GL_VERTEX_ARRAY must be enabled.
void draw_shape(const LineShape* shape);
