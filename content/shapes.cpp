// The fixed figures of the world and the pointer: the gem, the body and the
// pointer cross.
#include "content/shapes.h"

// The tables are laid out by hand, a row per line.
// clang-format off
namespace {

// Each table: the vertex count, then one row per line (x0, y0, x1, y1) in
// cell units; a blank row separates the strokes.

// The gem: a four-sided outline with two facet strokes inside, centred near
// (0.49, 0.50) of its cell. Also the glyph of '$'.
constexpr float gem_data[] = {
    16.0f,
    0.5088054f,   0.7276835f,    0.2881755f,   0.5186174f,
    0.2881755f,   0.5186174f,    0.4879602f,   0.2750754f,
    0.4879602f,   0.2750754f,    0.6967092f,   0.501538f,
    0.6967092f,   0.501538f,     0.5088054f,   0.7276835f,

    0.4924423f,   0.2781652f,    0.4567281f,   0.5067366f,
    0.4567281f,   0.5067366f,    0.5067281f,   0.7210222f,

    0.2888709f,   0.5210222f,    0.456728f,    0.5031652f,
    0.456728f,    0.5031652f,    0.6888709f,   0.5031651f,
};

// The body: a closed outline of 16 lines around (0.5, 0.495), radius about
// 0.121, then four short hatch strokes inside its left half.
constexpr float body_data[] = {
    40.0f,
    0.62111586f,  0.49497625f,   0.6115931f,   0.5421054f,
    0.6115931f,   0.5421054f,    0.5856289f,   0.5806051f,
    0.5856289f,   0.5806051f,    0.5471293f,   0.6065693f,
    0.5471293f,   0.6065693f,    0.50000006f,  0.6160921f,
    0.50000006f,  0.6160921f,    0.4528709f,   0.6065693f,
    0.4528709f,   0.6065693f,    0.41437122f,  0.5806051f,
    0.41437122f,  0.5806051f,    0.38840702f,  0.5421054f,
    0.38840702f,  0.5421054f,    0.3788843f,   0.49497625f,
    0.3788843f,   0.49497625f,   0.38840702f,  0.44784707f,
    0.38840702f,  0.44784707f,   0.41437122f,  0.4093474f,
    0.41437122f,  0.4093474f,    0.4528709f,   0.3833832f,
    0.4528709f,   0.3833832f,    0.50000006f,  0.37386048f,
    0.50000006f,  0.37386048f,   0.5471293f,   0.3833832f,
    0.5471293f,   0.3833832f,    0.5856289f,   0.4093474f,
    0.5856289f,   0.4093474f,    0.6115931f,   0.44784707f,
    0.6115931f,   0.44784707f,   0.62111586f,  0.49497625f,

    0.38711756f,  0.45229015f,   0.4408664f,   0.4254157f,

    0.38370386f,  0.521079f,     0.4402338f,   0.49281406f,

    0.4102616f,   0.5748822f,    0.47107536f,  0.5444753f,

    0.47020194f,  0.6119941f,    0.5341153f,   0.58003736f,
};

}  // namespace

const LineShape shape_gem(gem_data);
const LineShape shape_body(body_data);

// Four lines, each from a corner inward, in pixels around the pointer.
const float cursor_cross[cursor_cross_vertex_count * 2] = {
    -6.0f, -6.0f,  -2.0f, -2.0f,
     6.0f, -6.0f,   2.0f, -2.0f,
    -6.0f,  6.0f,  -2.0f,  2.0f,
     6.0f,  6.0f,   2.0f,  2.0f,
};
// clang-format on
