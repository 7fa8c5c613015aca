// Formatting and drawing the vector text of the HUD.
#include "content/text.h"

#include <GL/gl.h>
#include <cstdio>

#include "content/shapes.h"

void format_text_v(char (&out)[text_buffer_size], const char* format, va_list args) {
    // An output error leaves the buffer's contents unknown: draw nothing then.
    if (vsnprintf(out, text_buffer_size, format, args) < 0) out[0] = '\0';
}

void format_text(char (&out)[text_buffer_size], const char* format, ...) {
    va_list args;
    va_start(args, format);
    format_text_v(out, format, args);
    va_end(args);
}

void draw_text(const Vec2& pos, const char* format, ...) {
    char text[text_buffer_size];
    va_list args;
    va_start(args, format);
    format_text_v(text, format, args);
    va_end(args);

    glPushMatrix();
    glTranslatef(pos.x, pos.y, 0.0f);
    glScalef(text_cell_size, text_cell_size, 1.0f);
    for (const char* c = text; *c != '\0'; ++c) {
        const LineShape* glyph = find_glyph(static_cast<unsigned char>(*c));
        if (glyph != nullptr) draw_shape(glyph);
        glTranslatef(1.0f, 0.0f, 0.0f);
    }
    glPopMatrix();
}
