// No allocation in the steady state: many frames of game flow on the title
// and on every level (body, rope, gems, clock, sounds), and the voice and the
// audio callback rendering every sound program, with a counting allocator.
// Only loading a level may allocate. Its own binary, since it replaces the
// global operator new: armed only around the frames it watches, so the test
// framework's own allocations never count.
#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

#include "app/game_run.h"
#include "app/globals.h"
#include "content/levels.h"
#include "physics/ball.h"
#include "physics/level.h"
#include "sound/programs.h"
#include "sound/synth.h"

namespace {

std::atomic<bool> armed{false};
std::atomic<long> allocations{0};

void note_allocation() {
    if (armed.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
}

// Counts the allocations made while it lives.
class Watch {
public:
    Watch() : start(allocations.load()) { armed = true; }
    ~Watch() { armed = false; }
    long count() const { return allocations.load() - start; }

private:
    long start;
};

}  // namespace

extern "C" {
void* __real_malloc(std::size_t size);
void* __real_calloc(std::size_t n, std::size_t size);
void* __real_realloc(void* p, std::size_t size);
}

// Every form of operator new goes through here; C allocations made by the
// game's own objects reach the wrappers below (the link wraps malloc, calloc
// and realloc). GCC takes malloc inside operator new for a mismatch.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
    note_allocation();
    if (void* p = __real_malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    note_allocation();
    return __real_malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

extern "C" {
void* __wrap_malloc(std::size_t size) {
    note_allocation();
    return __real_malloc(size);
}
void* __wrap_calloc(std::size_t n, std::size_t size) {
    note_allocation();
    return __real_calloc(n, size);
}
void* __wrap_realloc(void* p, std::size_t size) {
    note_allocation();
    return __real_realloc(p, size);
}
}

namespace {

// The counter must see what it is meant to catch, or a green test means nothing.
TEST(SteadyAllocation, TheCounterSeesNewMallocAndALevelLoad) {
    // Kept where the compiler cannot see them unused, so the calls stay.
    static void* volatile kept_new;
    static void* volatile kept_malloc;
    long counted;
    {
        Watch watch;
        kept_new = ::operator new(32);
        kept_malloc = malloc(32);
        counted = watch.count();
    }
    ::operator delete(kept_new);
    free(kept_malloc);
    EXPECT_EQ(counted, 2);
    LevelState level;
    Watch watch;
    level.load(&level_table[4]);
    EXPECT_GT(watch.count(), 0);
}

// Random play: aim anywhere, press, hold and let go of the rope, now and then
// a pause; time steps from zero to a stall.
void random_controls(std::mt19937& rng, ControlInput& in, float& dt) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    in.pressed = 0;
    in.frozen = 0;
    if (unit(rng) < 0.1f) in.aim = Vec2(unit(rng) * 2 - 1, unit(rng) * 2 - 1);
    if (in.held == 0 && unit(rng) < 0.06f) {
        in.pressed = 1;
        in.held = 1;
    } else if (in.held == 1 && unit(rng) < 0.03f) {
        in.held = 0;
    }
    const float r = unit(rng);
    dt = r < 0.01f ? 0.0f : r < 0.02f ? 0.4f
                                      : 1.0f / 60.0f;
}

// The states that load a level in their step; any other frame must not allocate.
bool loads_a_level(GameState state) {
    return state == EnterTitle || state == NewGame || state == ZoomOut;
}

TEST(SteadyAllocation, GameFlowAndBodyOnTheTitleAndEveryLevel) {
    SoundVoice voice;  // play_sound's target
    std::mt19937 rng(42);
    GameRun run;
    GameFlow& flow = run.flow;
    LevelState& level = run.level;
    Ball& ball = run.ball;
    ControlInput in;  // this frame's controls, drawn before the watch starts
    for (int32_t index = -1; index < level_count; ++index) {
        flow = GameFlow();
        if (index >= 0) {
            // Straight into play on the level, with a clock that never runs out.
            flow.level_index = index;
            flow.state = Playing;
            flow.time_left = 1e9f;
            level.load(&level_table[index]);
            ball.reset(level);
        }
        long frames_watched = 0;
        for (int frame = 0; frame < 4000; ++frame) {
            float dt;
            random_controls(rng, in, dt);
            const GameState before = flow.state;
            long counted;
            {
                Watch watch;
                run_frame(
                    run, dt, [&](ControlInput& input, GameFlow&) { input = in; }, no_drawing);
                counted = watch.count();
            }
            if (loads_a_level(before)) continue;
            ++frames_watched;
            ASSERT_EQ(counted, 0) << "level " << index << " frame " << frame << " state " << before;
        }
        EXPECT_GT(frames_watched, 3000);
    }
}

TEST(SteadyAllocation, VoiceAndAudioCallbackOverEveryProgram) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    Synth* synth = new Synth;
    // The device's own callbacks wait while this thread plays the audio
    // thread's part.
    SDL_PauseAudio(1);
    const SoundProgram programs[] = {snd_rope_fire, snd_bounce, snd_level_start, snd_gem,
                                     snd_time_up, snd_rope_catch, snd_silence};
    static float samples[4096];
    static uint8_t stream[1024];  // one device buffer: 512 one-channel frames
    long counted;
    {
        Watch watch;
        for (SoundProgram program : programs) {
            play_sound(program, 0.8f, false);
            for (int i = 0; i < 40; ++i) synth->voice.render(samples, 1 + i * 97 % 4096);
            play_sound(program, 1.0f, true);
            SDL_LockAudio();
            for (int i = 0; i < 100; ++i) audio_callback(synth, stream, sizeof stream);
            SDL_UnlockAudio();
        }
        counted = watch.count();
    }
    delete synth;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    EXPECT_EQ(counted, 0);
}

}  // namespace
