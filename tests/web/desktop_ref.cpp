// The desktop side of the browser tests: draws a scripted scene with the
// desktop renderer (OpenGL in a real SDL window) and renders the voice for a
// list of sound requests made at given samples, as the audio callback does,
// so the browser's picture and samples can be compared with them.
//
//   web_desktop_ref picture INPUTS LEVEL FRAMES POINTER_X POINTER_Y OUT.ppm
//   web_desktop_ref voice SAMPLES OUT.raw [AT PROGRAM VOLUME LOCK]...
#include <GL/gl.h>
#include <SDL.h>

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

constexpr int scene_width = 640;   // pixels, the browser test's window
constexpr int scene_height = 480;

int usage() {
    fprintf(stderr,
            "usage: web_desktop_ref picture INPUTS LEVEL FRAMES POINTER_X POINTER_Y OUT.ppm\n"
            "       web_desktop_ref voice SAMPLES OUT.raw [AT PROGRAM VOLUME LOCK]...\n");
    return 2;
}

bool number(const char* text, double& out) {
    char* end = nullptr;
    out = strtod(text, &end);
    return end != text && *end == '\0';
}

int picture(char** argv) {
    std::vector<solver::FrameInput> inputs;
    std::string error;
    if (!solver::read_inputs(argv[0], inputs, error)) {
        fprintf(stderr, "web_desktop_ref: %s\n", error.c_str());
        return 2;
    }
    double level, frames, px, py;
    if (!number(argv[1], level) || level < 1 || level > level_count || !number(argv[2], frames) ||
        !number(argv[3], px) || !number(argv[4], py)) {
        return usage();
    }
    std::vector<float> flat;
    for (const solver::FrameInput& in : inputs) {
        flat.insert(flat.end(), {in.aim_x, in.aim_y, static_cast<float>(in.pressed),
                                 static_cast<float>(in.held)});
    }
    const int count = static_cast<int>(frames) < static_cast<int>(inputs.size())
                          ? static_cast<int>(frames) : static_cast<int>(inputs.size());

    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        fprintf(stderr, "web_desktop_ref: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (SDL_SetVideoMode(scene_width, scene_height, 32, SDL_OPENGL) == nullptr) {
        fprintf(stderr, "web_desktop_ref: %s\n", SDL_GetError());
        return 1;
    }
    screen_width = scene_width;
    screen_height = scene_height;
    init_gl_state();

    GameRun run;
    start_level_run(run, static_cast<int32_t>(level) - 1);
    play_scripted_frames(run, flat.data(), count);
    render_frame(run.flow, run.level, run.ball, Vec2(static_cast<float>(px), static_cast<float>(py)),
                 false);
    std::vector<unsigned char> rgb(scene_width * scene_height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, scene_width, scene_height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());

    FILE* out = fopen(argv[5], "wb");
    if (out == nullptr) {
        fprintf(stderr, "web_desktop_ref: cannot write %s\n", argv[5]);
        return 1;
    }
    fprintf(out, "P6\n%d %d\n255\n", scene_width, scene_height);
    for (int y = scene_height - 1; y >= 0; --y) fwrite(&rgb[y * scene_width * 3], 1, scene_width * 3, out);
    return fclose(out) == 0 ? 0 : 1;
}

// The callback's conversion of `count` voice samples into out.
void render_slots(SoundVoice& voice, int16_t* out, int count) {
    static float run[mix_run_samples];
    fill_s16_stream(reinterpret_cast<uint8_t*>(out), count * 2, run,
                    [&voice](float* r, int32_t n) { voice.render(r, n); });
}

int voice(int argc, char** argv) {
    double samples;
    if (argc < 2 || (argc - 2) % 4 != 0 || !number(argv[0], samples) || samples < 0) return usage();
    std::vector<int16_t> out(static_cast<size_t>(samples));
    SoundVoice voice;  // the current voice: play_sound reaches it
    int done = 0;
    for (int i = 2; i < argc; i += 4) {
        double at, volume, lock;
        SoundProgram program = nullptr;
        for (int k = 0; k < sound_program_count; ++k) {
            if (strcmp(sound_programs[k].name, argv[i + 1]) == 0) program = sound_programs[k].program;
        }
        if (!number(argv[i], at) || at < done || at > samples || program == nullptr ||
            !number(argv[i + 2], volume) || !number(argv[i + 3], lock)) {
            fprintf(stderr, "web_desktop_ref: bad request '%s %s %s %s'\n", argv[i], argv[i + 1],
                    argv[i + 2], argv[i + 3]);
            return 2;
        }
        render_slots(voice, out.data() + done, static_cast<int>(at) - done);
        done = static_cast<int>(at);
        play_sound(program, static_cast<float>(volume), lock != 0);
    }
    render_slots(voice, out.data() + done, static_cast<int>(samples) - done);
    FILE* f = fopen(argv[1], "wb");
    if (f == nullptr || fwrite(out.data(), 2, out.size(), f) != out.size() || fclose(f) != 0) {
        fprintf(stderr, "web_desktop_ref: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 8 && strcmp(argv[1], "picture") == 0) return picture(argv + 2);
    if (argc >= 4 && strcmp(argv[1], "voice") == 0) return voice(argc - 2, argv + 2);
    return usage();
}
