// Entry point of the browser build: the desktop's start-up steps with the
// page's size, then one frame of the game per browser frame through
// emscripten_set_main_loop. The browser owns the loop, so nothing here
// sleeps or blocks.
#include <emscripten.h>

#include <cstdio>
#include <cstring>

#include "app/frame_draw.h"
#include "app/globals.h"
#include "app/options.h"
#include "app/pacing.h"
#include "content/levels.h"
#include "physics/ball.h"
#include "sound/synth.h"
#include "web/line_renderer.h"
#include "web/page.h"
#include "web/scene.h"
#include "web/web_game.h"

namespace {

WebGame game;
Synth* synth = nullptr;

// The page's size as a display would list it: the window itself, and the
// largest size of the window's shape within the game's full-screen limit.
// The page stretches whichever is chosen over the whole window.
ScreenSize choose_page_size() {
    const ScreenSize window = page_window_size();
    SDL_Rect fitted = {0, 0, static_cast<Uint16>(window.width), static_cast<Uint16>(window.height)};
    const double shrink_w = static_cast<double>(max_fullscreen_width) / window.width;
    const double shrink_h = static_cast<double>(max_fullscreen_height) / window.height;
    const double shrink = shrink_w < shrink_h ? shrink_w : shrink_h;
    if (shrink < 1.0) {
        fitted.w = static_cast<Uint16>(window.width * shrink);
        fitted.h = static_cast<Uint16>(window.height * shrink);
    }
    SDL_Rect whole = {0, 0, static_cast<Uint16>(window.width), static_cast<Uint16>(window.height)};
    SDL_Rect* modes[] = {&whole, &fitted, nullptr};
    return choose_fullscreen_size(modes, {screen_width, screen_height}).size;
}

void read_controls(ControlInput& input, GameFlow& flow) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) handle_event(event, input, game.loop, flow);
    // A gamepad shows itself to the page only once a button is pressed on it.
    if (game.joystick == nullptr && SDL_NumJoysticks() > 0) {
        game.joystick = SDL_JoystickOpen(0);
        SDL_JoystickEventState(SDL_ENABLE);
    }
    input.aim = read_aim(game.joystick, game.loop.pointer, screen_width, screen_height);

    ScriptedInput& script = game.script;
    if (script.frames != nullptr) {
        apply_scripted_frame(input, script.frames + 4 * script.next++);
    }
}

bool script_over(const GameRun& run) {
    return level_over(run.flow) || game.script.next >= game.script.count;
}

void end_run() {
    emscripten_cancel_main_loop();
    game.running = false;
    SDL_PauseAudio(1);
    page_run_ended();
}

void frame() {
    float dt = 0.0f;
    if (!frame_ready(SDL_GetTicks(), game.last_ticks, dt)) return;
    if (game.script.frames != nullptr) dt = scripted_frame_dt;
    run_frame(game.run, dt, read_controls, [](const GameRun& run) {
        draw_web_frame(run, game.loop.pointer, game.joystick != nullptr);
    });
    if (game.script.frames != nullptr && script_over(game.run)) {
        game.script_hash = web_state_hash(game.run);
        game.script = ScriptedInput();
        page_script_done();
    }
    if (!game.drawn) {
        game.drawn = true;
        page_first_frame();
    }
    if (game.loop.quit) end_run();
}

// The desktop's "fail": its message, shown on the page, and no game.
void refuse(const char* what, const char* why) {
    fprintf(stderr, "%s: %s\n", what, why);
    page_refused();
}

}  // namespace

WebGame& web_game() { return game; }

void draw_web_frame(const GameRun& run, Vec2 pointer, bool joystick_open) {
    render_frame(run.flow, run.level, run.ball, pointer, joystick_open);
    line_renderer_flush();
}

void start_main_loop() {
    game.run.flow = GameFlow();
    game.run.input = ControlInput();
    game.loop = LoopState();
    game.loop.pointer = Vec2(static_cast<float>(screen_width / 2), static_cast<float>(screen_height / 2));
    score = 0;
    hi_score = 0;
    game.last_ticks = SDL_GetTicks();
    game.running = true;
    SDL_PauseAudio(0);
    // 0 frames per second: the browser's own display rate.
    emscripten_set_main_loop(frame, 0, 0);
}

int main(int argc, char** argv) {
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK) < 0) {
        refuse("Unable to init SDL", SDL_GetError());
        return 1;
    }
    const Options options = scan_options(argc, argv, stderr);
    if (options.fullscreen) {
        const ScreenSize size = choose_page_size();
        screen_width = size.width;
        screen_height = size.height;
    }
    if (options.width_option != 0) screen_width = options.width_option;
    if (options.height_option != 0) screen_height = options.height_option;
    // The desktop leaves sizes of zero and below to SDL, which refuses them;
    // the browser's canvas would take them silently, so they are refused here
    // in the same words, as are sizes beyond what the browser can draw.
    if (!video_size_representable({screen_width, screen_height}) || screen_width <= 0 ||
        screen_height <= 0) {
        refuse("Unable to set video mode", "Invalid width or height");
        return 1;
    }
    page_place_canvas(screen_width, screen_height, options.fullscreen);
    if (SDL_SetVideoMode(screen_width, screen_height, 32, SDL_OPENGL) == nullptr) {
        refuse("Unable to set video mode", SDL_GetError());
        return 1;
    }
    if (!page_drawing_buffer_is(screen_width, screen_height)) {
        refuse("Unable to set video mode", "Invalid width or height");
        return 1;
    }
    if (SDL_NumJoysticks() > 0) {
        game.joystick = SDL_JoystickOpen(0);
        SDL_JoystickEventState(SDL_ENABLE);
    }
    synth = new Synth;
    init_gl_state();
    start_main_loop();
    return 0;
}

// The page's "start again" after Escape: a fresh run from the title, as a
// new start of the program would give.
extern "C" EMSCRIPTEN_KEEPALIVE void web_start_again() {
    if (!game.running) start_main_loop();
}
