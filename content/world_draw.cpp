// Drawing the world in world units: the level's lines and gems, the body,
// its dashed aim line and its rope.
#include "content/world_draw.h"

#include <GL/gl.h>

#include "content/shapes.h"
#include "physics/ball.h"
#include "physics/level.h"

namespace {

// The figures' cells are one world unit; this puts a cell's centre on a point.
constexpr float cell_centre = 0.5f;

// Stipple of the aim line: 4 lit window pixels in every 16.
constexpr GLint aim_stipple_factor = 4;
constexpr GLushort aim_stipple_pattern = 0x4444;

void draw_figure_at(const LineShape& shape, Vec2 centre) {
    glPushMatrix();
    glTranslatef(centre.x - cell_centre, centre.y - cell_centre, 0.0f);
    draw_shape(&shape);
    glPopMatrix();
}

}  // namespace

void aim_line(Vec2 pos, Vec2 aim, Vec2 out[2]) {
    out[0] = pos + aim * body_radius;
    out[1] = out[0] + aim * aim_line_length;
}

void LevelState::draw() const {
    glVertexPointer(2, GL_FLOAT, 0, data->line_vertices);
    glDrawArrays(GL_LINES, 0, data->line_vertex_count);
    for (int32_t i = 0; i < data->gem_count; ++i) {
        if (gem_present[i] != 0) draw_figure_at(shape_gem, data->gems[i]);
    }
}

void Ball::draw(bool playing) const {
    draw_figure_at(shape_body, pos);
    if (!playing) return;

    // Both lines go out from this array: the rope reuses the pointer set for
    // the aim line.
    Vec2 line[2];
    aim_line(pos, aim, line);
    glLineStipple(aim_stipple_factor, aim_stipple_pattern);
    glEnable(GL_LINE_STIPPLE);
    glVertexPointer(2, GL_FLOAT, 0, line);
    glDrawArrays(GL_LINES, 0, 2);
    glDisable(GL_LINE_STIPPLE);

    if (rope_state != Idle) {
        // From the rim toward the hook; from the centre when the hook lies
        // there, so no NaN vertex is ever drawn.
        line[0] = rope_line_start(*this);
        line[1] = hook_pos;
        glDrawArrays(GL_LINES, 0, 2);
    }
}
