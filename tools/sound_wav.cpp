// Renders the game's sound effects to 44100 Hz mono WAV files, exactly as the
// audio callback would play them, so they can be heard and inspected.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sound/programs.h"
#include "sound/sample_output.h"
#include "sound/voice.h"

#if __has_include(<sndfile.h>)
#include <sndfile.h>
#define GRAPNEL_HAVE_SNDFILE 1
#endif

namespace {

constexpr int wav_rate_hz = 44100;
constexpr int32_t tail_samples = wav_rate_hz / 4;  // a quarter second after the End frame

struct NamedProgram {
    const char* name;
    SoundProgram program;
    bool effect;  // rendered by "all"
};

const NamedProgram named_programs[] = {
    {"snd_rope_fire", snd_rope_fire, true},
    {"snd_bounce", snd_bounce, true},
    {"snd_level_start", snd_level_start, true},
    {"snd_gem", snd_gem, true},
    {"snd_time_up", snd_time_up, true},
    {"snd_rope_catch", snd_rope_catch, true},
    {"snd_silence", snd_silence, false},
};

void usage(FILE* to) {
    fprintf(to,
            "usage: sound_wav PROGRAM OUT.wav [VOLUME]\n"
            "       sound_wav all DIRECTORY [VOLUME]    (writes DIRECTORY/PROGRAM.wav for every effect)\n"
            "Renders a sound program at 44100 Hz, one channel, 16-bit, as the game plays it:\n"
            "started one sample into a tick, with a quarter second of tail. VOLUME defaults to 1.\n"
            "Programs:");
    for (const NamedProgram& p : named_programs) fprintf(to, " %s", p.name);
    fprintf(to, "\n");
}

// The program's slots: a fresh voice renders one sample, then the program is
// installed and rendered through the callback's own conversion.
std::vector<int16_t> render_program(SoundProgram program, float volume) {
    int32_t frames = 0;
    while (program[frames].wave != End) ++frames;
    SoundVoice voice;
    float first;
    voice.render(&first, 1);
    voice.frame = program;
    voice.volume = volume;
    voice.locked = false;

    const int32_t count = frames * sound_tick_samples + tail_samples;
    std::vector<uint8_t> bytes(static_cast<size_t>(count) * 2);
    float run[mix_run_samples];
    fill_s16_stream(bytes.data(), static_cast<int>(bytes.size()), run,
                    [&voice](float* out, int32_t n) { voice.render(out, n); });
    std::vector<int16_t> slots(static_cast<size_t>(count));
    for (size_t k = 0; k < slots.size(); ++k) {
        slots[k] = static_cast<int16_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
    }
    return slots;
}

#ifdef GRAPNEL_HAVE_SNDFILE
bool write_wav(const std::string& path, const std::vector<int16_t>& slots) {
    SF_INFO info = {};
    info.samplerate = wav_rate_hz;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        fprintf(stderr, "sound_wav: cannot write '%s': %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    const sf_count_t wanted = static_cast<sf_count_t>(slots.size());
    const sf_count_t written = sf_write_short(file, slots.data(), wanted);
    const bool ok = written == wanted;
    if (!ok) fprintf(stderr, "sound_wav: writing '%s' failed: %s\n", path.c_str(), sf_strerror(file));
    if (sf_close(file) != 0 && ok) {
        fprintf(stderr, "sound_wav: closing '%s' failed\n", path.c_str());
        return false;
    }
    return ok;
}
#else
bool write_wav(const std::string&, const std::vector<int16_t>&) {
    fprintf(stderr, "sound_wav: built without libsndfile (install libsndfile1-dev and rebuild)\n");
    return false;
}
#endif

bool render_to(const NamedProgram& p, const std::string& path, float volume) {
    if (!write_wav(path, render_program(p.program, volume))) return false;
    printf("%s -> %s\n", p.name, path.c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (strcmp(argv[1], "-h") == 0 || strcmp(argv[1], "--help") == 0)) {
        usage(stdout);
        return 0;
    }
    if (argc < 3 || argc > 4) {
        usage(stderr);
        return 2;
    }
    float volume = 1.0f;
    if (argc == 4) {
        char* end = nullptr;
        errno = 0;
        volume = strtof(argv[3], &end);
        if (end == argv[3] || *end != '\0' || errno != 0 || !std::isfinite(volume) || volume < 0.0f) {
            fprintf(stderr, "sound_wav: volume '%s' is not a finite number of 0 or more\n", argv[3]);
            return 2;
        }
    }
    const std::string name = argv[1];
    const std::string target = argv[2];
    if (name == "all") {
        bool ok = true;
        for (const NamedProgram& p : named_programs) {
            if (p.effect) ok = render_to(p, target + "/" + p.name + ".wav", volume) && ok;
        }
        return ok ? 0 : 1;
    }
    for (const NamedProgram& p : named_programs) {
        if (name == p.name) return render_to(p, target, volume) ? 0 : 1;
    }
    fprintf(stderr, "sound_wav: unknown program '%s'\n", name.c_str());
    usage(stderr);
    return 2;
}
