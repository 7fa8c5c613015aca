// The browser's line renderer: the OpenGL 1.x calls of web/gl/GL/gl.h on
// WebGL. Every GL_LINES segment becomes a quad in window pixels; each
// fragment is lit by how much of its pixel the line covers, so lines are as
// wide and as soft as the desktop's smooth 2-pixel lines (Mesa), and the
// stipple's dashes are such short lines of their own, counted in window
// pixels along the line as Mesa counts them for smooth lines.
// Segments are gathered in one buffer and drawn in as few calls as the state
// changes allow (one per frame in the game).
#include "web/line_renderer.h"

#include <GLES2/gl2.h>
#include <cmath>
#include <cstring>

// The game-facing names, declared here without the header's renaming macros
// (this file needs WebGL's own glEnable and the like).
extern "C" {
void web_glEnable(GLenum cap);
void web_glDisable(GLenum cap);
void web_glEnableClientState(GLenum array);
void web_glLineWidth(GLfloat width);
void web_glLineStipple(GLint factor, GLushort pattern);
void web_glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a);
void web_glClear(GLbitfield mask);
void web_glViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void web_glMatrixMode(GLenum mode);
void web_glLoadIdentity(void);
void web_glOrtho(double left, double right, double bottom, double top, double near_val,
                 double far_val);
void web_glPushMatrix(void);
void web_glPopMatrix(void);
void web_glTranslatef(GLfloat x, GLfloat y, GLfloat z);
void web_glScalef(GLfloat x, GLfloat y, GLfloat z);
void web_glBlendFunc(GLenum sfactor, GLenum dfactor);
void web_glColor4fv(const GLfloat* v);
void web_glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer);
void web_glDrawArrays(GLenum mode, GLint first, GLsizei count);
}

namespace {

constexpr GLenum gl_line_smooth = 0x0B20;
constexpr GLenum gl_line_stipple = 0x0B24;
constexpr GLenum gl_modelview = 0x1700;

// Room for this many segments before a batch must be drawn: 4 vertices each
// keeps every index within 16 bits.
constexpr int max_segments = 16384;
constexpr int floats_per_vertex = 6;    // window x, y; across; along; length; stipple factor
constexpr int matrix_stack_depth = 32;  // OpenGL guarantees at least 32 modelview entries

// How far the quad reaches beyond the line's own half width, window pixels:
// the last, partly covered pixel of the soft edge.
constexpr float edge_pixels = 1.0f;

const char* const vertex_source = R"(
attribute vec2 a_pos;
attribute vec4 a_line;
uniform vec2 u_viewport;
varying vec4 v_line;
void main() {
    v_line = a_line;
    gl_Position = vec4(a_pos / u_viewport * 2.0 - 1.0, 0.0, 1.0);
}
)";

// A fragment's coverage is the overlap of its pixel, one unit wide, with the
// line: across, with the band of the line's width; along, with the segment
// itself (the ends stop at the end points) and, when stippled, with the lit
// runs of the pattern: bit (distance / factor) mod 16, counted in window
// pixels along the line from its first point. a_line.w is the factor, or
// below zero for no stipple.
const char* const fragment_source = R"(
precision highp float;
uniform vec4 u_color;
uniform float u_half_width;
uniform float u_pattern;
varying vec4 v_line;
float overlap(float a, float start, float end) {
    return clamp(min(a + 0.5, end) - max(a - 0.5, start), 0.0, 1.0);
}
float lit(float bit) {
    return mod(floor(u_pattern / exp2(mod(bit, 16.0))), 2.0);
}
void main() {
    float a = v_line.y;
    float across = overlap(abs(v_line.x), -u_half_width, u_half_width);
    float along = overlap(a, 0.0, v_line.z);
    float factor = v_line.w;
    if (factor > 0.0) {
        float first = floor((a - 0.5) / factor);
        float second = floor((a + 0.5) / factor);
        float stipple = lit(first) * overlap(a, first * factor, first * factor + factor);
        if (second != first) {
            stipple += lit(second) * overlap(a, second * factor, second * factor + factor);
        }
        along = min(along, stipple);
    }
    gl_FragColor = vec4(u_color.rgb, u_color.a * across * along);
}
)";

struct Matrix {
    float m[16];  // column-major, as OpenGL keeps it

    static Matrix identity() {
        Matrix r{};
        r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1.0f;
        return r;
    }
    Matrix operator*(const Matrix& b) const {
        Matrix r{};
        for (int c = 0; c < 4; ++c) {
            for (int row = 0; row < 4; ++row) {
                float s = 0.0f;
                for (int k = 0; k < 4; ++k) s = s + m[k * 4 + row] * b.m[c * 4 + k];
                r.m[c * 4 + row] = s;
            }
        }
        return r;
    }
};

struct MatrixStack {
    Matrix entries[matrix_stack_depth];
    int top = 0;
    Matrix& current() { return entries[top]; }
};

struct State {
    bool ready = false;
    GLuint program = 0;
    GLuint vertex_buffer = 0;
    GLuint index_buffer = 0;
    GLint u_viewport = -1, u_color = -1, u_half_width = -1, u_pattern = -1;

