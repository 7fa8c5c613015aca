// The frame: clear, pixel projection, pointer cross and HUD texts, then the
// camera, the level and the body; and the one-time line state they rely on.
#include "app/frame_draw.h"

#include <GL/gl.h>
#include <SDL.h>

#include "app/globals.h"
#include "app/hud.h"
#include "content/shapes.h"
#include "content/text.h"
#include "physics/ball.h"
#include "physics/level.h"

namespace {

constexpr float line_width = 2.0f;  // pixels

// A very dark green background, and the one colour of every line: drawn with
// additive blending, overlapping and smoothed lines add up to brighter light.
constexpr GLfloat background_rgba[4] = {0.0f, 0.1f, 0.0f, 0.0f};
constexpr GLfloat line_rgba[4] = {0.8f, 1.0f, 0.8f, 0.3f};

constexpr GLdouble depth_range = 1000.0;   // the pixel projection's near/far
constexpr float pixels_per_unit = 100.0f;  // at zoom 1

void set_pixel_projection() {
    glViewport(0, 0, screen_width, screen_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, screen_width, screen_height, 0.0, -depth_range, depth_range);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void draw_pointer_cross(Vec2 pointer) {
    glPushMatrix();
    glTranslatef(pointer.x, pointer.y, 0.0f);
    glVertexPointer(2, GL_FLOAT, 0, cursor_cross);
    glDrawArrays(GL_LINES, 0, cursor_cross_vertex_count);
    glPopMatrix();
}

void draw_hud(const GameFlow& flow, const LevelState& level) {
    const HudTexts hud = hud_texts(
        flow, HudInputs{screen_width, screen_height, score, hi_score, level.gems_remaining()});
    for (int32_t i = 0; i < hud.count; ++i) {
        const HudText& t = hud.texts[i];
        draw_text(t.pos, t.format, t.first, t.second);
    }
}

// Puts the body at the centre of the screen, zoom x 100 pixels per unit. The
// screen halves are integers; each product and sum is rounded to f32.
void set_camera(const GameFlow& flow, Vec2 body) {
    const float tx = body.x * -pixels_per_unit + static_cast<float>(screen_width / 2) / flow.zoom;
    const float ty = body.y * -pixels_per_unit + static_cast<float>(screen_height / 2) / flow.zoom;
    glScalef(flow.zoom, flow.zoom, 1.0f);
    glTranslatef(tx, ty, 0.0f);
    glScalef(pixels_per_unit, pixels_per_unit, 1.0f);
}

}  // namespace

void init_gl_state() {
    glEnable(GL_LINE_SMOOTH);
    glLineWidth(line_width);
    glEnableClientState(GL_VERTEX_ARRAY);
}

void render_frame(const GameFlow& flow, const LevelState& level, const Ball& ball,
                  Vec2 pointer, bool joystick_open) {
    glClearColor(background_rgba[0], background_rgba[1], background_rgba[2], background_rgba[3]);
    glClear(GL_COLOR_BUFFER_BIT);
    set_pixel_projection();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4fv(line_rgba);

    // With a joystick the pointer aims nothing, so it is not shown.
    if (!joystick_open) draw_pointer_cross(pointer);
    draw_hud(flow, level);

    // The camera stays on the modelview stack; the next frame loads the identity.
    set_camera(flow, ball.position());
    level.draw();
    ball.draw(flow.state == Playing);
}

void draw_frame(const GameFlow& flow, const LevelState& level, const Ball& ball,
                Vec2 pointer, bool joystick_open) {
    render_frame(flow, level, ball, pointer, joystick_open);
    SDL_GL_SwapBuffers();
}
