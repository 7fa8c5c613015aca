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

TEST(Events, EveryFireControlSetsPressedAndHeld) {
    const SDL_Event fires[] = {
        key_down(SDLK_SPACE),
        key_down(SDLK_LSHIFT),
        mouse_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT),
        mouse_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT),
        mouse_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_WHEELUP),  // a wheel step fires too
        joy_button(SDL_JOYBUTTONDOWN, 0),
        joy_button(SDL_JOYBUTTONDOWN, 9),
    };
    for (const SDL_Event& e : fires) {
        Frame f;
        f.handle({e, e});  // twice: the flags stay exactly 1
        EXPECT_EQ(f.input.pressed, 1) << int(e.type);
        EXPECT_EQ(f.input.held, 1) << int(e.type);
        EXPECT_FALSE(f.loop.quit) << int(e.type);
    }
}

TEST(Events, OtherKeysDoNotFire) {
    for (SDLKey k : {SDLK_RSHIFT, SDLK_RETURN, SDLK_a, SDLK_LEFT, SDLK_LCTRL, SDLK_p}) {
        Frame f;
        f.flow.state = Attract;
        f.handle({key_down(k)});
        EXPECT_EQ(f.input.pressed, 0) << k;
        EXPECT_EQ(f.input.held, 0) << k;
        EXPECT_FALSE(f.loop.quit) << k;
        EXPECT_FALSE(f.flow.paused) << k;
    }
}

TEST(Events, PressAndReleaseInOneFrameLeavesPressedButNotHeld) {
    const std::vector<SDL_Event> clicks[] = {
        {mouse_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT), mouse_button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT)},
        {key_down(SDLK_SPACE), key_up(SDLK_SPACE)},
        {joy_button(SDL_JOYBUTTONDOWN, 1), joy_button(SDL_JOYBUTTONUP, 1)},
    };
    for (const std::vector<SDL_Event>& click : clicks) {
        Frame f;
        f.handle(click);
        EXPECT_EQ(f.input.pressed, 1) << int(click[0].type);
        EXPECT_EQ(f.input.held, 0) << int(click[0].type);
    }
}

TEST(Events, HeldLastsAcrossFramesUntilAnyRelease) {
    const SDL_Event releases[] = {
        key_up(SDLK_LSHIFT),
        key_up(SDLK_LEFT),  // a key that never fired
        key_up(SDLK_p),
        mouse_button(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE),
        joy_button(SDL_JOYBUTTONUP, 3),
    };
    for (const SDL_Event& release : releases) {
        Frame f;
        f.handle({key_down(SDLK_SPACE)});
        f.start_frame();
        f.handle({motion(10, 10)});
        EXPECT_EQ(f.input.held, 1) << int(release.type);
        EXPECT_EQ(f.input.pressed, 0) << int(release.type);
        f.start_frame();
        f.handle({release});
        EXPECT_EQ(f.input.held, 0) << int(release.type);
        EXPECT_EQ(f.input.pressed, 0) << int(release.type);
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

TEST(Events, EscapeAndTheCloseRequestQuit) {
    for (const SDL_Event& e : {key_down(SDLK_ESCAPE), of_type(SDL_QUIT)}) {
        Frame f;
        f.handle({e});
        EXPECT_TRUE(f.loop.quit) << int(e.type);
        EXPECT_EQ(f.input.pressed, 0);
    }
    Frame f;
    f.handle({key_up(SDLK_ESCAPE)});
    EXPECT_FALSE(f.loop.quit);
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

TEST(Events, OtherEventsChangeNothing) {
    SDL_Event axis = of_type(SDL_JOYAXISMOTION);
    axis.jaxis.axis = 0;
    axis.jaxis.value = 32767;
    const Uint8 ignored[] = {SDL_ACTIVEEVENT, SDL_JOYBALLMOTION, SDL_JOYHATMOTION, SDL_SYSWMEVENT,
                             SDL_VIDEORESIZE, SDL_VIDEOEXPOSE, SDL_USEREVENT};
    std::vector<SDL_Event> events{axis};
    for (Uint8 type : ignored) events.push_back(of_type(type));
    for (const SDL_Event& e : events) {
        Frame f;
        f.input.held = 1;
        f.handle({e});
        EXPECT_EQ(f.input.held, 1) << int(e.type);
        EXPECT_EQ(f.input.pressed, 0) << int(e.type);
        EXPECT_FALSE(f.loop.quit) << int(e.type);
        EXPECT_FALSE(f.flow.paused) << int(e.type);
        EXPECT_EQ(f.loop.pointer.x, 320.0f) << int(e.type);
        EXPECT_EQ(f.loop.pointer.y, 240.0f) << int(e.type);
    }
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