    MatrixStack projection;
    MatrixStack modelview;
    MatrixStack* mode = &modelview;
    GLint viewport[4] = {0, 0, 0, 0};
    float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float line_width = 1.0f;
    bool stipple = false;
    int stipple_factor = 1;
    unsigned stipple_pattern = 0xffffu;
    const float* vertices = nullptr;

    // The batch, and the uniforms it will be drawn with.
    float batch[max_segments * 4 * floats_per_vertex];
    int segments = 0;
    float batch_color[4] = {0, 0, 0, 0};
    float batch_width = 0.0f;
    unsigned batch_pattern = 0;
    int draw_calls = 0;
};

State state;

GLuint compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// Made on first use: the WebGL context exists only once the video mode is set.
void prepare() {
    if (state.ready) return;
    state.ready = true;
    state.projection.entries[0] = Matrix::identity();
    state.modelview.entries[0] = Matrix::identity();
    state.program = glCreateProgram();
    glAttachShader(state.program, compile(GL_VERTEX_SHADER, vertex_source));
    glAttachShader(state.program, compile(GL_FRAGMENT_SHADER, fragment_source));
    glBindAttribLocation(state.program, 0, "a_pos");
    glBindAttribLocation(state.program, 1, "a_line");
    glLinkProgram(state.program);
    glUseProgram(state.program);
    state.u_viewport = glGetUniformLocation(state.program, "u_viewport");
    state.u_color = glGetUniformLocation(state.program, "u_color");
    state.u_half_width = glGetUniformLocation(state.program, "u_half_width");
    state.u_pattern = glGetUniformLocation(state.program, "u_pattern");

    static GLushort indices[max_segments * 6];
    for (int i = 0; i < max_segments; ++i) {
        const GLushort v = static_cast<GLushort>(i * 4);
        const GLushort quad[6] = {v, static_cast<GLushort>(v + 1), static_cast<GLushort>(v + 2),
                                  static_cast<GLushort>(v + 2), static_cast<GLushort>(v + 1),
                                  static_cast<GLushort>(v + 3)};
        std::memcpy(&indices[i * 6], quad, sizeof quad);
    }
    glGenBuffers(1, &state.index_buffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, state.index_buffer);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof indices, indices, GL_STATIC_DRAW);
    glGenBuffers(1, &state.vertex_buffer);
    glBindBuffer(GL_ARRAY_BUFFER, state.vertex_buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof state.batch, nullptr, GL_DYNAMIC_DRAW);
    const GLsizei stride = floats_per_vertex * sizeof(float);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, stride, nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(2 * sizeof(float)));
}

// The batch's uniforms must match the state a new segment is drawn with.
bool batch_state_differs() {
    return std::memcmp(state.batch_color, state.color, sizeof state.color) != 0 ||
           state.batch_width != state.line_width ||
           (state.stipple && state.batch_pattern != state.stipple_pattern);
}

void project(const Matrix& mvp, const float* v, float& wx, float& wy) {
    const float* m = mvp.m;
    const float cx = m[0] * v[0] + m[4] * v[1] + m[12];
    const float cy = m[1] * v[0] + m[5] * v[1] + m[13];
    const float cw = m[3] * v[0] + m[7] * v[1] + m[15];
    wx = (cx / cw + 1.0f) * 0.5f * static_cast<float>(state.viewport[2]) + static_cast<float>(state.viewport[0]);
    wy = (cy / cw + 1.0f) * 0.5f * static_cast<float>(state.viewport[3]) + static_cast<float>(state.viewport[1]);
}

void add_segment(float x0, float y0, float x1, float y1) {
    const float dx = x1 - x0;
    const float dy = y1 - y0;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (!(length > 0.0f)) return;  // nothing of a point or a NaN reaches the screen
    const float ux = dx / length;
    const float uy = dy / length;
    const float reach = state.line_width * 0.5f + edge_pixels;

    float* out = &state.batch[state.segments * 4 * floats_per_vertex];
    for (int end = 0; end < 2; ++end) {
        const float along = end == 0 ? -reach : length + reach;
        for (int side = 0; side < 2; ++side) {
            const float across = side == 0 ? -reach : reach;
            out[0] = x0 + ux * along - uy * across;
            out[1] = y0 + uy * along + ux * across;
            out[2] = across;
            out[3] = along;
            out[4] = length;
            out[5] = state.stipple ? static_cast<float>(state.stipple_factor) : -1.0f;
            out += floats_per_vertex;
        }
    }
    ++state.segments;
}

}  // namespace

void line_renderer_flush() {
    if (state.segments == 0) return;
    prepare();
    glUseProgram(state.program);
    glBindBuffer(GL_ARRAY_BUFFER, state.vertex_buffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, state.index_buffer);
    glBufferSubData(GL_ARRAY_BUFFER, 0,
                    state.segments * 4 * floats_per_vertex * static_cast<GLsizeiptr>(sizeof(float)),
                    state.batch);
    glUniform2f(state.u_viewport, static_cast<float>(state.viewport[2]),
                static_cast<float>(state.viewport[3]));
    glUniform4fv(state.u_color, 1, state.batch_color);
    glUniform1f(state.u_half_width, state.batch_width * 0.5f);
    glUniform1f(state.u_pattern, static_cast<float>(state.batch_pattern));
    glDrawElements(GL_TRIANGLES, state.segments * 6, GL_UNSIGNED_SHORT, nullptr);
    ++state.draw_calls;
    state.segments = 0;
}

