// Real frames of the game's drawing, compared pixel for pixel with a picture
// the test draws itself from the figures: every HUD text at its place, the
// pointer cross, and the world under the camera at its zoom, with the aim line
// and the rope only while playing.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "content/shapes.h"
#include "tests/window/draw_window.h"

namespace {

class WorldDraw : public DrawWindow {};

// Every figure, the font's characters and the pointer cross as the game
// holds them, hashed. They were checked once against the figures the game is
// drawn with; the pictures below take their lines from this data.
TEST_F(WorldDraw, FiguresAreTheGamesOwn) {
    uint64_t h = 1469598103934665603ull;  // FNV-1a over the values' bits
    auto add = [&h](const float* values, int32_t count) {
        for (int32_t i = 0; i < count; ++i) {
            uint32_t bits;
            std::memcpy(&bits, &values[i], sizeof bits);
            h = (h ^ bits) * 1099511628211ull;
        }
    };
    for (const FontGlyph& row : font_glyphs) {
        const float ch = static_cast<unsigned char>(row.ch);
        add(&ch, 1);
        add(row.shape->vertices() - 1, row.shape->vertex_count() * 2 + 1);
    }
    add(shape_body.vertices() - 1, shape_body.vertex_count() * 2 + 1);
    add(cursor_cross, cursor_cross_vertex_count * 2);
    EXPECT_EQ(h, 0xcc62f9a354ad674cull) << std::hex << h;
}

struct Line {
    Vec2 a, b;
    bool dashed;
};

// The lines of a picture in pixels, built from the figures by the rules of
// the game's drawing: 20-pixel text cells, 100 x zoom pixels per world unit
// around the body at the centre, figures centred in one-unit cells.
struct Picture {
    float zoom;
    Vec2 body, half;
    std::vector<Line> lines;

    void text(float x, float y, const char* text) {
        for (int i = 0; text[i] != '\0'; ++i) {
            const FontGlyph* row = std::find_if(std::begin(font_glyphs), std::end(font_glyphs),
                                                [&](const FontGlyph& r) { return r.ch == text[i]; });
            const float* v = row != std::end(font_glyphs) ? row->shape->vertices() : nullptr;
            for (int k = 0; v && k < row->shape->vertex_count(); k += 2, v += 4) {
                lines.push_back({Vec2(x + 20.0f * i + 20.0f * v[0], y + 20.0f * v[1]),
                                 Vec2(x + 20.0f * i + 20.0f * v[2], y + 20.0f * v[3]), false});
            }
        }
    }
    Vec2 pixel(Vec2 p) const { return (p - body) * (100.0f * zoom) + half; }
    void world_line(Vec2 a, Vec2 b, bool dashed = false) { lines.push_back({pixel(a), pixel(b), dashed}); }
    void figure(const LineShape& shape, Vec2 centre) {
        const float* v = shape.vertices();
        for (int k = 0; k < shape.vertex_count(); k += 2, v += 4) {
            world_line(centre + Vec2(v[0] - 0.5f, v[1] - 0.5f), centre + Vec2(v[2] - 0.5f, v[3] - 0.5f));
        }
    }
};

// A plus sign of two 0.1-unit lines crossing at world (4, 2), and two gems.
const Vec2 plus_lines[] = {Vec2(3.95f, 2), Vec2(4.05f, 2), Vec2(4, 1.95f), Vec2(4, 2.05f)};
const Vec2 two_gems[] = {Vec2(2, 1), Vec2(4.5f, 3)};
const LevelData plus_level{Vec2(3, 2), 4, plus_lines, 0, nullptr, 2, two_gems};

struct Text {
    float x, y;
    const char* text;
};

struct DrawCase {
    const char* name;
    int width, height;
    GameState state, next_state;
    float state_time, zoom, time_left;
    bool paused;
    uint8_t gems_present[2];
    Vec2 body, aim;
    RopeState rope;
    Vec2 hook;
    bool joystick;
    std::vector<Text> texts;  // besides "hi 3780" and "score 2500" at the top
};

const DrawCase draw_cases[] = {
    {"PlayingWithRopeAndCross", 640, 480, Playing, Playing, 0.7f, 1, 41.5f, false, {1, 1}, Vec2(3, 2),
     Vec2(0.6f, -0.8f), Attached, Vec2(3.9f, 1.1f), false, {{10, 448, "$2"}, {280, 448, "0:42"}}},
    {"PausedFlyingRopeZoom2", 640, 480, Playing, Playing, 3.2f, 2, 75.3f, true, {0, 1}, Vec2(3.37f, 2.21f),
     Vec2(-1, 0), Flying, Vec2(3.1f, 1.7f), true, {{10, 448, "$1"}, {280, 448, "1:16"}}},
    {"OddWindowTruncatesTheHalves", 641, 481, ZoomIn, Playing, 0.1f, 1.5f, 59.0f, false, {1, 0}, Vec2(3.5f, 2.5f),
     Vec2(0, 1), Idle, Vec2(0, 0), false, {{10, 449, "$1"}, {280, 449, "0:59"}}},
    {"AttractShowsPressStart", 640, 480, Attract, Attract, 1.25f, 1, 60, false, {1, 1}, Vec2(3, 2), Vec2(1, 0),
     Attached, Vec2(3, 0.8f), true, {{210, 290, "press start"}}},
    {"AttractBlinkHides", 640, 480, Attract, Attract, 1.75f, 2, 60, false, {1, 1}, Vec2(3, 2), Vec2(1, 0), Flying,
     Vec2(3, 0.8f), false, {}},
    {"ZoomInToTheTitle", 640, 480, ZoomIn, Attract, 0.5f, 0.75f, 60, false, {0, 0}, Vec2(3.2f, 1.9f), Vec2(1, 0),
     Idle, Vec2(0, 0), false, {}},
    {"ZoomOutToANewGame", 640, 480, ZoomOut, NewGame, 0.5f, 0.5f, 60, false, {1, 1}, Vec2(3, 2), Vec2(1, 0), Idle,
     Vec2(0, 0), false, {}},
    {"GameOverShowsItsText", 640, 480, GameOver, Playing, 2.25f, 1, 0, false, {1, 1}, Vec2(3, 2), Vec2(1, 0),
     Attached, Vec2(3, 0.8f), false, {{10, 448, "$2"}, {280, 448, "0:00"}, {230, 290, "game over"}}},
    {"GameOverBlinkHidesAtHalfASecond", 640, 480, GameOver, Playing, 2.5f, 1, 0, false, {1, 1}, Vec2(3, 2),
     Vec2(1, 0), Idle, Vec2(0, 0), false, {{10, 448, "$2"}, {280, 448, "0:00"}}},
    {"ZoomOutToTheTitle", 640, 480, ZoomOut, EnterTitle, 0.3f, 0.8f, 0, false, {1, 1}, Vec2(3, 2), Vec2(1, 0),
     Idle, Vec2(0, 0), false, {{10, 448, "$2"}, {280, 448, "0:00"}}},
};

// Draws the picture with plain OpenGL in pixels: the dark green background,
// smoothed 2-pixel lines of the one colour added up, the dashed ones 4
// pixels lit in every 16. The game's OpenGL state is left as it was.
Frame draw_picture(const Picture& picture, int width, int height) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    glEnableClientState(GL_VERTEX_ARRAY);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.0f, 0.1f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(0.8f, 1.0f, 0.8f, 0.3f);
    glEnable(GL_LINE_SMOOTH);
    glLineWidth(2.0f);
    glLineStipple(4, 0x4444);
    for (const Line& line : picture.lines) {
        const float v[4] = {line.a.x, line.a.y, line.b.x, line.b.y};
        if (line.dashed) glEnable(GL_LINE_STIPPLE);
        glVertexPointer(2, GL_FLOAT, 0, v);
        glDrawArrays(GL_LINES, 0, 2);
        glDisable(GL_LINE_STIPPLE);
    }
    glPopClientAttrib();
    glPopAttrib();
    return Frame(width, height);
}

