// The level solver's search: a beam over short control moves (wait, keep
// holding, or fire at one of a ring of angles and hold), every move played
// through the real game flow, ranked by gems taken and then by the walking
// distance to the nearest gem left. Deterministic: no randomness, no clocks.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "tools/solver_field.h"
#include "tools/solver_sim.h"

namespace solver {

// How far from its anchor an attached rope leaves the body, as the ranking
// counts it, world units: about where the spring balances gravity.
constexpr float anchor_penalty = 0.8f;
// How far a flying hook can get from the body before it is lost, world units.
constexpr float hook_reach = 2.2f;
// Share of the body's own distance in the ranking of a pulled body.
constexpr float own_weight = 0.1f;

struct SearchConfig {
    int32_t beam_width = 64;    // states kept after each round of moves
    int32_t move_frames = 10;   // frames per move
    int32_t angle_steps = 24;   // firing directions, evenly spread (24: every 15 degrees)
    int32_t max_frames = 3600;  // give up after this many frames (60 s)
};

enum class MoveKind : uint8_t {
    Wait,
    Hold,
    Fire
};

struct Move {
    MoveKind kind;
    int16_t angle;  // Fire only: index into the ring of directions
};

// The inputs of one move. A fire starts with a frame of release when the
// button is still down, so that the press is a real new press.
inline void move_frames_of(Move m, bool held_before, const SearchConfig& cfg,
                           std::vector<FrameInput>& out) {
    FrameInput in;
    if (m.kind == MoveKind::Wait) {
        for (int32_t i = 0; i < cfg.move_frames; ++i) out.push_back(in);
        return;
    }
    if (m.kind == MoveKind::Hold) {
        in.held = 1;
        for (int32_t i = 0; i < cfg.move_frames; ++i) out.push_back(in);
        return;
    }
    const double turn = 2.0 * M_PI * m.angle / cfg.angle_steps;
    FrameInput fire;
    fire.aim_x = static_cast<float>(std::cos(turn));
    fire.aim_y = static_cast<float>(std::sin(turn));
    fire.pressed = 1;
    fire.held = 1;
    int32_t i = 0;
    if (held_before) {
        out.push_back(in);
        ++i;
    }
    out.push_back(fire);
    ++i;
    FrameInput hold;
    hold.held = 1;
    for (; i < cfg.move_frames; ++i) out.push_back(hold);
}

struct SearchResult {
    bool finished = false;
    std::vector<FrameInput> frames;  // the winning inputs, up to the finishing frame
    float time_used = 0.0f;          // seconds off the clock
    uint64_t hash = 0;               // state hash right after the finishing frame
    int32_t best_gems = 0;           // most gems any explored line took
    std::vector<float> closest;      // per gem: nearest walking distance any state reached
    int64_t frames_simulated = 0;
};

class BeamSearch {
public:
    BeamSearch(int32_t level_index, const SearchConfig& config)
        : index(level_index), cfg(config), field(level_table[level_index]) {}

    SearchResult run() {
        SearchResult result;
        const LevelData& data = level_table[index];
        result.closest.assign(static_cast<size_t>(data.gem_count), field_unreachable);
        sim.start_level(index);
        Node root;
        sim.save(root.snap);
        root.parent = -1;
        root.move = {MoveKind::Wait, 0};
        root.held = false;
        nodes.push_back(root);
        std::vector<int32_t> beam{0};
        std::vector<FrameInput> frames;
        // The clock ends every line by 60 s anyway; max_frames may end them sooner.
        for (int32_t depth = 0; depth * cfg.move_frames < cfg.max_frames; ++depth) {
            std::vector<Child> children;
            int32_t best_finish_frames = -1;
            int32_t best_finish_node = -1;
            for (int32_t at : beam) {
                const Node parent = nodes[static_cast<size_t>(at)];
                for (Move m : moves_for(parent.snap.ball.rope_state)) {
                    sim.restore(parent.snap);
                    frames.clear();
                    move_frames_of(m, parent.held, cfg, frames);
                    int32_t played = 0;
                    for (const FrameInput& in : frames) {
                        sim.step(in);
                        ++played;
                        if (sim.finished() || sim.timed_out()) break;
                    }
                    result.frames_simulated += played;
                    if (sim.timed_out()) continue;
                    Node child;
                    sim.save(child.snap);
                    child.parent = at;
                    child.move = m;
                    child.held = frames.back().held != 0;
                    note_progress(result);
                    if (sim.finished()) {
                        const int32_t total = depth * cfg.move_frames + played;
                        if (best_finish_node < 0 || total < best_finish_frames) {
                            nodes.push_back(child);
                            best_finish_node = static_cast<int32_t>(nodes.size()) - 1;
                            best_finish_frames = total;
                        }
                        continue;
                    }
                    children.push_back({child, rank(), coarse_key()});
                }
            }
            if (best_finish_node >= 0) {
                finish(result, best_finish_node, best_finish_frames);
                return result;
            }
            if (children.empty()) break;
            std::stable_sort(children.begin(), children.end(),
                             [](const Child& a, const Child& b) { return a.rank > b.rank; });
            beam.clear();
            std::unordered_set<uint64_t> seen;
            for (const Child& c : children) {
                if (static_cast<int32_t>(beam.size()) >= cfg.beam_width) break;
                if (!seen.insert(c.key).second) continue;
                nodes.push_back(c.node);
                beam.push_back(static_cast<int32_t>(nodes.size()) - 1);
            }
        }
        return result;
    }

private:
    struct Node {
        Snapshot snap;
        int32_t parent;
        Move move;
        bool held;  // the button is down after this node's move
    };
    struct Child {
        Node node;
        double rank;
        uint64_t key;
    };

