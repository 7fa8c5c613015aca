// The Box2D peer world: chains of the level's walls, one bullet circle of the
// body's radius with restitution one half and no friction, gravity 1.5 down.
#include "bench/box2d_peer.h"

#include <box2d/box2d.h>

#include <vector>

namespace {

constexpr float step_seconds = 1.0f / 60.0f;
constexpr int32_t velocity_iterations = 8;
constexpr int32_t position_iterations = 3;
constexpr float gravity = 1.5f;        // units per second squared, +y down
constexpr float restitution = 0.5f;    // the game's bounce keeps half the normal speed
constexpr float rope_rest = 0.5f;      // units: the rope's slack
constexpr float rope_reach = 2.2f;     // units: longest rope
constexpr float rope_spring = 3.0f;    // per unit of mass
constexpr float rope_damping = 20.0f;  // per unit of mass
constexpr float hook_speed = 8.0f;     // units per second
// Box2D refuses chain vertices this close to each other, world units.
constexpr float closest_vertices = b2_linearSlop;

bool same(Vec2 a, Vec2 b) { return a.x == b.x && a.y == b.y; }
b2Vec2 to_b2(Vec2 v) { return b2Vec2(v.x, v.y); }

// Keeps a vertex only when it is far enough from the last one kept.
void keep(std::vector<b2Vec2>& run, Vec2 v, int32_t& dropped) {
    if (!run.empty() && b2Distance(run.back(), to_b2(v)) <= closest_vertices) {
        ++dropped;
        return;
    }
    run.push_back(to_b2(v));
}

class NearestHit : public b2RayCastCallback {
public:
    float ReportFixture(b2Fixture*, const b2Vec2& point, const b2Vec2&, float fraction) override {
        hit = point;
        return fraction;
    }
    b2Vec2 hit = b2Vec2(0.0f, 0.0f);
};

}  // namespace

Box2dPeer::Box2dPeer(const LevelData& data)
    : world(new b2World(b2Vec2(0.0f, gravity))) {
    b2BodyDef ground_def;
    b2Body* ground = world->CreateBody(&ground_def);
    int32_t i = 0;
    while (i < data.segment_count) {
        // A run: walls joined end to start.
        int32_t end = i + 1;
        while (end < data.segment_count && same(data.segments[end - 1].b, data.segments[end].a)) ++end;
        const bool closed = same(data.segments[end - 1].b, data.segments[i].a);
        std::vector<b2Vec2> run;
        keep(run, data.segments[i].a, dropped);
        for (int32_t k = i; k < end; ++k) keep(run, data.segments[k].b, dropped);
        if (closed && run.size() >= 4 && b2Distance(run.front(), run.back()) <= closest_vertices) {
            run.pop_back();
            b2ChainShape chain;
            chain.CreateLoop(run.data(), static_cast<int32>(run.size()));
            ground->CreateFixture(&chain, 0.0f);
            ++loops;
        } else if (run.size() >= 2) {
            // Open ends continue straight on.
            const b2Vec2 before = run[0] + (run[0] - run[1]);
            const b2Vec2 after = run.back() + (run.back() - run[run.size() - 2]);
            b2ChainShape chain;
            chain.CreateChain(run.data(), static_cast<int32>(run.size()), before, after);
            ground->CreateFixture(&chain, 0.0f);
            ++chains;
        } else {
            ++dropped;
        }
        i = end;
    }

    b2BodyDef body_def;
    body_def.type = b2_dynamicBody;
    body_def.bullet = true;
    body_def.allowSleep = false;
    body_def.position = to_b2(data.start);
    body = world->CreateBody(&body_def);
    b2CircleShape circle;
    circle.m_radius = body_radius;
    b2FixtureDef fixture;
    fixture.shape = &circle;
    fixture.density = 1.0f;
    fixture.friction = 0.0f;
    fixture.restitution = restitution;
    // The game bounces at every speed.
    fixture.restitutionThreshold = 0.0f;
    body->CreateFixture(&fixture);

    b2BodyDef anchor_def;
    anchor_def.position = to_b2(data.start);
    anchor = world->CreateBody(&anchor_def);
}

Box2dPeer::~Box2dPeer() = default;

void Box2dPeer::set_scene(const SceneStart& scene) {
    const Ball& ball = scene.ball;
    body->SetTransform(to_b2(ball.pos), 0.0f);
    body->SetLinearVelocity(to_b2(ball.vel));
    body->SetAwake(true);
    const bool wants_rope = ball.rope_state == Attached;
    if (wants_rope && !rope) {
        anchor->SetTransform(to_b2(ball.hook_pos), 0.0f);
        b2DistanceJointDef def;
        def.Initialize(anchor, body, to_b2(ball.hook_pos), to_b2(ball.pos));
        def.length = rope_rest;
        def.minLength = 0.0f;
        def.maxLength = rope_reach;
        def.stiffness = rope_spring * body->GetMass();
        def.damping = rope_damping * body->GetMass();
        world->CreateJoint(&def);
        rope = true;
    }
    hook_flying = ball.rope_state == Flying;
    hook_from = ball.hook_pos;
    hook_step = ball.hook_vel * (step_seconds * hook_speed);
}

void Box2dPeer::step() {
    world->Step(step_seconds, velocity_iterations, position_iterations);
    if (hook_flying) {
        NearestHit hit;
        world->RayCast(&hit, to_b2(hook_from), to_b2(hook_from + hook_step));
    }
}

Vec2 Box2dPeer::position() const {
    const b2Vec2 p = body->GetPosition();
    return Vec2(p.x, p.y);
}
