// Time of the body's frame update on the largest level in its costliest
// situations, and of the two wall scans it is made of.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "app/input.h"
#include "content/levels.h"
#include "physics/ball.h"
#include "physics/queries.h"
#include "sound/synth.h"
#include "sound/voice.h"

namespace {

const LevelData& largest = level_table[4];

int bounce_requests = 0;
void count_requests(SoundProgram, float, bool) { ++bounce_requests; }

ControlInput held_input() {
    ControlInput in;
    in.held = 1;
    in.pressed = 0;
    in.frozen = 0;
    return in;
}

// A body thrown hard into a corner between two walls of the level, chosen so
// that its frame ends only at the fifth sweep: every contact plays a sound,
// so four sounds or more mean five sweeps.
Ball wedged_body(LevelState& level) {
    Ball best;
    best.reset(level);
    int best_count = -1;
    const ControlInput in = held_input();
    for (int32_t i = 0; i + 1 < largest.segment_count; ++i) {
        const Segment& s = largest.segments[i];
        const Segment& t = largest.segments[i + 1];
        const Vec2 corner = s.b;
        const Vec2 along_s = s.a - corner;
        const Vec2 along_t = t.b - corner;
        if (length(along_s) < 0.05f || length(along_t) < 0.05f) continue;
        const Vec2 inward = normalize(normalize(along_s) + normalize(along_t));
        if (!(length(inward) > 0.5f)) continue;
        Ball ball;
        ball.reset(level);
        ball.pos = corner + inward * 0.3f;
        ball.vel = inward * -40.0f;
        Ball trial = ball;
        bounce_requests = 0;
        trial.update(1.0f / 60, in);
        if (bounce_requests > best_count) {
            best_count = bounce_requests;
            best = ball;
        }
        if (best_count >= 4) break;
    }
    std::printf("wedged body: %d contacts in one frame\n", best_count);
    return best;
}

void BM_UpdateWedgedInACorner(benchmark::State& state) {
    static LevelState level;
    level.load(&largest);
    static const Ball start = wedged_body(level);
    const ControlInput in = held_input();
    Ball ball = start;
    for (auto _ : state) {
        ball = start;
        ball.update(1.0f / 60, in);
        benchmark::DoNotOptimize(ball.pos);
    }
}
BENCHMARK(BM_UpdateWedgedInACorner);

// The rope caught on the wall nearest above the start, held, the body
// swinging; and a hook in flight, which adds the path test over every wall.
void BM_UpdateRope(benchmark::State& state) {
    LevelState level;
    level.load(&largest);
    Ball start;
    start.reset(level);
    Vec2 anchor;
    const Vec2 from = largest.start;
    if (!level.path_hit(Segment(from, from + Vec2(0.3f, -5)), anchor)) anchor = from + Vec2(0, -1);
    start.vel = Vec2(1.5f, 0.5f);
    start.hook_pos = anchor;
    start.hook_vel = Vec2(0, -1);
    start.rope_len = 0.5f;
    start.rope_state = static_cast<RopeState>(state.range(0));
    if (start.rope_state == Flying) start.hook_pos = from + Vec2(0, -0.2f);
    const ControlInput in = held_input();
    Ball ball = start;
    for (auto _ : state) {
        ball = start;
        ball.update(1.0f / 60, in);
        benchmark::DoNotOptimize(ball.vel);
    }
}
BENCHMARK(BM_UpdateRope)->Arg(Attached)->Arg(Flying);

void BM_SweepCircle103Walls(benchmark::State& state) {
    const Circle body(largest.start, body_radius);
    const Vec2 motion(0.05f, 0.08f);
    Vec2 pos, normal;
    float dist;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            sweep_circle(body, motion, largest.segments, largest.segment_count, pos, normal, dist));
        benchmark::DoNotOptimize(pos);
    }
}
BENCHMARK(BM_SweepCircle103Walls);

// A short hook path that crosses nothing: every wall is tested.
void BM_PathHitsSegments103Walls(benchmark::State& state) {
    const Vec2 from = largest.start;
    const Segment path(from, from + Vec2(0.1f, -0.1f));
    Vec2 hit;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            path_hits_segments(path, largest.segments, largest.segment_count, hit));
    }
}
BENCHMARK(BM_PathHitsSegments103Walls);

}  // namespace

int main(int argc, char** argv) {
    SoundVoice voice;  // play_sound's target; no audio device is opened
    sound_request_observer = &count_requests;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
