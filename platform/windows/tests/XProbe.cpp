// A small X11 probe for the end-to-end tests, doing what a person looking at the screen and
// clicking a window's close button would:
//   xprobe grab FILE.png        save the whole screen
//   xprobe pixel X Y            print the colour at a screen point as RRGGBB
//   xprobe dark X Y W H [LIMIT] print how many pixels of the area have every channel below
//                               LIMIT (default 90)
//   xprobe hash X Y W H         print a checksum of the area's pixels
//   xprobe count TITLE          print how many top-level windows have that exact title
//   xprobe viewable TITLE       print 1 when such a window is mapped and viewable, else 0
//   xprobe close TITLE          ask the window to close, as a window manager's close button
//   xprobe focus TITLE          give the window the keyboard focus
//   xprobe rect TITLE           print the window's X Y W H on the screen
//   xprobe frame TITLE          the same with the window manager's decoration around it
//   xprobe wm                   print 1 when a window manager runs, else 0
//   xprobe icons TITLE          print the sizes of the window's icons (WxH ...), as a task bar
//                               reads them
// Qt first: Xlib's macros (Status, None, ...) break Qt's headers.
#include <QImage>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Top-level windows by title, also where a window manager has put them into frames of its own.
void FindTitled(Display* display, Window parent, const std::string& title, int depth,
                std::vector<Window>& found) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count))
        return;
    for (unsigned int i = 0; i < count; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (title == name)
                found.push_back(children[i]);
            XFree(name);
        } else if (depth < 3) {
            FindTitled(display, children[i], title, depth + 1, found);
        }
    }
    if (children)
        XFree(children);
}

std::vector<Window> WindowsTitled(Display* display, const std::string& title) {
    std::vector<Window> found;
    FindTitled(display, DefaultRootWindow(display), title, 0, found);
    return found;
}

// A window's property of 32-bit numbers (Xlib hands them over as longs); empty when it has none.
std::vector<unsigned long> Numbers(Display* display, Window w, const char* name) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> numbers;
    if (XGetWindowProperty(display, w, XInternAtom(display, name, False), 0, 1 << 20, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data) == Success &&
        data && format == 32)
        numbers.assign(reinterpret_cast<const unsigned long*>(data),
                       reinterpret_cast<const unsigned long*>(data) + count);
    if (data)
        XFree(data);
    return numbers;
}

// A window's rectangle on the screen, widened by the decoration the window manager names.
void PrintRect(Display* display, Window w, bool decorated) {
    XWindowAttributes a;
    Window child = 0;
    int x = 0, y = 0;
    if (!XGetWindowAttributes(display, w, &a) ||
        !XTranslateCoordinates(display, w, DefaultRootWindow(display), 0, 0, &x, &y, &child))
        return;
    std::vector<unsigned long> frame(4, 0); // left, right, top, bottom
    if (auto extents = Numbers(display, w, "_NET_FRAME_EXTENTS"); decorated && extents.size() == 4)
        frame = extents;
    std::printf("%ld %ld %ld %ld\n", x - long(frame[0]), y - long(frame[2]),
                a.width + long(frame[0] + frame[1]), a.height + long(frame[2] + frame[3]));
}

// _NET_WM_ICON holds width, height and that many pixels, for each icon in turn.
void PrintIconSizes(Display* display, Window window) {
    const std::vector<unsigned long> values = Numbers(display, window, "_NET_WM_ICON");
    std::string sizes;
    for (std::size_t i = 0; i + 1 < values.size(); i += 2 + values[i] * values[i + 1])
        sizes += (sizes.empty() ? "" : " ") + std::to_string(values[i]) + "x" +
                 std::to_string(values[i + 1]);
    std::printf("%s\n", sizes.c_str());
}

