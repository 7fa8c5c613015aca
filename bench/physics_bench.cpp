// Time of one physics step in every scene on every level: the game's body
// update beside the Box2D peer in the same scene (when built with Box2D).
// bench/run.sh runs it with repetitions and quotes the medians as ratios.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/scenes.h"
#include "sound/voice.h"
#ifdef GRAPNEL_HAVE_BOX2D
#include "bench/box2d_peer.h"
#endif

namespace {

void game_step(benchmark::State& state, int32_t index, Scene scene) {
    LevelState level;
    level.load(&bench_level(index));
    const SceneStart start = make_scene(scene, level);
    for (auto _ : state) {
        Ball ball = start.ball;
        ball.update(scene_dt, start.input);
        benchmark::DoNotOptimize(ball.pos);
    }
}

#ifdef GRAPNEL_HAVE_BOX2D
void peer_step(benchmark::State& state, int32_t index, Scene scene) {
    LevelState level;
    level.load(&bench_level(index));
    const SceneStart start = make_scene(scene, level);
    Box2dPeer peer(bench_level(index));
    peer.set_scene(start);
    peer.step();
    for (auto _ : state) {
        state.PauseTiming();
        peer.set_scene(start);
        state.ResumeTiming();
        peer.step();
    }
}
#endif

void register_all() {
    for (int32_t index = 0; index < bench_level_count; ++index) {
        for (int32_t s = 0; s < scene_count; ++s) {
            const Scene scene = static_cast<Scene>(s);
            const std::string name = std::to_string(index) + "/" + scene_name(scene);
            benchmark::RegisterBenchmark(("grapnel/" + name).c_str(), game_step, index, scene);
#ifdef GRAPNEL_HAVE_BOX2D
            benchmark::RegisterBenchmark(("box2d/" + name).c_str(), peer_step, index, scene);
#endif
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    SoundVoice voice;  // play_sound's target; no audio device is opened
    register_all();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
