// Running the game binary under test and talking to the X server about its window.
#include "game_process.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

constexpr auto poll_step = std::chrono::milliseconds(10);

std::string read_file(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A window that vanishes between two requests is no reason to end the test.
int ignore_x_error(Display*, XErrorEvent*) { return 0; }

// A connection to DISPLAY for the length of one helper call.
struct XConnection {
    Display* display;
    XConnection() : display(XOpenDisplay(nullptr)) { XSetErrorHandler(ignore_x_error); }
    ~XConnection() {
        if (display != nullptr) XCloseDisplay(display);
    }
};

}  // namespace

double monotonic_seconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

GameProcess::GameProcess(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    char dir[] = "/tmp/grapnel-game-XXXXXX";
    if (mkdtemp(dir) == nullptr) return;
    dir_ = dir;
    std::vector<std::string> argv = {"/usr/bin/env"};
    for (const std::string& e : env) {
        if (e[0] == '-') argv.insert(argv.end(), {"-u", e.substr(1)});
    }
    argv.push_back("SDL_AUDIODRIVER=dummy");
    for (const std::string& e : env) {
        if (e[0] != '-') argv.push_back(e);
    }
    argv.push_back(GRAPNEL_BINARY);
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argv_c;
    for (std::string& a : argv) argv_c.push_back(a.data());
    argv_c.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (dir_ + "/out").c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (dir_ + "/err").c_str(), O_WRONLY | O_CREAT, 0600);
    if (posix_spawn(&pid_, argv_c[0], &actions, nullptr, argv_c.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
}

GameProcess::~GameProcess() {
    if (running()) {
        kill(pid_, SIGKILL);
        wait_exit(30);
    }
    if (dir_.empty()) return;
    unlink((dir_ + "/out").c_str());
    unlink((dir_ + "/err").c_str());
    rmdir(dir_.c_str());
}

std::optional<int> GameProcess::wait_exit(double timeout_seconds) {
    const double deadline = monotonic_seconds() + timeout_seconds;
    while (started() && !status_) {
        int raw = 0;
        if (waitpid(pid_, &raw, WNOHANG) == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        } else if (monotonic_seconds() >= deadline) {
            break;
        } else {
            std::this_thread::sleep_for(poll_step);
        }
    }
    return status_;
}

std::string GameProcess::out() const { return read_file(dir_ + "/out"); }
std::string GameProcess::err() const { return read_file(dir_ + "/err"); }

std::optional<XWindow> wait_for_window(GameProcess& game, int width, int height, double timeout_seconds) {
    const double deadline = monotonic_seconds() + timeout_seconds;
    while (game.running() && monotonic_seconds() < deadline) {
        XConnection x;
        Window root, parent, *children = nullptr;
        unsigned int count = 0;
        if (x.display != nullptr &&
            XQueryTree(x.display, DefaultRootWindow(x.display), &root, &parent, &children, &count) != 0) {
            for (unsigned int i = 0; i < count; ++i) {
                XWindowAttributes a{};
                if (XGetWindowAttributes(x.display, children[i], &a) != 0 && a.map_state == IsViewable &&
                    a.width == width && a.height == height) {
                    const XWindow found{children[i], a.x, a.y};
                    XFree(children);
                    return found;
                }
            }
            XFree(children);
        }
        std::this_thread::sleep_for(poll_step);
    }
    return std::nullopt;
}

bool send_close_request(unsigned long window) {
    XConnection x;
    if (x.display == nullptr) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(x.display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(x.display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(x.display, window, False, NoEventMask, &event);
    XSync(x.display, False);
    return sent != 0;
}

std::vector<uint8_t> capture(unsigned long window, int width, int height) {
    std::vector<uint8_t> rgb;
    XConnection x;
    XImage* image = x.display ? XGetImage(x.display, window, 0, 0, width, height, AllPlanes, ZPixmap) : nullptr;
    if (image == nullptr) return rgb;
    // A 24-bit display keeps each pixel in 32 bits; the masks place the colours.
    for (int y = 0; image->bits_per_pixel == 32 && y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(image->data + y * image->bytes_per_line);
        for (int xx = 0; xx < width; ++xx) {
            for (unsigned long mask : {image->red_mask, image->green_mask, image->blue_mask}) {
                rgb.push_back(static_cast<uint8_t>((row[xx] & mask) >> __builtin_ctzl(mask)));
            }
        }
    }
    XDestroyImage(image);
    return rgb;
}

bool xdotool(const std::string& args) {
    return system(("xdotool " + args).c_str()) == 0;
}
