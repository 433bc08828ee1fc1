// Minimising a top-level window found by its exact title, through X11.
//
// The title is matched against WM_NAME byte for byte and against
// _NET_WM_NAME as UTF-8. With a window manager the window is asked to go
// iconic the ICCCM way. Without one nothing happens: a window unmapped then
// would have no task bar, icon or key to bring it back, and the program would
// run on out of everybody's reach.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <string>
#include <vector>

#include "os/os.h"
#include "os/windows_1252.h"

namespace os {
namespace {

int ignoreXError(Display*, XErrorEvent*) { return 0; }

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

// The window of a _NET_SUPPORTING_WM_CHECK property, 0 if there is none.
Window supportingWindow(Display* d, Window w, Atom check) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, check, 0, 1, False, XA_WINDOW, &type, &format, &count, &after, &data) != Success ||
        data == nullptr) {
        return 0;
    }
    const bool one = type == XA_WINDOW && format == 32 && count == 1;
    const Window found = one ? *reinterpret_cast<const unsigned long*>(data) : 0;
    XFree(data);
    return found;
}

// A window manager runs when any of its three marks is there: it owns the
// screen's WM_S<n> selection (ICCCM), the root names a window that names
// itself in _NET_SUPPORTING_WM_CHECK (EWMH; a manager that died leaves the
// root's property behind, naming a window that is gone), or a client
// redirects the root's children's map requests, which is what managing
// windows means and what older managers do without either mark.
bool windowManagerRunning(Display* d, int screen) {
    const Window root = RootWindow(d, screen);
    const Atom selection = XInternAtom(d, ("WM_S" + std::to_string(screen)).c_str(), False);
    if (XGetSelectionOwner(d, selection) != None) return true;
    const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
    const Window named = supportingWindow(d, root, check);
    if (named != 0 && supportingWindow(d, named, check) == named) return true;
    XWindowAttributes attributes{};
    return XGetWindowAttributes(d, root, &attributes) && (attributes.all_event_masks & SubstructureRedirectMask) != 0;
}

}  // namespace

void minimiseWindowByTitle(const std::string& title) {
    XInitThreads();
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return;
    XSetErrorHandler(ignoreXError);
    const Names names{XInternAtom(d, "_NET_WM_NAME", False), title, windows1252::toDisplayUtf8(title)};
    const Window w = findTitled(d, DefaultRootWindow(d), names);
    if (w != 0 && windowManagerRunning(d, DefaultScreen(d))) XIconifyWindow(d, w, DefaultScreen(d));
    XSync(d, False);
    XCloseDisplay(d);
}

}  // namespace os
