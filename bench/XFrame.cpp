// Times a program's start to its first complete frame on an X screen, as a person sees it:
//   xframe TITLE PROGRAM [ARGUMENTS...]
// starts the program, finds its top-level window by title, and after every X Damage event on
// it reads the window's pixels. When nothing has changed for a while the picture is settled;
// the first complete frame is the first moment the window showed the settled picture. Prints
// "milliseconds-to-first-complete-frame peak-resident-kB frames-seen" and ends the program.
// X only, so that the probe itself loads no toolkit beside the program it measures.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kSettle = std::chrono::milliseconds(800);
constexpr auto kGiveUp = std::chrono::seconds(20);

int IgnoreErrors(Display*, XErrorEvent*) {
    return 0;
}

// The window with that title among the root's children and theirs (a window manager puts
// each top-level window into a frame of its own).
Window FindTitled(Display* display, Window parent, const char* title, int depth = 0) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count))
        return 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (std::strcmp(name, title) == 0)
                found = children[i];
            XFree(name);
        }
        if (!found && depth < 1)
            found = FindTitled(display, children[i], title, depth + 1);
    }
    if (children)
        XFree(children);
    return found;
}

// A checksum of the window's pixels; 0 when they cannot be read (not yet viewable).
unsigned long Hash(Display* display, Window window) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, window, &a) || a.map_state != IsViewable)
        return 0;
    XImage* image = XGetImage(display, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
    if (!image)
        return 0;
    unsigned long hash = 1469598103u;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            hash = (hash ^ (XGetPixel(image, x, y) & 0xFFFFFF)) * 16777619u & 0xFFFFFFFFu;
    XDestroyImage(image);
    return hash | 1;
}

long PeakKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: xframe TITLE PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    int damageEvent = 0, damageError = 0;
    if (!display || !XDamageQueryExtension(display, &damageEvent, &damageError)) {
        std::fprintf(stderr, "xframe: no X display with the Damage extension\n");
        return 1;
    }
    XSetErrorHandler(IgnoreErrors);

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    auto since = [&](Clock::time_point t) {
        return std::chrono::duration<double, std::milli>(t - start).count();
    };

    Window window = 0;
    while (!window && Clock::now() - start < kGiveUp) {
        window = FindTitled(display, DefaultRootWindow(display), argv[1]);
        if (!window)
            std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    std::vector<std::pair<double, unsigned long>> frames;
    if (window) {
        XDamageCreate(display, window, XDamageReportNonEmpty);
        XFlush(display);
        // What was drawn before the window was found counts from this moment.
        if (unsigned long h = Hash(display, window))
            frames.emplace_back(since(Clock::now()), h);
        Clock::time_point last = Clock::now();
        while (Clock::now() - last < kSettle && Clock::now() - start < kGiveUp) {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            if (!XPending(display))
                poll(&fd, 1, 20);
            bool damaged = false;
            while (XPending(display)) {
                XEvent event;
                XNextEvent(display, &event);
                if (event.type == damageEvent + XDamageNotify) {
                    XDamageSubtract(display, reinterpret_cast<XDamageNotifyEvent*>(&event)->damage,
                                    None, None);
                    damaged = true;
                }
            }
            if (damaged) {
                // Read after the events, and timed after the read: a frame is counted from when
                // it was surely there.
                const unsigned long h = Hash(display, window);
                const Clock::time_point now = Clock::now();
                if (h && (frames.empty() || frames.back().second != h))
                    frames.emplace_back(since(now), h);
                last = now;
            }
        }
    }
    const long peak = PeakKilobytes(child);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XCloseDisplay(display);
    if (frames.empty()) {
        std::fprintf(stderr, "xframe: no frame of \"%s\" was seen\n", argv[1]);
        return 1;
    }
    double first = frames.back().first;
    for (const auto& [ms, hash] : frames)
        if (hash == frames.back().second) {
            first = ms;
            break;
        }
    std::printf("%.1f %ld %zu\n", first, peak, frames.size());
    return 0;
}
