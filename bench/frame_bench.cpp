// The frame's cost in a real window (run under Xvfb with Mesa at 1024x768):
// game logic, draw submission and the whole frame with the renderer, on the
// title and on the largest level, beside a frame that only clears and swaps.
// Draw calls are counted through a wrapper around glDrawArrays.
#include <GL/gl.h>
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>

#include "app/frame_draw.h"
#include "app/game_run.h"
#include "app/globals.h"
#include "content/levels.h"
#include "physics/ball.h"
#include "physics/level.h"
#include "sound/voice.h"

extern "C" {
void __real_glDrawArrays(GLenum mode, GLint first, GLsizei count);
long draw_calls = 0;
void __wrap_glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    ++draw_calls;
    __real_glDrawArrays(mode, first, count);
}
}

namespace {

constexpr float frame_dt = 1.0f / 60.0f;

// A game in one of the two scenes, run for a while so that it is in its
// steady state: the title's attract screen, or play on the largest level
// with a clock that does not run out.
struct Game {
    GameRun run;
    GameFlow& flow = run.flow;
    LevelState& level = run.level;
    Ball& ball = run.ball;
    Vec2 pointer = Vec2(512.0f, 384.0f);

    explicit Game(bool title) {
        if (!title) {
            flow.level_index = level_count - 1;
            flow.state = Playing;
            flow.time_left = 1e9f;
            level.load(&level_table[level_count - 1]);
            ball.reset(level);
        }
        for (int i = 0; i < 120; ++i) step();
    }
    void step() {
        run_frame(
            run, frame_dt, [](ControlInput&, GameFlow&) {}, no_drawing);
    }
    void render() { render_frame(flow, level, ball, pointer, false); }
};

void per_frame_draw_calls(benchmark::State& state, long before) {
    state.counters["draw_calls"] = static_cast<double>(draw_calls - before) /
                                   static_cast<double>(state.iterations());
}

void BM_GameLogic(benchmark::State& state) {
    Game game(state.range(0) == 0);
    for (auto _ : state) game.step();
}

void BM_DrawSubmission(benchmark::State& state) {
    Game game(state.range(0) == 0);
    const long before = draw_calls;
    for (auto _ : state) {
        game.render();
        state.PauseTiming();
        glFinish();
        state.ResumeTiming();
    }
    per_frame_draw_calls(state, before);
}

void BM_WholeFrame(benchmark::State& state) {
    Game game(state.range(0) == 0);
    const long before = draw_calls;
    for (auto _ : state) {
        game.step();
        game.render();
        SDL_GL_SwapBuffers();
        glFinish();
    }
    per_frame_draw_calls(state, before);
}

void BM_BareFrame(benchmark::State& state) {
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        SDL_GL_SwapBuffers();
        glFinish();
    }
}

// Argument 0 is the title, 1 the largest level. The renderer's own threads
// count in the whole frame's CPU time.
BENCHMARK(BM_GameLogic)->Arg(0)->Arg(1);
BENCHMARK(BM_DrawSubmission)->Arg(0)->Arg(1);
BENCHMARK(BM_WholeFrame)->Arg(0)->Arg(1)->MeasureProcessCPUTime();
BENCHMARK(BM_BareFrame)->MeasureProcessCPUTime();

}  // namespace

int main(int argc, char** argv) {
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "frame_bench: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    screen_width = 1024;
    screen_height = 768;
    if (SDL_SetVideoMode(screen_width, screen_height, 32, SDL_OPENGL | SDL_FULLSCREEN) == nullptr) {
        fprintf(stderr, "frame_bench: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    init_gl_state();
    SoundVoice voice;  // play_sound's target; no audio device is opened
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    SDL_Quit();
    return 0;
}
