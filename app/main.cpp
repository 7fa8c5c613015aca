// Entry point: start-up, the frame loop and shutdown.
#include <SDL.h>
#include <cstdio>
#include <cstdlib>

#include "app/events.h"
#include "app/frame_draw.h"
#include "app/game_run.h"
#include "app/globals.h"
#include "app/options.h"
#include "app/pacing.h"
#include "sound/synth.h"

namespace {

constexpr int video_bits_per_pixel = 32;

[[noreturn]] void fail(const char* what) {
    fprintf(stderr, "%s: %s\n", what, SDL_GetError());
    exit(1);
}

// Full screen takes the largest listed mode up to 1024x768; ends the program
// when the display lists none at all.
void choose_screen_size() {
    const ModeChoice choice = choose_fullscreen_size(
        SDL_ListModes(nullptr, SDL_FULLSCREEN | SDL_OPENGL), {screen_width, screen_height});
    if (!choice.modes_available) {
        fprintf(stderr, "No modes available\n");
        exit(1);
    }
    screen_width = choice.size.width;
    screen_height = choice.size.height;
}

// The first joystick, or null. The game aims with its stick when it is open.
SDL_Joystick* open_joystick() {
    if (SDL_NumJoysticks() <= 0) return nullptr;
    SDL_Joystick* joystick = SDL_JoystickOpen(0);
    printf("Joystick initialized: %s\n", SDL_JoystickName(0));
    SDL_JoystickEventState(SDL_ENABLE);
    return joystick;
}

}  // namespace

int main(int argc, char** argv) {
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0) {
        fail("Unable to init SDL");
    }
    atexit(SDL_Quit);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 1);

    const Options options = scan_options(argc, argv, stderr);
    if (options.fullscreen) choose_screen_size();
    if (options.width_option != 0) screen_width = options.width_option;
    if (options.height_option != 0) screen_height = options.height_option;
    if (!video_size_representable({screen_width, screen_height})) {
        SDL_SetError("Invalid width or height");
        fail("Unable to set video mode");
    }
    const Uint32 video_flags = options.fullscreen ? SDL_OPENGL | SDL_FULLSCREEN : SDL_OPENGL;
    // The classic library refuses a full screen larger than every listed mode;
    // the compatibility library would scale it. Both answer this query alike.
    if (options.fullscreen &&
        SDL_VideoModeOK(screen_width, screen_height, video_bits_per_pixel, video_flags) == 0) {
        SDL_SetError("No video mode large enough for %dx%d", screen_width, screen_height);
        fail("Unable to set video mode");
    }
    if (SDL_SetVideoMode(screen_width, screen_height, video_bits_per_pixel, video_flags) == nullptr) {
        fail("Unable to set video mode");
    }

    SDL_Joystick* joystick = open_joystick();
    SDL_ShowCursor(SDL_DISABLE);

    Synth* synth = new Synth;
    GameRun run;  // the game flow, the level state and the body, in start-up order
    init_gl_state();

    LoopState loop;
    uint32_t last_ticks = SDL_GetTicks();
    loop.pointer = Vec2(static_cast<float>(screen_width / 2), static_cast<float>(screen_height / 2));

    const auto read_controls = [&](ControlInput& input, GameFlow& flow) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) handle_event(event, input, loop, flow);
        input.aim = read_aim(joystick, loop.pointer, screen_width, screen_height);
    };
    const auto draw = [&](const GameRun& frame) {
        draw_frame(frame.flow, frame.level, frame.ball, loop.pointer, joystick != nullptr);
    };
    while (!loop.quit) run_frame(run, wait_for_frame(last_ticks), read_controls, draw);

    // Shutdown: the sound owner first (it stops and closes the audio device),
    // then the stick.
    delete synth;
    if (joystick != nullptr) SDL_JoystickClose(joystick);
    return 0;  // the level state goes last, as main's scope closes; then SDL_Quit
}
