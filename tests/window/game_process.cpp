// Running the game binary under test and talking to the X server about its
// window.
#include "game_process.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <type_traits>

// Last: Xlib defines macros (Bool, Status, None) that other headers must not see.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace {

constexpr int poll_step_ms = 10;  // how often the waits look again

// "NAME=value" sets NAME, a bare "NAME" removes it.
std::vector<std::string> child_environment(const std::vector<std::string>& changes) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
    auto apply = [&env](const std::string& change) {
        const std::string name = change.substr(0, change.find('='));
        for (auto it = env.begin(); it != env.end();) {
            if (it->compare(0, name.size() + 1, name + "=") == 0) {
                it = env.erase(it);
            } else {
                ++it;
            }
        }
        if (change.find('=') != std::string::npos) env.push_back(change);
    };
    apply("SDL_AUDIODRIVER=dummy");
    for (const std::string& change : changes) apply(change);
    return env;
}

std::vector<char*> c_strings(std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (std::string& s : strings) out.push_back(s.data());
    out.push_back(nullptr);
    return out;
}

// Reads what the non-blocking pipe holds; closes it and sets it to -1 at EOF.
void drain(int& fd, std::string& into) {
    if (fd < 0) return;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            into.append(buffer, static_cast<size_t>(n));
        } else if (n == 0) {
            close(fd);
            fd = -1;
            return;
        } else {
            if (errno == EINTR) continue;
            return;  // EAGAIN: nothing more for now
        }
    }
}

// The test binary links only the game library, so Xlib is loaded when first
// needed. The function types come from Xlib's own header.
struct Xlib {
    decltype(&XOpenDisplay) open_display = nullptr;
    decltype(&XCloseDisplay) close_display = nullptr;
    decltype(&XDefaultRootWindow) default_root_window = nullptr;
    decltype(&XQueryTree) query_tree = nullptr;
    decltype(&XGetWindowAttributes) get_window_attributes = nullptr;
    decltype(&XInternAtom) intern_atom = nullptr;
    decltype(&XSendEvent) send_event = nullptr;
    decltype(&XSync) sync = nullptr;
    decltype(&XFree) free = nullptr;
    decltype(&XSetErrorHandler) set_error_handler = nullptr;
    decltype(&XGetImage) get_image = nullptr;
    bool loaded = false;
};

// A window that vanishes between two requests is no reason to end the test
// process, which is what Xlib's default handler would do.
int ignore_x_error(Display*, XErrorEvent*) { return 0; }

const Xlib& xlib() {
    static Xlib lib = [] {
        Xlib l;
        void* handle = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) return l;
        auto load = [handle](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(handle, name));
            return fn != nullptr;
        };
        l.loaded = load(l.open_display, "XOpenDisplay") && load(l.close_display, "XCloseDisplay") &&
                   load(l.default_root_window, "XDefaultRootWindow") &&
                   load(l.query_tree, "XQueryTree") &&
                   load(l.get_window_attributes, "XGetWindowAttributes") &&
                   load(l.intern_atom, "XInternAtom") && load(l.send_event, "XSendEvent") &&
                   load(l.sync, "XSync") && load(l.free, "XFree") &&
                   load(l.set_error_handler, "XSetErrorHandler") && load(l.get_image, "XGetImage");
        if (l.loaded) l.set_error_handler(ignore_x_error);
        return l;
    }();
    return lib;
}

// An open connection to DISPLAY for the length of one helper call.
class XConnection {
public:
    XConnection() : display_(xlib().loaded ? xlib().open_display(nullptr) : nullptr) {}
    ~XConnection() {
        if (display_ != nullptr) xlib().close_display(display_);
    }
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;
    Display* get() const { return display_; }

private:
    Display* display_;
};

}  // namespace

double monotonic_seconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

