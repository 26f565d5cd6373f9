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

// A window's rectangle on the screen, widened by the decoration the window manager names.
void PrintRect(Display* display, Window w, bool decorated) {
    XWindowAttributes a;
    Window child = 0;
    int x = 0, y = 0;
    if (!XGetWindowAttributes(display, w, &a) ||
        !XTranslateCoordinates(display, w, DefaultRootWindow(display), 0, 0, &x, &y, &child))
        return;
    long left = 0, right = 0, top = 0, bottom = 0;
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    if (decorated &&
        XGetWindowProperty(display, w, XInternAtom(display, "_NET_FRAME_EXTENTS", False), 0, 4,
                           False, XA_CARDINAL, &type, &format, &items, &after, &data) == Success &&
        data && items == 4) {
        const long* v = reinterpret_cast<const long*>(data);
        left = v[0], right = v[1], top = v[2], bottom = v[3];
    }
    if (data)
        XFree(data);
    std::printf("%ld %ld %ld %ld\n", x - left, y - top, a.width + left + right,
                a.height + top + bottom);
}

// _NET_WM_ICON holds width, height and that many pixels, for each icon in turn.
int PrintIconSizes(Display* display, Window window) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 20,
                           False, XA_CARDINAL, &type, &format, &count, &after, &data) != Success)
        return 1;
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    std::string sizes;
    for (unsigned long i = 0; data && format == 32 && i + 1 < count;) {
        const unsigned long width = values[i], height = values[i + 1];
        sizes += (sizes.empty() ? "" : " ") + std::to_string(width) + "x" + std::to_string(height);
        i += 2 + width * height;
    }
    if (data)
        XFree(data);
    std::printf("%s\n", sizes.c_str());
    return 0;
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
            bool viewable = false;
            for (Window w : windows) {
                XWindowAttributes attributes;
                if (XGetWindowAttributes(display, w, &attributes) &&
                    attributes.map_state == IsViewable)
                    viewable = true;
            }
            std::printf("%d\n", viewable ? 1 : 0);
        } else if ((command == "rect" || command == "frame") && !windows.empty()) {
            PrintRect(display, windows.front(), command == "frame");
        } else if (command == "icons") {
            result = windows.empty() ? 1 : PrintIconSizes(display, windows.front());
        } else if (command == "close" || command == "focus") {
            if (windows.empty())
                result = 1;
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
        } else {
            result = Usage();
        }
    }
    XSync(display, False);
    XCloseDisplay(display);
    return result;
}
