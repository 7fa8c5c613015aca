// What the browser tests and the figures ask of the running page: the state
// of the run, a replay of a solver input file through the main loop, a
// picture of a scripted scene read back from WebGL, the sound requests as
// they are made, and the time one frame takes. Called from the page's
// JavaScript (Module._web_*); the game itself never calls them.
#include <GLES2/gl2.h>
#include <emscripten.h>

#include <cinttypes>
#include <cstdio>
#include <vector>

#include "app/globals.h"
#include "app/state_hash.h"
#include "physics/score.h"
#include "sound/programs.h"
#include "sound/synth.h"
#include "web/line_renderer.h"
#include "web/scene.h"
#include "web/web_game.h"

namespace {

char text[256];  // the last answer given as text
std::vector<uint8_t> pixels;

void tell_page(SoundProgram program, float volume, bool lock) {
    const char* name = "unknown";
    for (int i = 0; i < sound_program_count; ++i) {
        if (sound_programs[i].program == program) name = sound_programs[i].name;
    }
    EM_ASM({ if (Module.page.onSound) Module.page.onSound(UTF8ToString($0), $1, $2); }, name,
           volume, lock ? 1 : 0);
}

}  // namespace

uint64_t web_state_hash(const GameRun& run) { return state_hash(run); }

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* web_state() {
    const WebGame& g = web_game();
    const GameFlow& f = g.run.flow;
    snprintf(text, sizeof text,
             "{\"state\":%d,\"next\":%d,\"level\":%d,\"paused\":%d,\"score\":%d,\"gems\":%d,"
             "\"rope\":%d,\"running\":%d,\"width\":%d,\"height\":%d}",
             f.state, f.next_state, f.level_index, f.paused ? 1 : 0, score,
             g.run.level.gems_remaining(), g.run.ball.rope_state, g.running ? 1 : 0,
             screen_width, screen_height);
    return text;
}

// Plays `count` frames (4 floats each, in memory the page allocated) on
// level `number` from its start, one per browser frame; the page hears of
// the end through Module.page.scriptDone.
EMSCRIPTEN_KEEPALIVE void web_replay_start(const float* frames, int count, int number) {
    WebGame& g = web_game();
    start_level_run(g.run, number - 1);
    g.script = ScriptedInput{frames, count, 0};
}

EMSCRIPTEN_KEEPALIVE const char* web_replay_result() {
    const WebGame& g = web_game();
    snprintf(text, sizeof text, "%016" PRIx64, g.script_hash);
    return text;
}

// Stops the loop, plays `count` frames of level `number` and draws that
// state with the pointer at (pointer_x, pointer_y); returns the drawing
// buffer's RGBA rows, bottom row first, as glReadPixels gives them.
EMSCRIPTEN_KEEPALIVE const uint8_t* web_render_scene(const float* frames, int count, int number,
                                                     float pointer_x, float pointer_y) {
    WebGame& g = web_game();
    emscripten_cancel_main_loop();
    g.running = false;
    start_level_run(g.run, number - 1);
    play_scripted_frames(g.run, frames, count);
    draw_web_frame(g.run, Vec2(pointer_x, pointer_y), false);
    pixels.assign(static_cast<size_t>(screen_width) * screen_height * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, screen_width, screen_height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels.data();
}

EMSCRIPTEN_KEEPALIVE void web_watch_sounds() { sound_request_observer = tell_page; }

// Times `count` frames of level `number` played from the input frames: the
// game step and the draw submission (the game's GL calls, the batch and its
// WebGL calls), each in milliseconds summed over the frames, and the draw
// calls per frame. The GPU's own work is not waited for.
EMSCRIPTEN_KEEPALIVE const char* web_time_frames(const float* frames, int count, int number) {
    WebGame& g = web_game();
    emscripten_cancel_main_loop();
    g.running = false;
    start_level_run(g.run, number - 1);
    line_renderer_take_draw_calls();
    double step_ms = 0.0;
    double draw_ms = 0.0;
    int played = 0;
    for (; played < count && !level_over(g.run.flow); ++played) {
        const float* frame = frames + 4 * played;
        double t0 = 0.0;
        double t1 = 0.0;
        t0 = emscripten_get_now();
        run_frame(
            g.run, scripted_frame_dt,
            [frame](ControlInput& input, GameFlow&) { apply_scripted_frame(input, frame); },
            [&t1](const GameRun& run) {
                t1 = emscripten_get_now();
                draw_web_frame(run, Vec2(100.0f, 100.0f), false);
            });
        const double t2 = emscripten_get_now();
        step_ms += t1 - t0;
        draw_ms += t2 - t1;
    }
    snprintf(text, sizeof text, "{\"frames\":%d,\"step_ms\":%.4f,\"draw_ms\":%.4f,\"draw_calls\":%d}",
             played, step_ms, draw_ms, line_renderer_take_draw_calls());
    return text;
}

}  // extern "C"