    std::vector<Move> moves_for(RopeState rope) const {
        std::vector<Move> m{{MoveKind::Wait, 0}};
        if (rope != Idle) m.push_back({MoveKind::Hold, 0});
        if (rope != Flying) {
            for (int16_t a = 0; a < cfg.angle_steps; ++a) m.push_back({MoveKind::Fire, a});
        }
        return m;
    }

    // Gems taken first, then how close the body is to the nearest gem left.
    double rank() const {
        const int32_t taken = sim.level.data->gem_count - sim.level.gems_left;
        return taken * 1.0e4 - nearest_gem_distance();
    }

    // An attached rope counts for where it will take the body: the anchor,
    // less the rope's rest length; a flying hook for where it will catch, if
    // it catches within its reach. A little of the body's own distance is
    // added so that, of two states on the same anchor, the nearer one leads.
    double nearest_gem_distance() const {
        const Ball& b = sim.ball;
        Vec2 anchor = b.hook_pos;
        bool pulled = b.rope_state == Attached;
        if (b.rope_state == Flying) {
            const Segment reach(b.hook_pos, b.pos + b.hook_vel * hook_reach);
            pulled = sim.level.path_hit(reach, anchor);
        }
        float best = field_unreachable;
        for (int32_t g = 0; g < sim.level.data->gem_count; ++g) {
            if (!sim.level.gem_present[g]) continue;
            const float own = field.distance(g, b.pos);
            float d = own;
            if (pulled) d = std::min(d, field.distance(g, anchor) + anchor_penalty);
            best = std::min(best, d + own_weight * own);
        }
        return best;
    }

    // States this alike are one state to the beam: it keeps the best of them
    // and spends its width on different ones.
    uint64_t coarse_key() const {
        StateHash h;
        hash_level(h, sim.level);
        const Ball& b = sim.ball;
        h.i32(static_cast<int32_t>(std::floor(b.pos.x / 0.05f)));
        h.i32(static_cast<int32_t>(std::floor(b.pos.y / 0.05f)));
        h.i32(static_cast<int32_t>(std::floor(b.vel.x / 0.25f)));
        h.i32(static_cast<int32_t>(std::floor(b.vel.y / 0.25f)));
        h.i32(b.rope_state);
        if (b.rope_state == Attached) {
            h.i32(static_cast<int32_t>(std::floor(b.hook_pos.x / 0.1f)));
            h.i32(static_cast<int32_t>(std::floor(b.hook_pos.y / 0.1f)));
        }
        return h.value();
    }

    void note_progress(SearchResult& result) const {
        const int32_t taken = sim.level.data->gem_count - sim.level.gems_left;
        result.best_gems = std::max(result.best_gems, taken);
        for (int32_t g = 0; g < sim.level.data->gem_count; ++g) {
            const float d = sim.level.gem_present[g] ? field.distance(g, sim.ball.pos) : 0.0f;
            result.closest[static_cast<size_t>(g)] = std::min(result.closest[static_cast<size_t>(g)], d);
        }
    }

    // Rebuilds the inputs from the chain of moves and plays them once more
    // from the start, which also proves that the snapshots lost nothing.
    void finish(SearchResult& result, int32_t last, int32_t total_frames) {
        std::vector<int32_t> chain;
        for (int32_t at = last; at > 0; at = nodes[static_cast<size_t>(at)].parent) chain.push_back(at);
        std::reverse(chain.begin(), chain.end());
        bool held = false;
        for (int32_t at : chain) {
            const Node& n = nodes[static_cast<size_t>(at)];
            move_frames_of(n.move, held, cfg, result.frames);
            held = n.held;
        }
        result.frames.resize(static_cast<size_t>(total_frames));
        sim.restore(nodes[static_cast<size_t>(last)].snap);
        result.hash = state_hash(sim);
        result.time_used = game_seconds - sim.flow.time_left;
        result.finished = true;
    }

    int32_t index;
    SearchConfig cfg;
    CaveField field;
    Sim sim;
    std::vector<Node> nodes;
};

}  // namespace solver
