// Formatted vector text: printf-style lines of font glyphs, one cell each.
#pragma once

#include <cstdarg>
#include <cstddef>

#include "physics/vec2.h"

// Bytes of the stack buffer a text is formatted into: at most 99 characters
// and the terminating NUL; longer output is cut after its 99th character.
constexpr size_t text_buffer_size = 100;

// Size of one glyph cell in the caller's units (pixels in the HUD).
constexpr float text_cell_size = 20.0f;

// Formats into out (text_buffer_size bytes), cutting as draw_text does.
void format_text(char (&out)[text_buffer_size], const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void format_text_v(char (&out)[text_buffer_size], const char* format, va_list args)
    __attribute__((format(printf, 2, 0)));

// Draws the formatted text as one left-aligned line whose first cell has its
// top left corner at pos. Every character takes one cell, drawn or not: one
// without a glyph (space, capitals, a minus sign...) leaves the cell empty.
// The modelview matrix is the same on return as on entry.
void draw_text(const Vec2& pos, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
