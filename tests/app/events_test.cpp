// SDL events into the controls, the quit, the pause and the pointer; the aim.
#include "app/events.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// Events: keys and buttons going down and up, a stick axis, pointer motion.
SDL_Event ev(Uint8 type, int code = 0) {
    SDL_Event e{};
    e.type = type;  // every member of the union starts with it
    if (type == SDL_KEYDOWN || type == SDL_KEYUP) e.key.keysym.sym = static_cast<SDLKey>(code);
    if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP) e.button.button = static_cast<Uint8>(code);
    if (type == SDL_JOYBUTTONDOWN || type == SDL_JOYBUTTONUP) e.jbutton.button = static_cast<Uint8>(code);
    if (type == SDL_JOYAXISMOTION) e.jaxis.value = 32767;
    return e;
}
SDL_Event kd(SDLKey k) { return ev(SDL_KEYDOWN, k); }
SDL_Event ku(SDLKey k) { return ev(SDL_KEYUP, k); }
SDL_Event md(int b) { return ev(SDL_MOUSEBUTTONDOWN, b); }
SDL_Event mu(int b) { return ev(SDL_MOUSEBUTTONUP, b); }
SDL_Event jd(int b) { return ev(SDL_JOYBUTTONDOWN, b); }
SDL_Event ju(int b) { return ev(SDL_JOYBUTTONUP, b); }
SDL_Event motion(Uint16 x, Uint16 y) {
    SDL_Event e = ev(SDL_MOUSEMOTION);
    e.motion.x = x;
    e.motion.y = y;
    e.motion.xrel = 7;  // relative motion does not place the pointer
    return e;
}

// Every fire control fires (twice still gives exactly 1), a release in the
// same frame leaves only `pressed`, any key or button release clears `held`,
// p pauses only while playing, and nothing else touches the controls.
TEST(Events, OneFramesEventsIntoTheControlsTheQuitAndThePause) {
    struct Case {
        const char* what;
        std::vector<SDL_Event> events;
        GameState state;
        int held_before, pressed, held, quit, paused;
        Vec2 pointer = Vec2(320, 240);  // where the frame starts it
    };
    std::vector<Case> cases = {
        {"space", {kd(SDLK_SPACE), kd(SDLK_SPACE)}, Playing, 0, 1, 1, 0, 0},
        {"left shift", {kd(SDLK_LSHIFT)}, Playing, 0, 1, 1, 0, 0},
        {"left button", {md(SDL_BUTTON_LEFT), md(SDL_BUTTON_LEFT)}, Playing, 0, 1, 1, 0, 0},
        {"right button", {md(SDL_BUTTON_RIGHT)}, Playing, 0, 1, 1, 0, 0},
        {"wheel step", {md(SDL_BUTTON_WHEELUP)}, Playing, 0, 1, 1, 0, 0},
        {"joystick button 9", {jd(9)}, Attract, 0, 1, 1, 0, 0},
        {"click", {md(SDL_BUTTON_LEFT), mu(SDL_BUTTON_LEFT)}, Playing, 0, 1, 0, 0, 0},
        {"space tapped", {kd(SDLK_SPACE), ku(SDLK_SPACE)}, Playing, 0, 1, 0, 0, 0},
        {"button tapped", {jd(1), ju(1)}, Playing, 0, 1, 0, 0, 0},
        {"shift up", {ku(SDLK_LSHIFT)}, Playing, 1, 0, 0, 0, 0},
        {"up of a key that never fired", {ku(SDLK_LEFT)}, Playing, 1, 0, 0, 0, 0},
        {"middle button up", {mu(SDL_BUTTON_MIDDLE)}, Playing, 1, 0, 0, 0, 0},
        {"joystick button up", {ju(3)}, Playing, 1, 0, 0, 0, 0},
        {"escape", {kd(SDLK_ESCAPE)}, Playing, 0, 0, 0, 1, 0},
        {"close request", {ev(SDL_QUIT)}, Attract, 0, 0, 0, 1, 0},
        {"escape up", {ku(SDLK_ESCAPE)}, Playing, 0, 0, 0, 0, 0},
        {"stick axis", {ev(SDL_JOYAXISMOTION)}, Playing, 1, 0, 1, 0, 0},
        {"motion to its absolute position", {motion(12, 34)}, Playing, 1, 0, 1, 0, 0, Vec2(12, 34)},
        {"motion, unsigned 16-bit", {motion(65535, 0)}, Playing, 0, 0, 0, 0, 0, Vec2(65535, 0)},
        {"p pauses", {kd(SDLK_p)}, Playing, 0, 0, 0, 0, 1},
        {"p again resumes", {kd(SDLK_p), ku(SDLK_p), kd(SDLK_p)}, Playing, 0, 0, 0, 0, 0},
        {"pausing while firing lets go", {kd(SDLK_SPACE), kd(SDLK_p), ku(SDLK_p)}, Playing, 0, 1, 0, 0, 1},
    };
    for (GameState state : {ZoomIn, ZoomOut, GameOver, Attract, NewGame, EnterTitle}) {
        cases.push_back({"p outside play", {kd(SDLK_p)}, state, 1, 0, 1, 0, 0});
    }
    for (SDLKey k : {SDLK_RSHIFT, SDLK_RETURN, SDLK_a, SDLK_LEFT, SDLK_LCTRL}) {
        cases.push_back({"other key", {kd(k)}, Playing, 0, 0, 0, 0, 0});
    }
    for (Uint8 type : {SDL_ACTIVEEVENT, SDL_JOYBALLMOTION, SDL_JOYHATMOTION, SDL_SYSWMEVENT, SDL_VIDEORESIZE,
                       SDL_VIDEOEXPOSE, SDL_USEREVENT}) {
        cases.push_back({"other event", {ev(type)}, Playing, 1, 0, 1, 0, 0});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << ", event type " << int(c.events[0].type) << ", state " << c.state);
        ControlInput input;
        input.held = static_cast<uint8_t>(c.held_before);
        LoopState loop;
        loop.pointer = Vec2(320, 240);
        GameFlow flow;
        flow.state = c.state;
        for (const SDL_Event& e : c.events) handle_event(e, input, loop, flow);
        EXPECT_EQ(input.pressed, c.pressed);
        EXPECT_EQ(input.held, c.held);
        EXPECT_EQ(loop.quit, c.quit != 0);
        EXPECT_EQ(flow.paused, c.paused != 0);
        EXPECT_TRUE(loop.pointer.x == c.pointer.x && loop.pointer.y == c.pointer.y) << loop.pointer.x << "," << loop.pointer.y;
    }
}

