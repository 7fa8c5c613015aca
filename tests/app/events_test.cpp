// One SDL event at a time into the controls and the loop, and the aim from
// the pointer and from the stick.
#include "app/events.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

SDL_Event key(Uint8 type, SDLKey sym) {
    SDL_Event e{};
    e.type = type;
    e.key.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = sym;
    return e;
}
SDL_Event key_down(SDLKey sym) { return key(SDL_KEYDOWN, sym); }
SDL_Event key_up(SDLKey sym) { return key(SDL_KEYUP, sym); }

SDL_Event mouse_button(Uint8 type, Uint8 button) {
    SDL_Event e{};
    e.type = type;
    e.button.type = type;
    e.button.button = button;
    return e;
}

SDL_Event joy_button(Uint8 type, Uint8 button) {
    SDL_Event e{};
    e.type = type;
    e.jbutton.type = type;
    e.jbutton.button = button;
    return e;
}

SDL_Event motion(Uint16 x, Uint16 y) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.xrel = 7;
    e.motion.yrel = -3;
    return e;
}

SDL_Event of_type(Uint8 type) {
    SDL_Event e{};
    e.type = type;
    return e;
}

// The controls and the loop state as one frame's events leave them.
struct Frame {
    ControlInput input;
    LoopState loop;
    GameFlow flow;

    Frame() {
        loop.pointer = Vec2(320, 240);
        input.frozen = 0;
        flow.state = Playing;
    }
    void start_frame() {
        input.pressed = 0;
        input.frozen = 0;
    }
    Frame& handle(std::vector<SDL_Event> events) {
        for (const SDL_Event& e : events) handle_event(e, input, loop, flow);
        return *this;
    }
};

// One frame's events from a given state: the fire flags and the quit they
// leave. Every fire control fires (twice still gives exactly 1), a release in
// the same frame leaves only `pressed`, any release clears `held`, and
// nothing else touches the flags.
TEST(Events, FireFlagsAndQuit) {
    struct Case {
        const char* what;
        std::vector<SDL_Event> events;
        uint8_t held_before, pressed, held;
        bool quit;
        GameState state;
    };
    const SDL_Event left_down = mouse_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    SDL_Event axis = of_type(SDL_JOYAXISMOTION);
    axis.jaxis.value = 32767;
    std::vector<Case> cases = {
        {"space", {key_down(SDLK_SPACE), key_down(SDLK_SPACE)}, 0, 1, 1, false, Playing},
        {"left shift", {key_down(SDLK_LSHIFT)}, 0, 1, 1, false, Playing},
        {"left button", {left_down, left_down}, 0, 1, 1, false, Playing},
        {"right button", {mouse_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT)}, 0, 1, 1, false, Playing},
        {"wheel step", {mouse_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP)}, 0, 1, 1, false, Playing},
        {"joystick button 0", {joy_button(SDL_JOYBUTTONDOWN, 0)}, 0, 1, 1, false, Playing},
        {"joystick button 9", {joy_button(SDL_JOYBUTTONDOWN, 9)}, 0, 1, 1, false, Playing},
        {"click", {left_down, mouse_button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT)}, 0, 1, 0, false, Playing},
        {"space tapped", {key_down(SDLK_SPACE), key_up(SDLK_SPACE)}, 0, 1, 0, false, Playing},
        {"button tapped", {joy_button(SDL_JOYBUTTONDOWN, 1), joy_button(SDL_JOYBUTTONUP, 1)}, 0, 1, 0, false,
         Playing},
        {"shift up", {key_up(SDLK_LSHIFT)}, 1, 0, 0, false, Playing},
        {"up of a key that never fired", {key_up(SDLK_LEFT)}, 1, 0, 0, false, Playing},
        {"p up", {key_up(SDLK_p)}, 1, 0, 0, false, Playing},
        {"middle button up", {mouse_button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE)}, 1, 0, 0, false, Playing},
        {"joystick button up", {joy_button(SDL_JOYBUTTONUP, 3)}, 1, 0, 0, false, Playing},
        {"escape", {key_down(SDLK_ESCAPE)}, 0, 0, 0, true, Playing},
        {"close request", {of_type(SDL_QUIT)}, 0, 0, 0, true, Playing},
        {"escape up", {key_up(SDLK_ESCAPE)}, 0, 0, 0, false, Playing},
        {"motion", {motion(10, 10)}, 1, 0, 1, false, Playing},
        {"stick axis", {axis}, 1, 0, 1, false, Playing},
    };
    for (SDLKey k : {SDLK_RSHIFT, SDLK_RETURN, SDLK_a, SDLK_LEFT, SDLK_LCTRL, SDLK_p}) {
        cases.push_back({"other key", {key_down(k)}, 0, 0, 0, false, Attract});
    }
    for (Uint8 type : {SDL_ACTIVEEVENT, SDL_JOYBALLMOTION, SDL_JOYHATMOTION, SDL_SYSWMEVENT,
                       SDL_VIDEORESIZE, SDL_VIDEOEXPOSE, SDL_USEREVENT}) {
        cases.push_back({"other event", {of_type(type)}, 1, 0, 1, false, Playing});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << " " << int(c.events[0].type));
        Frame f;
        f.flow.state = c.state;
        f.input.held = c.held_before;
        f.handle(c.events);
        EXPECT_EQ(f.input.pressed, c.pressed);
        EXPECT_EQ(f.input.held, c.held);
        EXPECT_EQ(f.loop.quit, c.quit);
        EXPECT_FALSE(f.flow.paused);
        if (c.events[0].type != SDL_MOUSEMOTION) {
            EXPECT_EQ(f.loop.pointer.x, 320.0f);
        }
    }
}

