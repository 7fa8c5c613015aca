/* Loaded with LD_PRELOAD into the game or the bare window: counts presented
 * frames and draw calls, notes when the first frame was presented, and at
 * exit writes one line of figures to the file named by FRAME_PROBE_OUT:
 *   frames F draw_calls D first_frame_ms T seconds S cpu_seconds C max_rss_kb R
 * The clock starts when the probe is loaded, before the program's main. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

static double started;
static double first_frame = -1.0;
static long frames;
static long draw_calls;

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

__attribute__((constructor)) static void probe_start(void) { started = now(); }

void SDL_GL_SwapBuffers(void) {
    static void (*real)(void);
    if (!real) real = (void (*)(void))dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers");
    real();
    if (frames == 0) first_frame = now() - started;
    ++frames;
}

void glDrawArrays(unsigned mode, int first, int count) {
    static void (*real)(unsigned, int, int);
    if (!real) real = (void (*)(unsigned, int, int))dlsym(RTLD_NEXT, "glDrawArrays");
    real(mode, first, count);
    ++draw_calls;
}

__attribute__((destructor)) static void probe_report(void) {
    const char* path = getenv("FRAME_PROBE_OUT");
    if (!path) return;
    FILE* out = fopen(path, "w");
    if (!out) return;
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    const double cpu = (double)usage.ru_utime.tv_sec + (double)usage.ru_utime.tv_usec * 1e-6 +
                       (double)usage.ru_stime.tv_sec + (double)usage.ru_stime.tv_usec * 1e-6;
    fprintf(out, "frames %ld draw_calls %ld first_frame_ms %.1f seconds %.3f cpu_seconds %.3f max_rss_kb %ld\n",
            frames, draw_calls, first_frame * 1000.0, now() - started, cpu, usage.ru_maxrss);
    fclose(out);
}