int Usage() {
    std::fprintf(stderr, "usage: xprobe grab FILE | pixel X Y | dark|hash X Y W H | wm |\n"
                         "       count|viewable|close|focus|rect|frame|icons TITLE\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "xprobe: no X display\n");
        return 1;
    }
    const std::string command = argv[1];
    const Window root = DefaultRootWindow(display);
    int result = 0;
    if (command == "wm") {
        // A window manager redirects the root window's children.
        XWindowAttributes attributes;
        XGetWindowAttributes(display, root, &attributes);
        std::printf("%d\n", (attributes.all_event_masks & SubstructureRedirectMask) ? 1 : 0);
    } else if (argc < 3) {
        result = Usage();
    } else if (command == "grab" || command == "pixel" || command == "dark" || command == "hash") {
        XWindowAttributes attributes;
        XGetWindowAttributes(display, root, &attributes);
        XImage* shot =
            XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
        if (!shot)
            return 1;
        if (command == "grab") {
            QImage image(attributes.width, attributes.height, QImage::Format_RGB32);
            for (int y = 0; y < attributes.height; ++y)
                for (int x = 0; x < attributes.width; ++x)
                    image.setPixel(x, y, static_cast<QRgb>(XGetPixel(shot, x, y)) | 0xFF000000u);
            result = image.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
        } else if ((command == "dark" || command == "hash") && argc >= 6) {
            const int x0 = std::atoi(argv[2]), y0 = std::atoi(argv[3]);
            const int x1 = std::min(x0 + std::atoi(argv[4]), attributes.width);
            const int y1 = std::min(y0 + std::atoi(argv[5]), attributes.height);
            const unsigned long limit = argc >= 7 ? std::strtoul(argv[6], nullptr, 10) : 90;
            unsigned long dark = 0, hash = 1469598103u;
            for (int y = std::max(y0, 0); y < y1; ++y)
                for (int x = std::max(x0, 0); x < x1; ++x) {
                    const unsigned long p = XGetPixel(shot, x, y) & 0xFFFFFF;
                    if ((p >> 16) < limit && ((p >> 8) & 0xFF) < limit && (p & 0xFF) < limit)
                        ++dark;
                    hash = (hash ^ p) * 16777619u & 0xFFFFFFFFu;
                }
            std::printf("%lu\n", command == "dark" ? dark : hash);
        } else if (command == "pixel" && argc >= 4) {
            const unsigned long pixel = XGetPixel(shot, std::atoi(argv[2]), std::atoi(argv[3]));
            std::printf("%06lX\n", pixel & 0xFFFFFF);
        } else {
            result = Usage();
        }
        XDestroyImage(shot);
    } else {
        const std::vector<Window> windows = WindowsTitled(display, argv[2]);
        if (command == "count") {
            std::printf("%zu\n", windows.size());
        } else if (command == "viewable") {
            const bool viewable = std::any_of(windows.begin(), windows.end(), [&](Window w) {
                XWindowAttributes attributes;
                return XGetWindowAttributes(display, w, &attributes) &&
                       attributes.map_state == IsViewable;
            });
            std::printf("%d\n", viewable ? 1 : 0);
        } else if (command != "rect" && command != "frame" && command != "icons" &&
                   command != "close" && command != "focus") {
            result = Usage();
        } else if (windows.empty()) {
            result = 1;
        } else if (command == "rect" || command == "frame") {
            PrintRect(display, windows.front(), command == "frame");
        } else if (command == "icons") {
            PrintIconSizes(display, windows.front());
        } else {
            for (Window w : windows) {
                if (command == "focus") {
                    XSetInputFocus(display, w, RevertToParent, CurrentTime);
                    continue;
                }
                XEvent event{};
                event.xclient.type = ClientMessage;
                event.xclient.window = w;
                event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
                event.xclient.format = 32;
                event.xclient.data.l[0] =
                    static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
                event.xclient.data.l[1] = CurrentTime;
                XSendEvent(display, w, False, NoEventMask, &event);
            }
        }
    }
    XSync(display, False);
    XCloseDisplay(display);
    return result;
}
