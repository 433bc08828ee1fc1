#include "screen/window_x11_monitor.h"

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <algorithm>

namespace x11monitor {

namespace {

// One axis: centred in [start, start + extent), but never starting before it.
int centred(int start, int extent, int size) { return start + std::max(0, (extent - size) / 2); }

// The RandR 1.5 monitor record as libXrandr.so.2 lays it out (its ABI, which
// that soname keeps); declared here so that building needs no RandR headers.
struct RandrMonitor {
    Atom name;
    Bool primary;
    Bool automatic;
    int noutput;
    int x, y, width, height;
    int mwidth, mheight;
    unsigned long* outputs;
};

using QueryExtension = Bool (*)(Display*, int*, int*);
using QueryVersion = Status (*)(Display*, int*, int*);
using GetMonitors = RandrMonitor* (*)(Display*, Window, Bool, int*);
using FreeMonitors = void (*)(RandrMonitor*);

struct Randr {
    QueryExtension queryExtension = nullptr;
    QueryVersion queryVersion = nullptr;
    GetMonitors getMonitors = nullptr;
    FreeMonitors freeMonitors = nullptr;
};

// Opened once and kept: the window asks once, when it opens. libXrandr's own
// libX11 is the one already loaded, found by its soname.
const Randr& randr() {
    static const Randr functions = [] {
        Randr r;
        void* h = dlopen("libXrandr.so.2", RTLD_NOW | RTLD_LOCAL);
        if (h == nullptr) return r;
        r.queryExtension = reinterpret_cast<QueryExtension>(dlsym(h, "XRRQueryExtension"));
        r.queryVersion = reinterpret_cast<QueryVersion>(dlsym(h, "XRRQueryVersion"));
        r.getMonitors = reinterpret_cast<GetMonitors>(dlsym(h, "XRRGetMonitors"));
        r.freeMonitors = reinterpret_cast<FreeMonitors>(dlsym(h, "XRRFreeMonitors"));
        return r;
    }();
    return functions;
}

}  // namespace

Place centredPlace(const std::vector<Area>& monitors, int screenWidth, int screenHeight, int windowWidth,
                   int windowHeight) {
    const Area* chosen = nullptr;
    for (const Area& m : monitors) {
        if (m.width <= 0 || m.height <= 0) continue;
        if (chosen == nullptr || (m.primary && !chosen->primary)) chosen = &m;
    }
    Area whole;
    whole.width = screenWidth;
    whole.height = screenHeight;
    if (chosen == nullptr) chosen = &whole;
    return Place{centred(chosen->x, chosen->width, windowWidth), centred(chosen->y, chosen->height, windowHeight)};
}

std::vector<Area> monitors(Display* display, unsigned long root) {
    const Randr& r = randr();
    std::vector<Area> out;
    if (r.queryExtension == nullptr || r.queryVersion == nullptr || r.getMonitors == nullptr ||
        r.freeMonitors == nullptr) {
        return out;
    }
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!r.queryExtension(display, &eventBase, &errorBase) || !r.queryVersion(display, &major, &minor)) return out;
    if (major < 1 || (major == 1 && minor < 5)) return out;  // monitors came with 1.5
    int count = 0;
    RandrMonitor* list = r.getMonitors(display, root, True, &count);
    if (list == nullptr) return out;
    for (int i = 0; i < count; ++i) {
        Area a;
        a.x = list[i].x;
        a.y = list[i].y;
        a.width = list[i].width;
        a.height = list[i].height;
        a.primary = list[i].primary != 0;
        out.push_back(a);
    }
    r.freeMonitors(list);
    return out;
}

}  // namespace x11monitor
