#pragma once

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>

namespace nv_test {

/// Xlib, reached through the copy the window library already loaded, so the tests need no link flags of their own.
struct Xlib {
    Display *(*open_display)(const char *) = nullptr;
    Atom (*intern_atom)(Display *, const char *, Bool) = nullptr;
    Status (*send_event)(Display *, Window, Bool, long, XEvent *) = nullptr;
    int (*sync)(Display *, Bool) = nullptr;
    int (*close_display)(Display *) = nullptr;

    static const Xlib &get() {
        static const Xlib xlib = [] {
            Xlib x;
            void *p_lib = dlopen("libX11.so.6", RTLD_NOW);
            if (p_lib != nullptr) {
                x.open_display = reinterpret_cast<decltype(x.open_display)>(dlsym(p_lib, "XOpenDisplay"));
                x.intern_atom = reinterpret_cast<decltype(x.intern_atom)>(dlsym(p_lib, "XInternAtom"));
                x.send_event = reinterpret_cast<decltype(x.send_event)>(dlsym(p_lib, "XSendEvent"));
                x.sync = reinterpret_cast<decltype(x.sync)>(dlsym(p_lib, "XSync"));
                x.close_display = reinterpret_cast<decltype(x.close_display)>(dlsym(p_lib, "XCloseDisplay"));
            }
            return x;
        }();
        return xlib;
    }
    bool usable() const { return open_display && intern_atom && send_event && sync && close_display; }
};

/// Whether an X client can connect to the display name.
inline bool canOpenDisplay(const std::string &name) {
    const Xlib &x = Xlib::get();
    if (!x.usable()) {
        return false;
    }
    Display *p_display = x.open_display(name.c_str());
    if (p_display == nullptr) {
        return false;
    }
    x.close_display(p_display);
    return true;
}

/// Whether the server process has exited (and is reaped).
inline bool serverGone(pid_t server) {
    return waitpid(server, nullptr, WNOHANG) == server;
}

/// Starts one Xvfb on display number that dies with this process; false when it did not come up there.
inline bool startXvfb(int number, pid_t &server) {
    const std::string name = ":" + std::to_string(number);
    server = fork();
    if (server < 0) {
        return false;
    }
    if (server == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        const int quiet = open("/dev/null", O_RDWR);
        dup2(quiet, 0);
        dup2(quiet, 1);
        dup2(quiet, 2);
        // No other descriptor stays open, so no test runner waits on output pipes the server inherited.
        for (int fd = 3; fd < 1024; fd++) {
            close(fd);
        }
        execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
               static_cast<char *>(nullptr));
        _exit(127);
    }
    // Without -noreset the server restarts when our probe disconnects and refuses the window library's connection.
    // A display number already served elsewhere makes our server exit, even if a client could connect to the
    // other one; so the server must both answer and still be running.
    for (int wait_ms = 0; wait_ms < 5000; wait_ms += 50) {
        if (serverGone(server)) {
            return false;
        }
        if (canOpenDisplay(name)) {
            usleep(200000);
            if (!serverGone(server)) {
                return true;
            }
            return false;
        }
        usleep(50000);
    }
    kill(server, SIGKILL);
    waitpid(server, nullptr, 0);
    return false;
}

/// Keeps the software OpenGL driver loaded to the end, so that the leak checker can name the driver behind
/// its own leftovers (and the suppressions match it) instead of reporting them from an unloaded module.
inline void pinOpenGlDriver() {
    const char *const drivers[] = {"/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", "/usr/lib/dri/swrast_dri.so"};
    for (const char *driver : drivers) {
        if (dlopen(driver, RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE) != nullptr) {
            return;
        }
    }
}

/// Starts an Xvfb of this process's own and points DISPLAY at it; false if none can be had. A private server
/// keeps tests that run side by side from sharing keyboard focus and key state.
inline bool ensureDisplay() {
    static const bool ready = [] {
        pinOpenGlDriver();
        static pid_t server = -1;
        for (int attempt = 0; attempt < 8; attempt++) {
            const int number = 200 + static_cast<int>((getpid() * 7 + attempt * 131) % 700);
            if (startXvfb(number, server)) {
                std::atexit([] {
                    kill(server, SIGTERM);
                    waitpid(server, nullptr, 0);
                });
                setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
                return true;
            }
        }
        return false;
    }();
    return ready;
}

/// Asks a window to close the way a window manager's close button does (WM_DELETE_WINDOW); false on failure.
inline bool requestWindowClose(unsigned long window_id) {
    const Xlib &x = Xlib::get();
    if (!x.usable()) {
        return false;
    }
    Display *p_display = x.open_display(nullptr);
    if (p_display == nullptr) {
        return false;
    }
    XEvent event;
    std::memset(&event, 0, sizeof(event));
    event.xclient.type = ClientMessage;
    event.xclient.window = window_id;
    event.xclient.message_type = x.intern_atom(p_display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(x.intern_atom(p_display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = x.send_event(p_display, window_id, False, NoEventMask, &event);
    x.sync(p_display, False);
    x.close_display(p_display);
    return sent != 0;
}

} // namespace nv_test
