// Window-test helpers for the frame drawing: a real OpenGL window in this
// process, and the back buffer read back as pixels with y downward, like the
// HUD's own coordinates.
#pragma once

#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/frame_draw.h"
#include "app/globals.h"
#include "physics/level.h"
#include "physics/ball.h"

// The background's green is 0.1 x 255; a line adds about 76 at its centre
// and half of that beside it, so 40 tells light from background.
constexpr int light_threshold = 40;

struct Pixel {
    int r;
    int g;
    int b;
};

struct Box {
    int x0, y0, x1, y1;  // pixels, inclusive

    bool contains(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

class Frame {
public:
    Frame(int width, int height) : width_(width), height_(height), rgb_(width * height * 3) {
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb_.data());
    }

    int width() const { return width_; }
    int height() const { return height_; }

    Pixel at(int x, int y) const {
        const uint8_t* p = &rgb_[((height_ - 1 - y) * width_ + x) * 3];
        return Pixel{p[0], p[1], p[2]};
    }
    bool lit(int x, int y) const { return at(x, y).g >= light_threshold; }

    int lit_count(const Box& box) const {
        int n = 0;
        for (int y = box.y0; y <= box.y1; ++y) {
            for (int x = box.x0; x <= box.x1; ++x) n += lit(x, y) ? 1 : 0;
        }
        return n;
    }

private:
    int width_;
    int height_;
    std::vector<uint8_t> rgb_;
};

// Opens the window the way the game does and sets the game's screen size.
class DrawWindow : public ::testing::Test {
protected:
    void open(int width, int height) {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        ASSERT_NE(SDL_SetVideoMode(width, height, 32, SDL_OPENGL), nullptr) << SDL_GetError();
        screen_width = width;
        screen_height = height;
        init_gl_state();
    }
    void SetUp() override {
        score = 0;
        hi_score = 0;
    }
    // No SDL_Quit: it unloads the OpenGL driver, and the leak checker could
    // then no longer tell the driver's own leftovers from the game's. Each
    // window test is a process of its own, which ends right after.

    Frame render(const GameFlow& flow, const LevelState& level, const Ball& ball,
                 Vec2 pointer, bool joystick_open) {
        render_frame(flow, level, ball, pointer, joystick_open);
        return Frame(screen_width, screen_height);
    }
};