// The mutation tool runs the drawing tests by their suite names, HudDraw and WorldDraw.
TEST_F(WorldDraw, FramesEqualThePicturesOfTheirFigures) {
    for (const DrawCase& c : draw_cases) {
        SCOPED_TRACE(c.name);
        open(c.width, c.height);
        score = 2500;
        hi_score = 3780;
        LevelState level;
        level.load(&plus_level);
        level.gem_present[0] = c.gems_present[0];
        level.gem_present[1] = c.gems_present[1];
        level.gems_left = c.gems_present[0] + c.gems_present[1];
        Ball ball;
        ball.pos = c.body;
        ball.aim = c.aim;
        ball.rope_state = c.rope;
        ball.hook_pos = c.hook;
        GameFlow flow;
        flow.state = c.state;
        flow.next_state = c.next_state;
        flow.state_time = c.state_time;
        flow.zoom = c.zoom;
        flow.time_left = c.time_left;
        flow.paused = c.paused;
        const Vec2 pointer(100, 300);
        const Frame frame = render(flow, level, ball, pointer, c.joystick);

        Picture picture{c.zoom, c.body, Vec2(c.width / 2, c.height / 2), {}};
        if (!c.joystick) {  // four lines from the corners inward, in pixels
            for (Vec2 corner : {Vec2(-1, -1), Vec2(1, -1), Vec2(-1, 1), Vec2(1, 1)}) {
                picture.lines.push_back({pointer + corner * 6, pointer + corner * 2, false});
            }
        }
        picture.text(10, 10, "hi 3780");
        picture.text(static_cast<float>(c.width - 230), 10, "score 2500");
        for (const Text& t : c.texts) picture.text(t.x, t.y, t.text);
        for (int i = 0; i < 4; i += 2) picture.world_line(plus_lines[i], plus_lines[i + 1]);
        for (int i = 0; i < 2; ++i) {
            if (c.gems_present[i]) picture.figure(shape_gem, two_gems[i]);
        }
        picture.figure(shape_body, c.body);
        if (c.state == Playing) {
            // From the rim (radius 0.125) to the rope's reach, 2.2 from the centre.
            picture.world_line(c.body + c.aim * 0.125f, c.body + c.aim * 2.2f, true);
            if (c.rope != Idle) {
                const Vec2 d = c.hook - c.body;
                picture.world_line(c.body + d * (0.125f / std::sqrt(d.x * d.x + d.y * d.y)), c.hook);
            }
        }
        const Frame want = draw_picture(picture, c.width, c.height);

        // The two rasterisations of a line may differ by a rounding of the blend.
        constexpr int tolerance = 2;
        int differing = 0;
        std::string first;
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < c.width; ++x) {
                const Pixel p = frame.at(x, y), q = want.at(x, y);
                if (std::abs(p.r - q.r) <= tolerance && std::abs(p.g - q.g) <= tolerance && std::abs(p.b - q.b) <= tolerance) continue;
                if (differing++ < 6) first += " (" + std::to_string(x) + "," + std::to_string(y) + ") green " + std::to_string(p.g) + " not " + std::to_string(q.g);
            }
        }
        EXPECT_EQ(differing, 0) << "pixels differ, the first at (x,y):" << first;
    }
}

}  // namespace