int line_renderer_take_draw_calls() {
    const int n = state.draw_calls;
    state.draw_calls = 0;
    return n;
}

extern "C" {

void web_glEnable(GLenum cap) {
    prepare();
    if (cap == gl_line_stipple) {
        state.stipple = true;
    } else if (cap == GL_BLEND) {
        line_renderer_flush();
        glEnable(GL_BLEND);
    }
    // Every line is smoothed: GL_LINE_SMOOTH needs nothing more.
    (void)gl_line_smooth;
}

void web_glDisable(GLenum cap) {
    prepare();
    if (cap == gl_line_stipple) {
        state.stipple = false;
    } else if (cap == GL_BLEND) {
        line_renderer_flush();
        glDisable(GL_BLEND);
    }
}

// Vertex arrays are the only way the game hands over vertices.
void web_glEnableClientState(GLenum) {}

void web_glLineWidth(GLfloat width) { state.line_width = width; }

void web_glLineStipple(GLint factor, GLushort pattern) {
    state.stipple_factor = factor < 1 ? 1 : (factor > 256 ? 256 : factor);
    state.stipple_pattern = pattern;
}

void web_glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    prepare();
    glClearColor(r, g, b, a);
}

void web_glClear(GLbitfield mask) {
    line_renderer_flush();
    glClear(mask);
}

void web_glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    line_renderer_flush();
    state.viewport[0] = x;
    state.viewport[1] = y;
    state.viewport[2] = width;
    state.viewport[3] = height;
    glViewport(x, y, width, height);
}

void web_glMatrixMode(GLenum mode) {
    prepare();
    state.mode = mode == gl_modelview ? &state.modelview : &state.projection;
}

void web_glLoadIdentity(void) {
    prepare();
    state.mode->current() = Matrix::identity();
}

void web_glOrtho(double left, double right, double bottom, double top, double near_val,
                 double far_val) {
    prepare();
    Matrix o = Matrix::identity();
    o.m[0] = static_cast<float>(2.0 / (right - left));
    o.m[5] = static_cast<float>(2.0 / (top - bottom));
    o.m[10] = static_cast<float>(-2.0 / (far_val - near_val));
    o.m[12] = static_cast<float>(-(right + left) / (right - left));
    o.m[13] = static_cast<float>(-(top + bottom) / (top - bottom));
    o.m[14] = static_cast<float>(-(far_val + near_val) / (far_val - near_val));
    state.mode->current() = state.mode->current() * o;
}

void web_glPushMatrix(void) {
    prepare();
    MatrixStack& s = *state.mode;
    if (s.top + 1 >= matrix_stack_depth) return;  // OpenGL's stack overflow: ignored
    s.entries[s.top + 1] = s.entries[s.top];
    ++s.top;
}

void web_glPopMatrix(void) {
    prepare();
    MatrixStack& s = *state.mode;
    if (s.top > 0) --s.top;
}

void web_glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    prepare();
    Matrix t = Matrix::identity();
    t.m[12] = x;
    t.m[13] = y;
    t.m[14] = z;
    state.mode->current() = state.mode->current() * t;
}

void web_glScalef(GLfloat x, GLfloat y, GLfloat z) {
    prepare();
    Matrix s = Matrix::identity();
    s.m[0] = x;
    s.m[5] = y;
    s.m[10] = z;
    state.mode->current() = state.mode->current() * s;
}

void web_glBlendFunc(GLenum sfactor, GLenum dfactor) {
    line_renderer_flush();
    glBlendFunc(sfactor, dfactor);
}

void web_glColor4fv(const GLfloat* v) { std::memcpy(state.color, v, sizeof state.color); }

// Only two floats per vertex, tightly packed, as the game's arrays are.
void web_glVertexPointer(GLint, GLenum, GLsizei, const void* pointer) {
    state.vertices = static_cast<const float*>(pointer);
}

void web_glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    prepare();
    if (mode != GL_LINES || state.vertices == nullptr) return;
    if (state.segments > 0 && batch_state_differs()) line_renderer_flush();
    std::memcpy(state.batch_color, state.color, sizeof state.color);
    state.batch_width = state.line_width;
    if (state.stipple) state.batch_pattern = state.stipple_pattern;
    const Matrix mvp = state.projection.current() * state.modelview.current();
    for (GLsizei i = 0; i + 1 < count; i += 2) {
        if (state.segments == max_segments) line_renderer_flush();
        const float* v = state.vertices + 2 * (first + i);
        float x0, y0, x1, y1;
        project(mvp, v, x0, y0);
        project(mvp, v + 2, x1, y1);
        add_segment(x0, y0, x1, y1);
    }
}

}  // extern "C"
