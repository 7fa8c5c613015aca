// Handling of the SDL events the game listens to, and the aim.
#include "app/events.h"

namespace {

// SDL 1.2 reports stick positions as signed 16-bit values.
constexpr float axis_full_scale = 32768.0f;

void fire(ControlInput& input) {
    input.pressed = 1;
    input.held = 1;
}

}  // namespace

void handle_event(const SDL_Event& event, ControlInput& input, LoopState& loop,
                  GameFlow& flow) {
    switch (event.type) {
        case SDL_KEYDOWN:
            switch (event.key.keysym.sym) {
                case SDLK_SPACE:
                case SDLK_LSHIFT:
                    fire(input);
                    break;
                case SDLK_ESCAPE:
                    loop.quit = true;
                    break;
                case SDLK_p:
                    if (flow.state == Playing) flow.paused = !flow.paused;
                    break;
                default:
                    break;
            }
            break;
        case SDL_KEYUP:
            // Any key, even one that never fired (p, an arrow): pausing while
            // fire is held thus also lets go of the rope.
            input.held = 0;
            break;
        case SDL_MOUSEMOTION:
            loop.pointer = Vec2(event.motion.x, event.motion.y);
            break;
        case SDL_MOUSEBUTTONDOWN:  // wheel steps arrive as buttons and fire too
        case SDL_JOYBUTTONDOWN:
            fire(input);
            break;
        case SDL_MOUSEBUTTONUP:
        case SDL_JOYBUTTONUP:
            input.held = 0;
            break;
        case SDL_QUIT:
            loop.quit = true;
            break;
        default:
            break;
    }
}

Vec2 pointer_aim(Vec2 pointer, int32_t screen_width, int32_t screen_height) {
    const float scale = static_cast<float>(2.0 / screen_height);
    const Vec2 centre(static_cast<float>(screen_width / 2),
                      static_cast<float>(screen_height / 2));
    return (pointer - centre) * scale;
}

Vec2 stick_aim(int16_t axis0, int16_t axis1) {
    return Vec2(axis0 / axis_full_scale, axis1 / axis_full_scale);
}

Vec2 read_aim(SDL_Joystick* joystick, Vec2 pointer, int32_t screen_width,
              int32_t screen_height) {
    if (joystick == nullptr) return pointer_aim(pointer, screen_width, screen_height);
    const int16_t axis1 = SDL_JoystickGetAxis(joystick, 1);
    const int16_t axis0 = SDL_JoystickGetAxis(joystick, 0);
    return stick_aim(axis0, axis1);
}
