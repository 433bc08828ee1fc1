// A stand-in for a window manager on the test's X display, for as long as
// it lives: it shows one of the marks by which clients tell that a manager
// runs, and collects the requests to make a window iconic that clients send
// to the root window (the ICCCM way XIconifyWindow takes). It manages
// nothing by itself; iconify() does what a manager does with such a request.
#pragma once

#include <X11/Xlib.h>

#include <vector>

namespace xside {

class FakeWindowManager {
  public:
    enum class Mark {
        Selection,        // owns WM_S0
        SupportingCheck,  // _NET_SUPPORTING_WM_CHECK on the root and on its own window
        Redirect,         // redirects the root's children's map requests
        StaleCheck,       // only a root property naming a window that is gone: no manager
    };

    explicit FakeWindowManager(Mark mark);
    ~FakeWindowManager();
    FakeWindowManager(const FakeWindowManager&) = delete;
    FakeWindowManager& operator=(const FakeWindowManager&) = delete;

    bool ready() const { return display_ != nullptr; }

    // The windows asked to go iconic since the last call, in order; every
    // request the server had before this call is in it.
    std::vector<Window> iconifyRequests();

    // Unmaps the window and marks it iconic (WM_STATE), as a manager does.
    void iconify(Window window);

  private:
    Display* display_ = nullptr;
    Window root_ = 0;
    Window own_ = 0;
    Atom check_ = None;
};

}  // namespace xside
