// solver: proves the five levels can be finished. For each level it searches
// the controls for a way to take every gem before the 60 s clock runs out,
// playing through the game's own flow and body at 60 frames a second; it can
// write the inputs it found and play such a file back.
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/solver_search.h"
#include "tools/solver_sim.h"

namespace {

const char* const usage_text =
    "usage: solver [--level N] [--beam W] [--write DIR]\n"
    "       solver --replay FILE --level N\n"
    "  --level N      only level N (1 to 5); all five when not given\n"
    "  --beam W       states the search keeps per move (1 to 100000, default 64)\n"
    "  --write DIR    write the inputs found for level N to DIR/levelN.inputs\n"
    "  --replay FILE  play the inputs in FILE on level N and report the result\n"
    "Exit status: 0 when every level played was finished, 1 when one was not,\n"
    "2 for bad arguments or files.\n";

struct Args {
    int32_t level = 0;  // 1-based; 0 = all
    solver::SearchConfig config;
    std::string write_dir;
    std::string replay_file;
};

int refuse(const std::string& message) {
    std::fprintf(stderr, "solver: %s\n%s", message.c_str(), usage_text);
    return 2;
}

bool parse_int(const char* text, long low, long high, int32_t& out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || v < low || v > high) return false;
    out = static_cast<int32_t>(v);
    return true;
}

// Returns -1 when the arguments are good, otherwise the exit status.
int parse_args(int argc, char** argv, Args& args) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(usage_text, stdout);
            return 0;
        }
        const bool takes_value = a == "--level" || a == "--beam" || a == "--write" || a == "--replay";
        if (!takes_value) return refuse("unknown argument '" + a + "'");
        if (i + 1 >= argc) return refuse(a + " needs a value");
        const char* v = argv[++i];
        if (a == "--level") {
            if (!parse_int(v, 1, level_count, args.level)) {
                return refuse("--level takes a level number from 1 to " + std::to_string(level_count) +
                              ", not '" + v + "'");
            }
        } else if (a == "--beam") {
            if (!parse_int(v, 1, 100000, args.config.beam_width)) {
                return refuse(std::string("--beam takes a width from 1 to 100000, not '") + v + "'");
            }
        } else if (a == "--write") {
            if (*v == '\0') return refuse("--write needs a folder");
            args.write_dir = v;
        } else {
            if (*v == '\0') return refuse("--replay needs a file");
            args.replay_file = v;
        }
    }
    if (!args.replay_file.empty() && args.level == 0) return refuse("--replay needs --level");
    if (!args.replay_file.empty() && !args.write_dir.empty()) {
        return refuse("--replay and --write do not go together");
    }
    return -1;
}

bool level_fits(int32_t index) {
    if (level_table[index].gem_count <= solver::max_gems) return true;
    std::fprintf(stderr, "solver: level %d holds %d gems; the solver keeps at most %d\n",
                 index + 1, level_table[index].gem_count, solver::max_gems);
    return false;
}

int replay_file(const Args& args) {
    std::vector<solver::FrameInput> frames;
    std::string error;
    if (!solver::read_inputs(args.replay_file, frames, error)) {
        std::fprintf(stderr, "solver: %s\n", error.c_str());
        return 2;
    }
    const int32_t index = args.level - 1;
    if (!level_fits(index)) return 2;
    solver::Sim sim;
    const solver::ReplayResult r = solver::replay(sim, index, frames);
    const char* what = r.finished ? "finished" : sim.timed_out() ? "clock ran out"
                                                                 : "not finished";
    std::printf(
        "level %d: replay %s after %d of %zu frames, %.3f s of game time, %d of %d gems, "
        "hash %016" PRIx64 "\n",
        args.level, what, r.frames_played, frames.size(), static_cast<double>(r.time_used),
        level_table[index].gem_count - sim.level.gems_left, level_table[index].gem_count,
        r.hash);
    return r.finished ? 0 : 1;
}

void report_failure(int32_t index, const solver::SearchResult& r) {
    const LevelData& data = level_table[index];
    std::printf("level %d: NOT finished within 60 s: at best %d of %d gems\n", index + 1,
                r.best_gems, data.gem_count);
    for (int32_t g = 0; g < data.gem_count; ++g) {
        const float d = r.closest[static_cast<size_t>(g)];
        if (d <= 0.0f) continue;
        if (d >= solver::field_unreachable) {
            std::printf("  gem %d at (%g, %g): no way through the cave leads there\n", g + 1,
                        static_cast<double>(data.gems[g].x), static_cast<double>(data.gems[g].y));
        } else {
            std::printf("  gem %d at (%g, %g): the body came no closer than %.2f units along the cave\n",
                        g + 1, static_cast<double>(data.gems[g].x), static_cast<double>(data.gems[g].y),
                        static_cast<double>(d));
        }
    }
}

// Searches one level; writes its inputs when asked. True when finished.
bool solve_level(int32_t index, const Args& args, bool& write_failed) {
    if (!level_fits(index)) {
        write_failed = true;
        return false;
    }
    solver::BeamSearch search(index, args.config);
    const solver::SearchResult r = search.run();
    if (!r.finished) {
        report_failure(index, r);
        return false;
    }
    // Played again from the start: the inputs alone must finish the level
    // in the very same state.
    solver::Sim sim;
    const solver::ReplayResult check = solver::replay(sim, index, r.frames);
    const bool same = check.finished && check.hash == r.hash;
    std::printf("level %d: finished in %.3f s of game time (%zu frames), hash %016" PRIx64
                ", %" PRId64 " frames searched%s\n",
                index + 1, static_cast<double>(r.time_used), r.frames.size(), r.hash,
                r.frames_simulated, same ? "" : "; REPLAY DIFFERS");
    if (!same) {
        std::printf("  replay: %s, hash %016" PRIx64 "\n", check.finished ? "finished" : "not finished",
                    check.hash);
    }
    if (!args.write_dir.empty()) {
        const std::string path = args.write_dir + "/level" + std::to_string(index + 1) + ".inputs";
        std::string error;
        if (!solver::write_inputs(path, index + 1, r.frames, error)) {
            std::fprintf(stderr, "solver: %s\n", error.c_str());
            write_failed = true;
        }
    }
    return same;
}

}  // namespace

int main(int argc, char** argv) {
    Args args;
    const int status = parse_args(argc, argv, args);
    if (status >= 0) return status;
    if (!args.replay_file.empty()) return replay_file(args);
    bool all = true;
    bool write_failed = false;
    for (int32_t index = 0; index < level_count; ++index) {
        if (args.level != 0 && index != args.level - 1) continue;
        all = solve_level(index, args, write_failed) && all;
        std::fflush(stdout);
    }
    if (write_failed) return 2;
    return all ? 0 : 1;
}