GameProcess::GameProcess(const std::vector<std::string>& args,
                         const std::vector<std::string>& env, const std::string& binary) {
    int out_pipe[2];
    int err_pipe[2];
    if (pipe2(out_pipe, O_CLOEXEC) != 0 || pipe2(err_pipe, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe: " << strerror(errno);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out_pipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err_pipe[1], 2);

    std::vector<std::string> argv_strings{binary};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<std::string> env_strings = child_environment(env);
    std::vector<char*> argv_c = c_strings(argv_strings);
    std::vector<char*> env_c = c_strings(env_strings);

    pid_t pid = -1;
    const int rc = posix_spawn(&pid, binary.c_str(), &actions, nullptr, argv_c.data(), env_c.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out_pipe[1]);
    close(err_pipe[1]);
    out_fd_ = out_pipe[0];
    err_fd_ = err_pipe[0];
    fcntl(out_fd_, F_SETFL, O_NONBLOCK);
    fcntl(err_fd_, F_SETFL, O_NONBLOCK);
    if (rc != 0) {
        ADD_FAILURE() << "cannot start " << binary << ": " << strerror(rc);
        return;
    }
    pid_ = pid;
}

GameProcess::~GameProcess() {
    kill();
    if (out_fd_ >= 0) close(out_fd_);
    if (err_fd_ >= 0) close(err_fd_);
}

void GameProcess::collect(int wait_ms) {
    pollfd fds[2];
    nfds_t count = 0;
    for (int fd : {out_fd_, err_fd_}) {
        if (fd >= 0) fds[count++] = {fd, POLLIN, 0};
    }
    if (count > 0) {
        poll(fds, count, wait_ms);
    } else if (wait_ms > 0) {
        usleep(static_cast<useconds_t>(wait_ms) * 1000);
    }
    drain(out_fd_, out_);
    drain(err_fd_, err_);
}

std::optional<int> GameProcess::wait_exit(double timeout_seconds) {
    if (pid_ <= 0 || status_) return status_;
    const double deadline = monotonic_seconds() + timeout_seconds;
    for (;;) {
        int raw = 0;
        const pid_t done = waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            // The child is gone: read its pipes to the end.
            while (out_fd_ >= 0 || err_fd_ >= 0) collect(poll_step_ms);
            return status_;
        }
        if (monotonic_seconds() >= deadline) return std::nullopt;
        collect(poll_step_ms);
    }
}

bool GameProcess::running() {
    return pid_ > 0 && !wait_exit(0.0).has_value();
}

void GameProcess::kill() {
    if (pid_ <= 0 || status_) return;
    ::kill(pid_, SIGKILL);
    wait_exit(30.0);
}

const std::string& GameProcess::out() {
    collect(0);
    return out_;
}

const std::string& GameProcess::err() {
    collect(0);
    return err_;
}

bool GameProcess::wait_for_err(const std::string& needle, double timeout_seconds) {
    const double deadline = monotonic_seconds() + timeout_seconds;
    for (;;) {
        collect(poll_step_ms);
        if (err_.find(needle) != std::string::npos) return true;
        if (!running()) return err().find(needle) != std::string::npos;
        if (monotonic_seconds() >= deadline) return false;
    }
}

std::vector<XWindowInfo> root_children() {
    std::vector<XWindowInfo> windows;
    XConnection x;
    if (x.get() == nullptr) return windows;
    const Xlib& lib = xlib();
    Window root = lib.default_root_window(x.get());
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (lib.query_tree(x.get(), root, &root, &parent, &children, &count) == 0) return windows;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes a{};
        if (lib.get_window_attributes(x.get(), children[i], &a) == 0) continue;
        windows.push_back({children[i], a.x, a.y, a.width, a.height, a.map_state == IsViewable});
    }
    if (children != nullptr) lib.free(children);
    return windows;
}

std::optional<XWindowInfo> wait_for_window(int width, int height, double timeout_seconds,
                                           GameProcess* game) {
    const double deadline = monotonic_seconds() + timeout_seconds;
    for (;;) {
        for (const XWindowInfo& w : root_children()) {
            if (w.viewable && w.width == width && w.height == height) return w;
        }
        if (game != nullptr && !game->running()) return std::nullopt;
        if (monotonic_seconds() >= deadline) return std::nullopt;
        usleep(poll_step_ms * 1000);
    }
}

bool send_close_request(unsigned long window) {
    XConnection x;
    if (x.get() == nullptr) return false;
    const Xlib& lib = xlib();
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = lib.intern_atom(x.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(lib.intern_atom(x.get(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = lib.send_event(x.get(), window, False, NoEventMask, &event);
    lib.sync(x.get(), False);
    return sent != 0;
}

bool press_key_in(const XWindowInfo& window, const std::string& key) {
    const std::string command = "xdotool mousemove " + std::to_string(window.x + window.width / 2) +
                                " " + std::to_string(window.y + window.height / 2) + " sleep 0.1 key " +
                                key;
    return system(command.c_str()) == 0;
}

std::optional<Rgb> pixel_at(unsigned long window, int x, int y) {
    XConnection xc;
    if (xc.get() == nullptr) return std::nullopt;
    XImage* image = xlib().get_image(xc.get(), window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return std::nullopt;
    // The image carries its own accessors, so these macros need no linking.
    const unsigned long p = XGetPixel(image, 0, 0);
    const Rgb rgb{static_cast<int>((p & image->red_mask) >> __builtin_ctzl(image->red_mask)),
                  static_cast<int>((p & image->green_mask) >> __builtin_ctzl(image->green_mask)),
                  static_cast<int>((p & image->blue_mask) >> __builtin_ctzl(image->blue_mask))};
    XDestroyImage(image);
    return rgb;
}