// The pointer aims by its offset from the screen's centre (halves truncated)
// in half screen heights, also through read_aim without a joystick; the
// stick by its axes over 32768, with no dead zone.
TEST(Aim, FromThePointerAndFromTheStick) {
    const struct {
        Vec2 pointer;
        int32_t width, height;
        Vec2 want;
    } pointer_cases[] = {
        {Vec2(0, 0), 640, 480, Vec2(-4.0f / 3.0f, -1.0f)},
        {Vec2(320, 240), 640, 480, Vec2(0, 0)},
        {Vec2(640, 480), 640, 480, Vec2(4.0f / 3.0f, 1.0f)},
        {Vec2(320, 0), 640, 480, Vec2(0, -1.0f)},
        {Vec2(400, 300), 800, 600, Vec2(0, 0)},
        {Vec2(320, 240), 641, 481, Vec2(0, 0)},
        {Vec2(0, 0), 641, 481, Vec2(-640.0f / 481.0f, -480.0f / 481.0f)},
    };
    for (const auto& c : pointer_cases) {
        SCOPED_TRACE(testing::Message() << c.pointer.x << "," << c.pointer.y << " in " << c.width << "x" << c.height);
        const Vec2 aim = pointer_aim(c.pointer, c.width, c.height);
        EXPECT_FLOAT_EQ(aim.x, c.want.x);
        EXPECT_FLOAT_EQ(aim.y, c.want.y);
        const Vec2 read = read_aim(nullptr, c.pointer, c.width, c.height);
        EXPECT_TRUE(read.x == aim.x && read.y == aim.y) << "read_aim gives " << read.x << "," << read.y;
    }
    const struct {
        int16_t axis0, axis1;
        Vec2 want;
    } stick_cases[] = {
        {-32768, 32767, Vec2(-1.0f, 32767.0f / 32768.0f)},
        {32767, -32768, Vec2(32767.0f / 32768.0f, -1.0f)},
        {0, 0, Vec2(0, 0)},
        {1, -1, Vec2(1.0f / 32768.0f, -1.0f / 32768.0f)},
        {16384, 0, Vec2(0.5f, 0)},
    };
    for (const auto& c : stick_cases) {
        const Vec2 aim = stick_aim(c.axis0, c.axis1);
        EXPECT_TRUE(aim.x == c.want.x && aim.y == c.want.y) << c.axis0 << "," << c.axis1 << ": " << aim.x << "," << aim.y;
    }
}

}  // namespace
