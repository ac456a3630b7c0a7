// SPDX-License-Identifier: GPL-3.0-or-later
// Times a program's windows coming on screen, from outside, as an X client.
//
//   startup_probe [--cwd DIR] BOX_TITLE MENU_TITLE|- PROGRAM [ARG...]
//
// Starts PROGRAM and prints one line:
//   box_ms=...   launch to the window titled BOX_TITLE being mapped
//   menu_ms=...  the Enter key that dismisses the box to the window titled
//                MENU_TITLE being mapped ("-": the program ends with the box)
//   hwm_kb=...   the program's peak resident memory (VmHWM) at the menu, or
//                at the box when there is no menu
// Windows are seen through the root window's MapNotify events, so there must
// be no window manager (Xvfb alone). Exits 1 when a window does not come.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTimeout = std::chrono::seconds(30);
// Time given to a window to paint and settle before it is read or answered.
constexpr auto kSettle = std::chrono::milliseconds(300);

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A window may be gone by the time its name is asked for.
int ignoreXErrors(Display *, XErrorEvent *) { return 0; }

std::string windowName(Display *display, Window window)
{
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    std::string name;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after,
                           &data) == Success && data != nullptr) {
        name.assign(reinterpret_cast<char *>(data), count);
        XFree(data);
        return name;
    }
    char *plain = nullptr;
    if (XFetchName(display, window, &plain) && plain != nullptr) {
        name = plain;
        XFree(plain);
    }
    return name;
}

bool childAlive(pid_t child)
{
    int status = 0;
    return waitpid(child, &status, WNOHANG) == 0;
}

// Waits for a top-level window titled so to be mapped.
Window waitForMap(Display *display, const std::string &title, pid_t child)
{
    const auto deadline = Clock::now() + kTimeout;
    while (Clock::now() < deadline) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && windowName(display, event.xmap.window) == title)
                return event.xmap.window;
        }
        if (!childAlive(child))
            return None;
        pollfd fd{ConnectionNumber(display), POLLIN, 0};
        poll(&fd, 1, 20);
    }
    return None;
}

long peakResidentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

void pressEnter(Display *display, Window window)
{
    XSetInputFocus(display, window, RevertToPointerRoot, CurrentTime);
    const KeyCode enter = XKeysymToKeycode(display, XK_Return);
    XTestFakeKeyEvent(display, enter, True, CurrentTime);
    XTestFakeKeyEvent(display, enter, False, CurrentTime);
    XFlush(display);
}

void settle(Display *display)
{
    std::this_thread::sleep_for(kSettle);
    while (XPending(display) > 0) { // drop what came meanwhile
        XEvent event;
        XNextEvent(display, &event);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    int arg = 1;
    const char *folder = nullptr;
    if (arg + 1 < argc && std::strcmp(argv[arg], "--cwd") == 0) {
        folder = argv[arg + 1];
        arg += 2;
    }
    if (argc - arg < 3) {
        std::fprintf(stderr, "usage: %s [--cwd DIR] BOX_TITLE MENU_TITLE|- PROGRAM [ARG...]\n", argv[0]);
        return 2;
    }
    const std::string boxTitle = argv[arg];
    const std::string menuTitle = std::strcmp(argv[arg + 1], "-") == 0 ? std::string() : argv[arg + 1];
    char **program = argv + arg + 2;
    // A path relative to here must still name the program after the chdir.
    char *resolved = std::strchr(program[0], '/') != nullptr ? realpath(program[0], nullptr) : nullptr;
    if (resolved != nullptr)
        program[0] = resolved;

    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fputs("startup_probe: cannot open the display\n", stderr);
        return 2;
    }
    XSetErrorHandler(ignoreXErrors);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const auto launched = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (folder != nullptr && chdir(folder) != 0)
            _exit(127);
        execvp(program[0], program);
        _exit(127);
    }

    int failed = 0;
    const Window box = waitForMap(display, boxTitle, child);
    const double boxMs = msSince(launched);
    double menuMs = -1;
    long hwmKb = -1;
    if (box == None) {
        std::fprintf(stderr, "startup_probe: no window titled \"%s\"\n", boxTitle.c_str());
        failed = 1;
    } else if (menuTitle.empty()) {
        settle(display);
        hwmKb = peakResidentKb(child);
        pressEnter(display, box);
    } else {
        settle(display);
        const auto pressed = Clock::now();
        pressEnter(display, box);
        if (waitForMap(display, menuTitle, child) == None) {
            std::fprintf(stderr, "startup_probe: no window titled \"%s\"\n", menuTitle.c_str());
            failed = 1;
        } else {
            menuMs = msSince(pressed);
            settle(display);
            hwmKb = peakResidentKb(child);
        }
    }

    // The one-box program ends with its box; anything else still running is
    // told to stop.
    const auto deadline = Clock::now() + std::chrono::seconds(menuTitle.empty() && !failed ? 5 : 0);
    while (childAlive(child) && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (childAlive(child)) {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
    XCloseDisplay(display);
    if (failed)
        return 1;
    std::printf("box_ms=%.1f menu_ms=%.1f hwm_kb=%ld\n", boxMs, menuMs, hwmKb);
    return 0;
}
