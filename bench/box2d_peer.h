// The physics peer: the same walls as Box2D chains and the body as one bullet
// circle, set up in the same scene as the game's body.
#pragma once

#include <cstdint>
#include <memory>

#include "bench/scenes.h"

class b2World;
class b2Body;

class Box2dPeer {
public:
    // Builds the level's walls: joined runs of walls become chains (closed
    // runs as loops); vertices closer than Box2D accepts are dropped.
    explicit Box2dPeer(const LevelData& data);
    ~Box2dPeer();
    Box2dPeer(const Box2dPeer&) = delete;
    Box2dPeer& operator=(const Box2dPeer&) = delete;

    // Places the circle as the scene's body is, with a spring rope to the
    // anchor while the scene's rope holds.
    void set_scene(const SceneStart& scene);
    // One step of 1/60 s (8 velocity and 3 position iterations); a flying hook
    // also casts its path of the frame into the world.
    void step();
    Vec2 position() const;

    int32_t walls_dropped() const { return dropped; }
    int32_t chain_count() const { return chains; }
    int32_t loop_count() const { return loops; }

private:
    std::unique_ptr<b2World> world;
    b2Body* body = nullptr;
    b2Body* anchor = nullptr;
    bool rope = false;
    bool hook_flying = false;
    Vec2 hook_from = Vec2(0.0f, 0.0f);
    Vec2 hook_step = Vec2(0.0f, 0.0f);
    int32_t dropped = 0;
    int32_t chains = 0;
    int32_t loops = 0;
};
