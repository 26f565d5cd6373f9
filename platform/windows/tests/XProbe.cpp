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

std::vector<Window> WindowsTitled(Display* display, const std::string& title) {
    std::vector<Window> found;
    Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count))
        return found;
    for (unsigned int i = 0; i < count; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (title == name)
                found.push_back(children[i]);
            XFree(name);
        }
    }
    if (children)
        XFree(children);
    return found;
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
    std::fprintf(stderr,
                 "usage: xprobe grab FILE | pixel X Y | count|viewable|close|focus|icons TITLE\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return Usage();
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "xprobe: no X display\n");
        return 1;
    }
    const std::string command = argv[1];
    const Window root = DefaultRootWindow(display);
    int result = 0;
    if (command == "grab" || command == "pixel" || command == "dark" || command == "hash") {
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
