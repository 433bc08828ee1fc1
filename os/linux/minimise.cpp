// Minimising a top-level window found by its exact title, through X11.
//
// The title is matched against WM_NAME byte for byte and against
// _NET_WM_NAME as UTF-8. With a window manager the window is asked to go
// iconic the ICCCM way; without one nobody would answer that request, so the
// window is unmapped and marked iconic here, which is what a window manager
// would have done.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>
#include <vector>

#include "os/os.h"

namespace os {
namespace {

int ignoreXError(Display*, XErrorEvent*) { return 0; }

// Latin-1 to UTF-8: the program's titles are Windows-1252, which agrees
// with Latin-1 for every letter it uses.
std::string utf8FromLatin1(const std::string& text) {
    std::string out;
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool readProperty(Display* d, Window w, Atom property, std::string& out) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, property, 0, 4096, False, AnyPropertyType, &type, &format, &count, &after, &data) !=
            Success ||
        data == nullptr) {
        return false;
    }
    const bool text = format == 8;
    if (text) out.assign(reinterpret_cast<const char*>(data), count);
    XFree(data);
    return text;
}

struct Names {
    Atom netWmName;
    std::string latin1;
    std::string utf8;
};

bool titled(Display* d, Window w, const Names& names) {
    std::string value;
    if (readProperty(d, w, XA_WM_NAME, value) && (value == names.latin1 || value == names.utf8)) return true;
    return readProperty(d, w, names.netWmName, value) && value == names.utf8;
}

std::vector<Window> children(Display* d, Window w) {
    Window root = 0, parent = 0;
    Window* list = nullptr;
    unsigned count = 0;
    std::vector<Window> out;
    if (XQueryTree(d, w, &root, &parent, &list, &count) && list != nullptr) {
        out.assign(list, list + count);
        XFree(list);
    }
    return out;
}

// The top-level windows in stacking order: the window manager's client list
// when it keeps one, else the root's children and, for a manager that wraps
// clients into frames, the frames' children.
Window findTitled(Display* d, Window root, const Names& names) {
    const Atom clientList = XInternAtom(d, "_NET_CLIENT_LIST", True);
    if (clientList != None) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, root, clientList, 0, 65536, False, XA_WINDOW, &type, &format, &count, &after,
                               &data) == Success &&
            data != nullptr) {
            const auto* windows = reinterpret_cast<const unsigned long*>(data);
            Window found = 0;
            for (unsigned long i = 0; i < count && format == 32 && found == 0; ++i) {
                if (titled(d, windows[i], names)) found = windows[i];
            }
            XFree(data);
            if (found != 0) return found;
        }
    }
    const std::vector<Window> tops = children(d, root);
    for (const Window w : tops) {
        if (titled(d, w, names)) return w;
    }
    for (const Window frame : tops) {
        for (const Window w : children(d, frame)) {
            if (titled(d, w, names)) return w;
        }
    }
    return 0;
}

void minimise(Display* d, Window w) {
    const int screen = DefaultScreen(d);
    const Atom managerSelection = XInternAtom(d, ("WM_S" + std::to_string(screen)).c_str(), False);
    if (XGetSelectionOwner(d, managerSelection) != None) {
        XIconifyWindow(d, w, screen);
        return;
    }
    const Atom wmState = XInternAtom(d, "WM_STATE", False);
    const long state[2] = {IconicState, None};
    XUnmapWindow(d, w);
    XChangeProperty(d, w, wmState, wmState, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(state), 2);
}

}  // namespace

void minimiseWindowByTitle(const std::string& title) {
    XInitThreads();
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return;
    XSetErrorHandler(ignoreXError);
    const Names names{XInternAtom(d, "_NET_WM_NAME", False), title, utf8FromLatin1(title)};
    const Window w = findTitled(d, DefaultRootWindow(d), names);
    if (w != 0) minimise(d, w);
    XSync(d, False);
    XCloseDisplay(d);
}

}  // namespace os
