// The simulation is deterministic: the same inputs give the same state to
// the last bit, whatever was in memory before the game's objects were made,
// in every build; and two fixed scripted runs still end in their recorded
// states.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <vector>

#include "app/game_run.h"
#include "app/state_hash.h"
#include "physics/ball.h"
#include "sound/programs.h"
#include "tests/physics/sound_log.h"
#include "tests/physics/test_level.h"

namespace {

// Recorded end states of the two scripted runs below (the test cave's does
// not depend on the levels); record new values only once a change in play is
// known to be meant.
constexpr uint64_t recorded_cave_hash = 0x43dbc67ef0309a7b;
constexpr uint64_t recorded_game_hash = 0x9b5f09f194c88261;

// A small xorshift: the script must not depend on how a library version
// implements its distributions.
class Script {
public:
    explicit Script(uint32_t seed) : s(seed) {}
    uint32_t next() {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }

    // A player who waits, fires along one of a few whole-number directions
    // and holds, or lets go; moves last 5 to 40 frames.
    ControlInput input() {
        if (left == 0) {
            left = 5 + below(36);
            kind = below(4);
            aim = Vec2(static_cast<float>(below(7) - 3), static_cast<float>(below(7) - 3));
            first = true;
        }
        --left;
        ControlInput in;
        if (kind == 0) return in;  // let go
        in.held = 1;
        if (kind == 1) return in;  // keep holding
        in.aim = aim;
        in.pressed = first ? 1 : 0;
        first = false;
        return in;
    }

    // Mostly display-rate steps, some zero steps, some long ones and, now and
    // then, a stall of seconds.
    float dt() {
        static const float steps[] = {1.0f / 60, 1.0f / 60, 1.0f / 60, 1.0f / 120,
                                      0.0f, 0.1f, 1.0f / 30, 0.009f};
        if (below(500) == 0) return 3.0f;
        return steps[below(8)];
    }

private:
    uint32_t s;
    int left = 0;
    int kind = 0;
    Vec2 aim{0.0f, 0.0f};
    bool first = false;
};

// The whole game from start-up, the state hash after every frame; the run is
// made in memory filled with `fill`, so a field the game forgets to set reads
// differently in two runs.
std::vector<uint64_t> play_game(unsigned char fill, int frames = 20000) {
    alignas(GameRun) static unsigned char storage[sizeof(GameRun)];
    std::memset(storage, fill, sizeof storage);
    GameRun& run = *new (storage) GameRun;  // default-initialised: only what GameRun itself sets
    score = 0;
    hi_score = 0;
    Script script(20240607u);
    std::vector<uint64_t> hashes;
    for (int i = 0; i < frames; ++i) {
        const ControlInput in = script.input();
        run_frame(
            run, script.dt(), [&](ControlInput& input, GameFlow&) { input = in; }, no_drawing);
        hashes.push_back(state_hash(run));
    }
    run.~GameRun();
    return hashes;
}

// A walled box with a ledge and a slope, three gems; independent of the
// authored levels so that its recorded state speaks for the body alone.
uint64_t play_cave() {
    TestLevel cave(
        {
            Segment(Vec2(0, 0), Vec2(6, 0)), Segment(Vec2(6, 0), Vec2(6, 4)),
            Segment(Vec2(6, 4), Vec2(3, 4.5f)), Segment(Vec2(3, 4.5f), Vec2(0, 4)),
            Segment(Vec2(0, 4), Vec2(0, 0)), Segment(Vec2(2, 2), Vec2(4, 2.2f)),
            Segment(Vec2(5, 1), Vec2(5, 1)),  // zero length: takes no part
        },
        {Vec2(1, 3.6f), Vec2(5.4f, 3.6f), Vec2(3, 1.5f)}, Vec2(1, 3));
    score = 0;
    SoundLog sounds;
    Ball ball;
    ball.reset(cave.state);
    Script script(7u);
    StateHash trace;
    for (int i = 0; i < 6000; ++i) {
        ControlInput input = script.input();
        input.frozen = script.below(20) == 0 ? 1 : 0;  // now and then a frame the flow freezes
        ball.update(script.dt(), input);
        // Every 50th frame into the trace: a path that parts and meets again still shows.
        if (i % 50 == 0) hash_ball(trace, ball);
    }
    hash_ball(trace, ball);
    hash_level(trace, cave.state);
    trace.i32(score);
    // Every bounce, catch, shot and gem with its volume.
    const SoundProgram programs[] = {snd_rope_fire, snd_rope_catch, snd_bounce, snd_gem};
    for (const SoundRequest& r : sounds.all()) {
        trace.i32(static_cast<int32_t>(std::find(std::begin(programs), std::end(programs), r.program) -
                                       std::begin(programs)));
        trace.f32(r.volume);
        trace.i32(r.lock ? 1 : 0);
    }
    return trace.value();
}

TEST(Replay, ScriptedRunsEndInTheirRecordedStatesAndRepeatBitForBit) {
    const std::vector<uint64_t> game = play_game(0x00);
    const uint64_t cave = play_cave();
    EXPECT_EQ(cave, recorded_cave_hash) << std::hex << "the run in the test cave now ends in state 0x" << cave;
    EXPECT_EQ(game.back(), recorded_game_hash) << std::hex << "the scripted game now ends in state 0x" << game.back();
    // The whole game again, whatever memory held before its objects were made.
    for (unsigned char fill : {0xA5, 0xFF}) {
        const std::vector<uint64_t> again = play_game(fill);
        const auto parted = std::mismatch(game.begin(), game.end(), again.begin()).first;
        EXPECT_TRUE(parted == game.end())
            << "runs part at frame " << parted - game.begin() << " with memory filled 0x" << std::hex << int(fill);
    }
}

}  // namespace
