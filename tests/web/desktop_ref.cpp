// The desktop side of the browser tests: draws a scripted scene with the
// desktop renderer (OpenGL in a real SDL window) and renders the voice for a
// list of sound requests made at given samples, as the audio callback does,
// so the browser's picture and samples can be compared with them.
#include <GL/gl.h>
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/frame_draw.h"
#include "app/globals.h"
#include "sound/programs.h"
#include "sound/sample_output.h"
#include "sound/synth.h"
#include "tools/solver_sim.h"
#include "web/scene.h"

namespace {

constexpr int width = 640;  // pixels, the browser test's window
constexpr int height = 480;

int fail(const std::string& what) {
    fprintf(stderr, "web_desktop_ref: %s\n", what.c_str());
    return 1;
}

int write_file(const char* path, const char* head, const void* data, size_t size) {
    FILE* f = fopen(path, "wb");
    if (f && fputs(head, f) >= 0 && fwrite(data, 1, size, f) == size && fclose(f) == 0) return 0;
    return fail(std::string("cannot write ") + path);
}

int picture(char** argv) {
    std::vector<solver::FrameInput> inputs;
    std::string error;
    const int level = atoi(argv[1]);
    if (!solver::read_inputs(argv[0], inputs, error)) return fail(error);
    if (level < 1 || level > level_count) return fail("no level " + std::string(argv[1]));
    std::vector<float> flat;
    for (const solver::FrameInput& in : inputs) flat.insert(flat.end(), {in.aim_x, in.aim_y, 1.0f * in.pressed, 1.0f * in.held});
    if (SDL_Init(SDL_INIT_VIDEO) < 0) return fail(SDL_GetError());
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (SDL_SetVideoMode(width, height, 32, SDL_OPENGL) == nullptr) return fail(SDL_GetError());
    screen_width = width;
    screen_height = height;
    init_gl_state();

    GameRun run;
    start_level_run(run, level - 1);
    const int frames = std::min(atoi(argv[2]), static_cast<int>(inputs.size()));
    play_scripted_frames(run, flat.data(), frames);
    const Vec2 pointer(strtof(argv[3], nullptr), strtof(argv[4], nullptr));
    render_frame(run.flow, run.level, run.ball, pointer, false);
    std::vector<unsigned char> rgb(width * height * 3);  // top row first
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int y = 0; y < height; ++y) glReadPixels(0, height - 1 - y, width, 1, GL_RGB, GL_UNSIGNED_BYTE, &rgb[y * width * 3]);
    return write_file(argv[5], "P6\n640 480\n255\n", rgb.data(), rgb.size());
}

int voice(int argc, char** argv) {
    const int samples = atoi(argv[0]);
    std::vector<int16_t> out(samples);
    SoundVoice voice;  // the current voice: play_sound reaches it
    int done = 0;
    // The callback's conversion of the samples from `done` up to `to`.
    auto render_to = [&](int to) {
        static float run[mix_run_samples];
        fill_s16_stream(reinterpret_cast<uint8_t*>(out.data() + done), (to - done) * 2, run,
                        [&voice](float* r, int32_t n) { voice.render(r, n); });
        done = to;
    };
    for (int i = 2; i + 3 < argc; i += 4) {
        const int at = atoi(argv[i]);
        const NamedSoundProgram* end = sound_programs + sound_program_count;
        const NamedSoundProgram* named = sound_programs;
        while (named < end && strcmp(named->name, argv[i + 1]) != 0) ++named;
        if (named == end || at < done || at > samples) {
            return fail(std::string("bad request at ") + argv[i] + " of " + argv[i + 1]);
        }
        render_to(at);
        play_sound(named->program, strtof(argv[i + 2], nullptr), atoi(argv[i + 3]) != 0);
    }
    render_to(samples);
    return write_file(argv[1], "", out.data(), out.size() * 2);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 8 && strcmp(argv[1], "picture") == 0) return picture(argv + 2);
    if (argc >= 4 && (argc - 4) % 4 == 0 && strcmp(argv[1], "voice") == 0) return voice(argc - 2, argv + 2);
    fputs(
        "usage: web_desktop_ref picture INPUTS LEVEL FRAMES POINTER_X POINTER_Y OUT.ppm\n"
        "       web_desktop_ref voice SAMPLES OUT.raw [AT PROGRAM VOLUME LOCK]...\n",
        stderr);
    return 2;
}
