// Window-test helpers: run the real game binary as a child process, and find,
// read and close its window through the X server.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One run of the game binary, its standard output and error kept in files and
// its standard input from /dev/null. `env` changes the child's environment:
// "NAME=value" sets, "-NAME" unsets; SDL_AUDIODRIVER=dummy unless set.
// The destructor kills and reaps a child still running.
class GameProcess {
public:
    explicit GameProcess(const std::vector<std::string>& args, const std::vector<std::string>& env = {});
    ~GameProcess();
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // The exit status, or 128 + the signal that ended it; nullopt while the
    // child still runs after timeout_seconds.
    std::optional<int> wait_exit(double timeout_seconds);
    bool running() { return started() && !wait_exit(0).has_value(); }
    std::string out() const;
    std::string err() const;

private:
    std::string dir_;
    pid_t pid_ = -1;
    std::optional<int> status_;
};

struct XWindow {
    unsigned long id;
    int x, y;  // in root coordinates
};

// Waits for a viewable top-level window of the given size; gives up when the
// game ends first.
std::optional<XWindow> wait_for_window(GameProcess& game, int width, int height, double timeout_seconds);

// The window's close request, as a window manager sends it.
bool send_close_request(unsigned long window);

// The window's pixels as RGB bytes, rows top to bottom; empty on failure.
std::vector<uint8_t> capture(unsigned long window, int width, int height);

// Runs xdotool with the given arguments; false when it fails.
bool xdotool(const std::string& args);

double monotonic_seconds();
