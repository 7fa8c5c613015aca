// Counts the instructions of single physics steps for callgrind: every scene
// on every level, for the game's body and (when built with it) the Box2D peer.
// Collection is switched on only around the steps themselves, and each
// level and scene is dumped under its own name:
//   valgrind --tool=callgrind --collect-atstart=no physics_steps grapnel|box2d [steps]
#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench/scenes.h"
#include "sound/voice.h"
#ifdef GRAPNEL_HAVE_BOX2D
#include "bench/box2d_peer.h"
#endif

namespace {

constexpr int default_steps = 200;

void dump(const char* engine, int32_t level, Scene scene) {
    char label[96];
    snprintf(label, sizeof label, "%s/%d/%s", engine, level, scene_name(scene));
    CALLGRIND_DUMP_STATS_AT(label);
}

// The cost of switching collection on and off around nothing.
void count_empty(int steps) {
    CALLGRIND_ZERO_STATS;
    for (int i = 0; i < steps; ++i) {
        CALLGRIND_TOGGLE_COLLECT;
        CALLGRIND_TOGGLE_COLLECT;
    }
    CALLGRIND_DUMP_STATS_AT("empty/0/none");
}

void count_grapnel(int steps) {
    for (int32_t index = 0; index < bench_level_count; ++index) {
        LevelState level;
        level.load(&bench_level(index));
        // Finding the scenes plays the physics too: its calls go into a dump
        // of their own, so each scene's dump counts only its steps' calls.
        SceneStart starts[scene_count];
        for (int32_t s = 0; s < scene_count; ++s) starts[s] = make_scene(static_cast<Scene>(s), level);
        CALLGRIND_DUMP_STATS_AT("setup");
        for (int32_t s = 0; s < scene_count; ++s) {
            const SceneStart& start = starts[s];
            for (int i = 0; i < steps; ++i) {
                Ball ball = start.ball;
                CALLGRIND_TOGGLE_COLLECT;
                ball.update(scene_dt, start.input);
                CALLGRIND_TOGGLE_COLLECT;
            }
            dump("grapnel", index, static_cast<Scene>(s));
        }
    }
}

#ifdef GRAPNEL_HAVE_BOX2D
void count_box2d(int steps) {
    for (int32_t index = 0; index < bench_level_count; ++index) {
        LevelState level;
        level.load(&bench_level(index));
        Box2dPeer peer(bench_level(index));
        printf("%s: %d loops, %d open chains, %d vertices dropped\n", bench_level_name(index),
               peer.loop_count(), peer.chain_count(), peer.walls_dropped());
        for (int32_t s = 0; s < scene_count; ++s) {
            const SceneStart start = make_scene(static_cast<Scene>(s), level);
            // One step unmeasured first, so the contacts and the rope exist
            // as they would in the middle of play.
            peer.set_scene(start);
            peer.step();
            CALLGRIND_ZERO_STATS;
            for (int i = 0; i < steps; ++i) {
                peer.set_scene(start);
                CALLGRIND_TOGGLE_COLLECT;
                peer.step();
                CALLGRIND_TOGGLE_COLLECT;
            }
            dump("box2d", index, static_cast<Scene>(s));
        }
    }
}
#endif

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || (strcmp(argv[1], "grapnel") != 0 && strcmp(argv[1], "box2d") != 0)) {
        fprintf(stderr, "usage: physics_steps grapnel|box2d [steps]\n");
        return 2;
    }
    const int steps = argc > 2 ? atoi(argv[2]) : default_steps;
    if (steps <= 0) {
        fprintf(stderr, "physics_steps: the number of steps must be a positive integer\n");
        return 2;
    }
    SoundVoice voice;  // play_sound's target; no audio device is opened
    count_empty(steps);
    if (strcmp(argv[1], "grapnel") == 0) {
        count_grapnel(steps);
        return 0;
    }
#ifdef GRAPNEL_HAVE_BOX2D
    count_box2d(steps);
    return 0;
#else
    fprintf(stderr, "physics_steps: built without Box2D\n");
    return 3;
#endif
}
