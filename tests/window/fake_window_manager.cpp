#include "tests/window/fake_window_manager.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace xside {

FakeWindowManager::FakeWindowManager(Mark mark) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr) return;
    root_ = DefaultRootWindow(display_);
    own_ = XCreateSimpleWindow(display_, root_, -10, -10, 1, 1, 0, 0, 0);
    check_ = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False);
    long events = SubstructureNotifyMask;
    switch (mark) {
        case Mark::Selection:
            XSetSelectionOwner(display_, XInternAtom(display_, "WM_S0", False), own_, CurrentTime);
            break;
        case Mark::SupportingCheck:
            XChangeProperty(display_, root_, check_, XA_WINDOW, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&own_), 1);
            XChangeProperty(display_, own_, check_, XA_WINDOW, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&own_), 1);
            break;
        case Mark::Redirect: events |= SubstructureRedirectMask; break;
        case Mark::StaleCheck: {
            const Window gone = XCreateSimpleWindow(display_, root_, -10, -10, 1, 1, 0, 0, 0);
            XChangeProperty(display_, root_, check_, XA_WINDOW, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&gone), 1);
            XChangeProperty(display_, gone, check_, XA_WINDOW, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&gone), 1);
            XDestroyWindow(display_, gone);
            break;
        }
    }
    XSelectInput(display_, root_, events);
    XSync(display_, False);
}

FakeWindowManager::~FakeWindowManager() {
    if (display_ == nullptr) return;
    // The selection, the own window and the redirect end with the connection;
    // a root property stays unless taken off.
    XDeleteProperty(display_, root_, check_);
    XCloseDisplay(display_);
}

std::vector<Window> FakeWindowManager::iconifyRequests() {
    std::vector<Window> out;
    if (display_ == nullptr) return out;
    XSync(display_, False);  // the server's events so far are read
    const Atom changeState = XInternAtom(display_, "WM_CHANGE_STATE", False);
    XEvent e;
    while (XCheckTypedEvent(display_, ClientMessage, &e)) {
        if (e.xclient.message_type == changeState && e.xclient.format == 32 && e.xclient.data.l[0] == IconicState) {
            out.push_back(e.xclient.window);
        }
    }
    return out;
}

void FakeWindowManager::iconify(Window window) {
    const Atom wmState = XInternAtom(display_, "WM_STATE", False);
    const long state[2] = {IconicState, None};
    XUnmapWindow(display_, window);
    XChangeProperty(display_, window, wmState, wmState, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(state), 2);
    XSync(display_, False);
}

}  // namespace xside