TEST(Events, PauseKeyActsOnlyWhilePlaying) {
    const GameState states[] = {ZoomIn, Playing, ZoomOut, GameOver, Attract, NewGame, EnterTitle};
    for (GameState state : states) {
        Frame f;
        f.flow.state = state;
        f.handle({key_down(SDLK_p)});
        EXPECT_EQ(f.flow.paused, state == Playing) << state;
        f.handle({key_up(SDLK_p), key_down(SDLK_p)});
        EXPECT_FALSE(f.flow.paused) << state;
    }
}

TEST(Events, PausingWhileFiringLetsGoOfTheRope) {
    Frame f;
    f.handle({key_down(SDLK_SPACE)});
    f.start_frame();
    f.handle({key_down(SDLK_p), key_up(SDLK_p)});
    EXPECT_TRUE(f.flow.paused);
    EXPECT_EQ(f.input.held, 0);
}

TEST(Events, MotionSetsThePointerToItsAbsolutePosition) {
    Frame f;
    f.handle({motion(12, 34)});
    EXPECT_EQ(f.loop.pointer.x, 12.0f);
    EXPECT_EQ(f.loop.pointer.y, 34.0f);
    f.handle({motion(65535, 0)});  // unsigned 16-bit, never negative
    EXPECT_EQ(f.loop.pointer.x, 65535.0f);
    EXPECT_EQ(f.loop.pointer.y, 0.0f);
    EXPECT_EQ(f.input.held, 0);
}

TEST(Aim, PointerOffsetFromTheCentreInHalfScreenHeights) {
    struct Case {
        Vec2 pointer;
        int32_t width;
        int32_t height;
        Vec2 want;
    };
    const Case cases[] = {
        {Vec2(0, 0), 640, 480, Vec2(-4.0f / 3.0f, -1.0f)},
        {Vec2(320, 240), 640, 480, Vec2(0, 0)},
        {Vec2(640, 480), 640, 480, Vec2(4.0f / 3.0f, 1.0f)},
        {Vec2(320, 0), 640, 480, Vec2(0, -1.0f)},
        {Vec2(400, 300), 800, 600, Vec2(0, 0)},
        {Vec2(320, 240), 641, 481, Vec2(0, 0)},  // halves truncated toward zero
        {Vec2(0, 0), 641, 481, Vec2(-640.0f / 481.0f, -480.0f / 481.0f)},
    };
    for (const Case& c : cases) {
        const Vec2 aim = pointer_aim(c.pointer, c.width, c.height);
        EXPECT_FLOAT_EQ(aim.x, c.want.x) << c.pointer.x << "," << c.pointer.y << " in " << c.width;
        EXPECT_FLOAT_EQ(aim.y, c.want.y) << c.pointer.x << "," << c.pointer.y << " in " << c.width;
    }
    // Without a joystick the pointer is what aims.
    const Vec2 read = read_aim(nullptr, Vec2(0, 0), 640, 480);
    EXPECT_FLOAT_EQ(read.x, -4.0f / 3.0f);
    EXPECT_FLOAT_EQ(read.y, -1.0f);
}

TEST(Aim, StickAxesScaledBy32768WithoutDeadZone) {
    struct Case {
        int16_t axis0;
        int16_t axis1;
        Vec2 want;
    };
    const Case cases[] = {
        {-32768, 32767, Vec2(-1.0f, 32767.0f / 32768.0f)},
        {32767, -32768, Vec2(32767.0f / 32768.0f, -1.0f)},
        {0, 0, Vec2(0, 0)},
        {1, -1, Vec2(1.0f / 32768.0f, -1.0f / 32768.0f)},  // no dead zone
        {16384, 0, Vec2(0.5f, 0)},
    };
    for (const Case& c : cases) {
        const Vec2 aim = stick_aim(c.axis0, c.axis1);
        EXPECT_EQ(aim.x, c.want.x) << c.axis0;
        EXPECT_EQ(aim.y, c.want.y) << c.axis1;
    }
}

}  // namespace
