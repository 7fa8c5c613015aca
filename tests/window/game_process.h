// Window-test helpers: run the real game binary as a child process, read what
// it writes, and ask the X server about its window.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

// One run of the game binary (GRAPNEL_BINARY), its standard output and error
// captured through pipes and its standard input from /dev/null. The
// destructor kills and reaps a child still running, so a failing test never
// leaves a game behind.
class GameProcess {
public:
    // `env` changes the test's own environment for the child: "NAME=value"
    // sets, a bare "NAME" unsets. SDL_AUDIODRIVER=dummy is set first, so a
    // test may still override it. Fails the current test (and leaves
    // started() false) when the binary cannot be spawned.
    explicit GameProcess(const std::vector<std::string>& args,
                         const std::vector<std::string>& env = {},
                         const std::string& binary = GRAPNEL_BINARY);
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    bool started() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // Waits up to timeout_seconds for the child to end. Returns its exit
    // status, or 128 + the signal number when a signal ended it; nullopt
    // while it is still running. Output is collected meanwhile.
    std::optional<int> wait_exit(double timeout_seconds);
    bool running();

    // SIGKILL and reap; harmless when the child has already ended.
    void kill();

    // All output so far (reads whatever the pipes hold first).
    const std::string& out();
    const std::string& err();

    // Waits until `needle` shows up on standard error; false on timeout or
    // when the child ends without writing it.
    bool wait_for_err(const std::string& needle, double timeout_seconds);

private:
    void collect(int wait_ms);

    pid_t pid_ = -1;
    std::optional<int> status_;
    int out_fd_ = -1;
    int err_fd_ = -1;
    std::string out_;
    std::string err_;
};

// A child of the X root window (a top-level window when no window manager
// runs), in root coordinates.
struct XWindowInfo {
    unsigned long id;
    int x;
    int y;
    int width;
    int height;
    bool viewable;  // mapped and all its ancestors mapped
};

// The children of the root window of DISPLAY, bottom to top. Empty when the
// display cannot be opened.
std::vector<XWindowInfo> root_children();

// Waits for a viewable top-level window of the given size. Gives up early
// when `game` (if given) ends first.
std::optional<XWindowInfo> wait_for_window(int width, int height, double timeout_seconds,
                                           GameProcess* game = nullptr);

// Asks the window to close the way a window manager does: a WM_PROTOCOLS
// client message carrying WM_DELETE_WINDOW. False when it could not be sent.
bool send_close_request(unsigned long window);

struct Rgb {
    int r, g, b;  // 0..255 on a 24-bit display
};

// One pixel of the window's contents as the X server holds them.
std::optional<Rgb> pixel_at(unsigned long window, int x, int y);

// Moves the pointer into the window (keyboard focus follows it without a
// window manager), then types the xdotool key name. False when xdotool fails.
bool press_key_in(const XWindowInfo& window, const std::string& key);

// Seconds since an arbitrary start, for the helpers' deadlines.
double monotonic_seconds();
