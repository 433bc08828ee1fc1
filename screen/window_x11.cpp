// The X11 realisation of the surface's window (the Linux port).
//
// One undecorated top-level window of the surface's size, centred on the
// primary monitor, with the program's icon. A thread of its own reads the
// window's events and, on a 16 ms grid, sends the lines the program drew to
// the server. Where the server's
// pixels are 0x00RRGGBB words the window's image is the framebuffer itself,
// read under the core's drawing lock, and exposures are repainted from it;
// on other visuals a converted copy is kept, which is what the window shows,
// so only lines whose pixels differ from it are sent. Ticks with nothing to
// do are skipped: the core wakes the thread when it
// draws, and key events mark the held-key table for the next tick, so an
// idle window costs nothing between its events. Xlib runs in its
// thread-safe mode: setTitle and setPosition talk to the server from the
// caller's thread and then wake the window thread.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "os/windows_1252.h"
#include "screen/window_backend.h"
#include "screen/window_x11_icon.h"
#include "screen/window_x11_keys.h"
#include "screen/window_x11_monitor.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto REFRESH_PERIOD = std::chrono::milliseconds(16);
// A move the window manager has not confirmed by then is taken as done.
constexpr auto MOVE_SETTLE = std::chrono::milliseconds(200);
constexpr auto MAP_WAIT = std::chrono::milliseconds(2000);
constexpr Time DOUBLE_CLICK_MS = 500;

struct Atoms {
    Atom wmProtocols, wmDeleteWindow, wmName, wmIconName, netWmName, netWmIconName, utf8String;
    Atom motifWmHints, netActiveWindow, netWmPid, netWmIcon, wmSelection;
};

struct X11Window {
    Display* display = nullptr;
    int screen = 0;
    Window root = 0;
    Window window = 0;
    GC gc = nullptr;
    Atoms atoms{};
    int width = 0;
    int height = 0;

    // When the server's pixels are 0x00RRGGBB words the image's memory is the
    // core's framebuffer (directImage). Otherwise the image holds the picture
    // as the window shows it, converted, and `staging` the same picture as
    // 0x00RRGGBB words.
    XImage* image = nullptr;
    bool directImage = false;
    std::vector<std::uint32_t> staging;
    std::array<bool, SURFACE_HEIGHT> differs{};
    unsigned long redMask = 0, greenMask = 0, blueMask = 0;

    int wakeRead = -1;
    int wakeWrite = -1;
    std::atomic<bool> syncPending{true};
    // Lines wait to be copied; set by the core's drawing, cleared by a copy.
    std::atomic<bool> refreshWanted{true};
    bool keysChanged = true;  // window thread: the held-key table needs publishing

    // Window-thread state.
    bool active = false;
    int buttons = 0;  // 1 left, 2 right, 4 middle
    unsigned lastPressButton = 0;
    Time lastPressTime = 0;
    std::array<unsigned char, 256> scanOfKeycode{};
    std::array<bool, 256> keycodeDown{};     // for telling repeats from presses; cleared on (de)activation
    std::array<bool, 256> keycodePressed{};  // the server's key state, kept from key and keymap events
    std::array<bool, 128> heldMirror{};

    // Position, shared with the program's threads.
    std::mutex positionMutex;
    int knownX = 0, knownY = 0;
    int targetX = 0, targetY = 0;
    unsigned moveSerial = 0;
    unsigned settledSerial = 0;
    Clock::time_point movedAt{};
};

// Set once, when the window opens; never released (it lives as long as the process).
std::atomic<X11Window*> theWindow{nullptr};
std::mutex openMutex;

// Errors (a window that vanished under a query, a focus request the server
// refuses) must not end the program as Xlib's default handler would.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

void wake(X11Window& w) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(w.wakeWrite, &byte, 1);
}

void drainWake(X11Window& w) {
    char buffer[64];
    while (read(w.wakeRead, buffer, sizeof buffer) > 0) {}
}

Atom intern(Display* d, const char* name) { return XInternAtom(d, name, False); }

bool windowManagerRunning(X11Window& w) { return XGetSelectionOwner(w.display, w.atoms.wmSelection) != None; }

void setTextProperty(X11Window& w, Atom property, Atom type, const std::string& bytes) {
    XChangeProperty(w.display, w.window, property, type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
}

// WM_NAME carries the program's bytes as they are (Latin-1 is Windows-1252
// for every letter the program uses); _NET_WM_NAME the same text in UTF-8.
void publishTitle(X11Window& w, const std::string& title) {
    const std::string utf8 = windows1252::toDisplayUtf8(title);
    setTextProperty(w, w.atoms.wmName, XA_STRING, title);
    setTextProperty(w, w.atoms.wmIconName, XA_STRING, title);
    setTextProperty(w, w.atoms.netWmName, w.atoms.utf8String, utf8);
    setTextProperty(w, w.atoms.netWmIconName, w.atoms.utf8String, utf8);
}

void buildKeyTable(X11Window& w) {
    int minCode = 0, maxCode = 0;
    XDisplayKeycodes(w.display, &minCode, &maxCode);
    w.scanOfKeycode.fill(0);
    for (int code = std::max(minCode, 8); code <= std::min(maxCode, 255); ++code) {
        const KeySym sym = XkbKeycodeToKeysym(w.display, static_cast<KeyCode>(code), 0, 0);
        w.scanOfKeycode[static_cast<std::size_t>(code)] =
            static_cast<unsigned char>(x11keys::scanCodeForKey(code, sym));
    }
}

void readPosition(X11Window& w, int& x, int& y) {
    Window child = 0;
    x = y = 0;
    XTranslateCoordinates(w.display, w.window, w.root, 0, 0, &x, &y, &child);
}

// The server reported where the window is now.
void positionReported(X11Window& w) {
    int x = 0, y = 0;
    readPosition(w, x, y);
    std::lock_guard<std::mutex> guard(w.positionMutex);
    w.knownX = x;
    w.knownY = y;
    if (x == w.targetX && y == w.targetY) w.settledSerial = w.moveSerial;
}

void settleStaleMove(X11Window& w) {
    unsigned serial = 0;
    {
        std::lock_guard<std::mutex> guard(w.positionMutex);
        if (w.settledSerial == w.moveSerial || Clock::now() - w.movedAt < MOVE_SETTLE) return;
        serial = w.moveSerial;
    }
    int x = 0, y = 0;
    readPosition(w, x, y);
    std::lock_guard<std::mutex> guard(w.positionMutex);
    w.knownX = x;
    w.knownY = y;
    w.settledSerial = serial;
}

// ---- picture ----------------------------------------------------------------

bool hostIsLittleEndian() {
    const std::uint16_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

int maskShift(unsigned long mask) {
    int shift = 0;
    while (mask != 0 && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

// Scales an 8-bit channel into the bits of `mask`.
unsigned long channel(std::uint32_t value8, unsigned long mask) {
    const int shift = maskShift(mask);
    const unsigned long top = mask >> shift;
    return ((value8 * top + 127) / 255) << shift;
}

bool createImage(X11Window& w, Visual* visual, int depth) {
    w.image = XCreateImage(w.display, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                           static_cast<unsigned>(w.width), static_cast<unsigned>(w.height), 32, 0);
    if (w.image == nullptr) return false;
    w.redMask = visual->red_mask;
    w.greenMask = visual->green_mask;
    w.blueMask = visual->blue_mask;
    w.directImage = w.image->bits_per_pixel == 32 && w.image->bytes_per_line == w.width * 4 &&
                    w.width == SURFACE_WIDTH && w.height == SURFACE_HEIGHT && w.redMask == 0xFF0000 &&
                    w.greenMask == 0x00FF00 && w.blueMask == 0x0000FF;
    if (w.directImage) {
        // Xlib only reads an image it puts; the image is never destroyed.
        w.image->data = reinterpret_cast<char*>(const_cast<std::uint32_t*>(surface::framebuffer()));
    } else {
        const std::size_t bytes =
            static_cast<std::size_t>(w.image->bytes_per_line) * static_cast<std::size_t>(w.height);
        w.image->data = static_cast<char*>(std::calloc(bytes, 1));
        if (w.image->data == nullptr) return false;
        w.staging.assign(static_cast<std::size_t>(w.width) * static_cast<std::size_t>(w.height), 0);
    }
    // Pixels are written in the host's byte order; Xlib swaps for the server.
    w.image->byte_order = hostIsLittleEndian() ? LSBFirst : MSBFirst;
    XInitImage(w.image);
    return true;
}

void convertLine(X11Window& w, int y) {
    const std::uint32_t* row = w.staging.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w.width);
    for (int x = 0; x < w.width; ++x) {
        const std::uint32_t p = row[x];
        const unsigned long value = channel((p >> 16) & 0xFF, w.redMask) | channel((p >> 8) & 0xFF, w.greenMask) |
                                    channel(p & 0xFF, w.blueMask);
        XPutPixel(w.image, x, y, value);
    }
}

void putLines(X11Window& w, int x, int y, int width, int height) {
    if (width <= 0 || height <= 0) return;
    XPutImage(w.display, w.window, w.gc, w.image, x, y, x, y, static_cast<unsigned>(width),
              static_cast<unsigned>(height));
}

struct ExposedArea {
    X11Window* window;
    int x, y, width, height;
};

// Repaints an exposed part. A framebuffer image is read under the drawing
// lock, and not while a batch is open: then every line goes out with the
// first copy after the batch.
void repaint(X11Window& w, const XExposeEvent& e) {
    if (!w.directImage) {
        putLines(w, e.x, e.y, e.width, e.height);
        return;
    }
    ExposedArea area{&w, e.x, e.y, e.width, e.height};
    const auto show = [](void* context) {
        const auto& a = *static_cast<ExposedArea*>(context);
        putLines(*a.window, a.x, a.y, a.width, a.height);
    };
    if (!surface::showPicture(show, &area)) surface::markAllChanged();
}

// ---- input ------------------------------------------------------------------

void pushKind(int kind, int x = 0) {
    SurfaceEvent event;
    event.kind = kind;
    event.x = x;
    surface::pushEvent(event);
}

void changeActive(X11Window& w, bool active) {
    if (w.active == active) return;
    w.active = active;
    w.keysChanged = true;
    w.heldMirror.fill(false);
    w.keycodeDown.fill(false);
    surface::setActive(active);
    pushKind(active ? EVENT_ACTIVATED : EVENT_DEACTIVATED);
}

void takeKeymap(X11Window& w, const char (&map)[32]) {
    for (int code = 8; code < 256; ++code) {
        w.keycodePressed[static_cast<std::size_t>(code)] = (map[code / 8] & (1 << (code % 8))) != 0;
    }
    w.keysChanged = true;
}

// The held keys are the server's key state. While the window has the focus
// every press and release reaches it, and the server sends the whole state
// after each focus and pointer entry, so the table kept from those events is
// that state without a round trip at every refresh.
void refreshHeldKeys(X11Window& w) {
    std::array<bool, 128> held{};
    for (int code = 8; code < 256; ++code) {
        if (!w.keycodePressed[static_cast<std::size_t>(code)]) continue;
        const int scan = w.scanOfKeycode[static_cast<std::size_t>(code)];
        if (scan > 0 && scan < 128) held[static_cast<std::size_t>(scan)] = true;
    }
    for (std::size_t scan = 0; scan < held.size(); ++scan) {
        if (held[scan] == w.heldMirror[scan]) continue;
        w.heldMirror[scan] = held[scan];
        surface::setKeyHeld(static_cast<int>(scan), held[scan]);
    }
}

int surfaceButton(unsigned xButton) {
    switch (xButton) {
        case Button1: return 1;
        case Button3: return 2;
        case Button2: return 4;
        default: return 0;
    }
}

void releaseAllButtons(X11Window& w) {
    for (int button : {1, 2, 4}) {
        if (w.buttons & button) surface::mouseButton(button, false);
    }
    w.buttons = 0;
}

void onButton(X11Window& w, const XButtonEvent& e, bool down) {
    surface::mouseMoved(e.x, e.y, e.x_root, e.y_root);
    if (e.button == Button4 || e.button == Button5) {
        if (down) surface::mouseWheel(e.button == Button4 ? 1 : -1);
        return;
    }
    if (e.button == 6 || e.button == 7) {
        if (down) pushKind(EVENT_HWHEEL, e.button == 7 ? 1 : -1);
        return;
    }
    const int button = surfaceButton(e.button);
    if (button == 0) return;
    if (down) {
        // A click activates the window, as on Windows; a window manager
        // does that itself, without one nobody would.
        if (!w.active && !windowManagerRunning(w)) XSetInputFocus(w.display, w.window, RevertToParent, e.time);
        w.buttons |= button;
        surface::mouseButton(button, true);
        if (e.button == w.lastPressButton && e.time - w.lastPressTime <= DOUBLE_CLICK_MS) {
            pushKind(EVENT_DOUBLE_CLICK, button);
            w.lastPressButton = 0;
        } else {
            w.lastPressButton = e.button;
            w.lastPressTime = e.time;
        }
    } else {
        w.buttons &= ~button;
        surface::mouseButton(button, false);
    }
}

void onKey(X11Window& w, XKeyEvent& e, bool down) {
    const std::size_t code = e.keycode & 0xFF;
    const int scan = w.scanOfKeycode[code];
    w.keycodePressed[code] = down;
    w.keysChanged = true;
    if (!down) {
        w.keycodeDown[code] = false;
        pushKind(EVENT_KEY_UP, scan);
        return;
    }
    const bool repeat = w.keycodeDown[code];
    w.keycodeDown[code] = true;
    pushKind(repeat ? EVENT_KEY_REPEAT : EVENT_KEY_DOWN, scan);
    char lookup[16];
    KeySym sym = NoSymbol;
    const int length = XLookupString(&e, lookup, sizeof lookup, &sym, nullptr);
    const std::string keyCode = x11keys::keyCodeForPress(sym, lookup, length);
    if (!keyCode.empty()) surface::pushKey(keyCode);
}

// Focus moves caused by grabs (a window manager's key binding, a menu of
// another client) leave the window the focus window: they do not count.
bool focusCounts(const XFocusChangeEvent& e) {
    return (e.mode == NotifyNormal || e.mode == NotifyWhileGrabbed) && e.detail != NotifyPointer &&
           e.detail != NotifyInferior;
}

void handleEvent(X11Window& w, XEvent& e) {
    switch (e.type) {
        case Expose: repaint(w, e.xexpose); break;
        case MotionNotify: surface::mouseMoved(e.xmotion.x, e.xmotion.y, e.xmotion.x_root, e.xmotion.y_root); break;
        case EnterNotify:
            surface::mouseMoved(e.xcrossing.x, e.xcrossing.y, e.xcrossing.x_root, e.xcrossing.y_root);
            pushKind(EVENT_POINTER_ENTER);
            break;
        case LeaveNotify:
            // Another client took the pointer: the release will go there.
            if (e.xcrossing.mode == NotifyGrab) releaseAllButtons(w);
            surface::pointerLeft();
            pushKind(EVENT_POINTER_LEAVE);
            break;
        case ButtonPress:
        case ButtonRelease: onButton(w, e.xbutton, e.type == ButtonPress); break;
        case KeyPress:
        case KeyRelease: onKey(w, e.xkey, e.type == KeyPress); break;
        case FocusIn:
        case FocusOut:
            if (focusCounts(e.xfocus)) changeActive(w, e.type == FocusIn);
            break;
        case KeymapNotify: takeKeymap(w, e.xkeymap.key_vector); break;
        case ClientMessage:
            if (e.xclient.message_type == w.atoms.wmProtocols && e.xclient.format == 32 &&
                static_cast<Atom>(e.xclient.data.l[0]) == w.atoms.wmDeleteWindow) {
                surface::closeRequested();
            }
            break;
        case ConfigureNotify:
        case ReparentNotify: positionReported(w); break;
        case MappingNotify:
            XRefreshKeyboardMapping(&e.xmapping);
            buildKeyTable(w);
            break;
        default: break;
    }
}

// After (re)opening, the core starts from "active, pointer unknown": bring
// it in line with what the server says.
void syncState(X11Window& w) {
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(w.display, &focus, &revert);
    char map[32];
    XQueryKeymap(w.display, map);
    takeKeymap(w, map);
    w.active = true;
    w.heldMirror.fill(false);
    w.keycodeDown.fill(false);
    w.buttons = 0;
    changeActive(w, focus == w.window);
    Window rootReturn = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    if (XQueryPointer(w.display, w.window, &rootReturn, &child, &rootX, &rootY, &x, &y, &mask)) {
        surface::mouseMoved(x, y, rootX, rootY);
    }
}

bool moveUnsettled(X11Window& w) {
    std::lock_guard<std::mutex> guard(w.positionMutex);
    return w.settledSerial != w.moveSerial;
}

void refresh(X11Window& w) {
    w.refreshWanted = false;  // before the copy: a change drawn after it asks again
    w.keysChanged = false;
    if (w.active) refreshHeldKeys(w);
    settleStaleMove(w);
    if (w.width != SURFACE_WIDTH || w.height != SURFACE_HEIGHT) return;
    if (w.directImage) {
        const auto send = [](void* context, int first, int count) {
            X11Window& window = *static_cast<X11Window*>(context);
            putLines(window, 0, first, window.width, count);
        };
        surface::sendDrawnLines(send, &w);
        return;
    }
    if (!surface::takeDifferingLines(w.staging.data(), w.differs)) return;
    // One request per run of differing lines.
    for (int y = 0; y < w.height;) {
        if (!w.differs[static_cast<std::size_t>(y)]) {
            ++y;
            continue;
        }
        const int first = y;
        while (y < w.height && w.differs[static_cast<std::size_t>(y)]) {
            convertLine(w, y);
            ++y;
        }
        putLines(w, 0, first, w.width, y - first);
    }
}

// Something for the next tick: lines to copy, held keys to publish, or a
// move to confirm.
bool refreshDue(X11Window& w) { return w.refreshWanted || w.keysChanged || moveUnsettled(w); }

void messageLoop(X11Window* w) {
    // Ticks fall on a fixed grid, so a change is shown within one period
    // whenever it is drawn, as with a free-running timer.
    const Clock::time_point grid = Clock::now();
    Clock::time_point nextRefresh = grid;
    for (;;) {
        // Until the core has the window open it would drop what arrives.
        if (!surface::isOpen()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        if (w->syncPending.exchange(false)) {
            syncState(*w);
            w->refreshWanted = true;
        }
        while (XPending(w->display) > 0) {
            XEvent event;
            XNextEvent(w->display, &event);
            handleEvent(*w, event);
        }
        const Clock::time_point now = Clock::now();
        if (now >= nextRefresh && refreshDue(*w)) {
            refresh(*w);
            const auto periods = (now - grid) / REFRESH_PERIOD + 1;
            nextRefresh = grid + periods * REFRESH_PERIOD;
        }
        XFlush(w->display);
        if (XEventsQueued(w->display, QueuedAlready) > 0) continue;
        int timeout = -1;  // nothing due: sleep until an event or a wake
        if (refreshDue(*w)) {
            const auto wait =
                std::chrono::duration_cast<std::chrono::milliseconds>(nextRefresh - Clock::now()).count() + 1;
            timeout = static_cast<int>(std::clamp<long long>(wait, 0, REFRESH_PERIOD.count() + 1));
        }
        pollfd fds[2] = {{ConnectionNumber(w->display), POLLIN, 0}, {w->wakeRead, POLLIN, 0}};
        poll(fds, 2, timeout);
        if (fds[1].revents & POLLIN) drainWake(*w);
    }
}

// ---- opening ------------------------------------------------------------------

void setHints(X11Window& w, int x, int y) {
    XSizeHints* size = XAllocSizeHints();
    if (size) {
        size->flags = USPosition | PPosition | PSize | PMinSize | PMaxSize;
        size->x = x;
        size->y = y;
        size->width = size->min_width = size->max_width = w.width;
        size->height = size->min_height = size->max_height = w.height;
        XSetWMNormalHints(w.display, w.window, size);
        XFree(size);
    }
    XWMHints* wm = XAllocWMHints();
    if (wm) {
        wm->flags = InputHint | StateHint;
        wm->input = True;
        wm->initial_state = NormalState;
        XSetWMHints(w.display, w.window, wm);
        XFree(wm);
    }
    XClassHint* cls = XAllocClassHint();
    if (cls) {
        char name[] = "Corvane";
        cls->res_name = name;
        cls->res_class = name;
        XSetClassHint(w.display, w.window, cls);
        XFree(cls);
    }
    Atom protocols[] = {w.atoms.wmDeleteWindow};
    XSetWMProtocols(w.display, w.window, protocols, 1);
    // Motif hints: flags = decorations given, decorations = none.
    const long motif[5] = {2, 0, 0, 0, 0};
    XChangeProperty(w.display, w.window, w.atoms.motifWmHints, w.atoms.motifWmHints, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motif), 5);
    const long pid = static_cast<long>(getpid());
    XChangeProperty(w.display, w.window, w.atoms.netWmPid, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    // The program's icon, the pictures of the Windows one; Xlib takes 32-bit
    // items as longs.
    const std::vector<long> icon(std::begin(x11icon::NET_WM_ICON), std::end(x11icon::NET_WM_ICON));
    XChangeProperty(w.display, w.window, w.atoms.netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(icon.data()), static_cast<int>(icon.size()));
}

bool waitForMap(X11Window& w) {
    const Clock::time_point deadline = Clock::now() + MAP_WAIT;
    XEvent event;
    while (Clock::now() < deadline) {
        if (XCheckTypedWindowEvent(w.display, w.window, MapNotify, &event)) {
            XPutBackEvent(w.display, &event);
            return true;
        }
        pollfd fd = {ConnectionNumber(w.display), POLLIN, 0};
        poll(&fd, 1, 10);
        XEventsQueued(w.display, QueuedAfterReading);
    }
    return false;
}

// Brings the window to the front and gives it the keyboard: through the
// window manager when one runs, directly when none does (no one else would).
void bringToFront(X11Window& w) {
    XRaiseWindow(w.display, w.window);
    if (windowManagerRunning(w)) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = w.window;
        event.xclient.message_type = w.atoms.netActiveWindow;
        event.xclient.format = 32;
        event.xclient.data.l[0] = 1;  // a normal application asks
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(w.display, w.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        XSetInputFocus(w.display, w.window, RevertToParent, CurrentTime);
    }
}

X11Window* createWindow(int width, int height) {
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return nullptr;
    XSetErrorHandler(ignoreXError);
    auto* w = new X11Window;
    w->display = d;
    w->screen = DefaultScreen(d);
    w->root = RootWindow(d, w->screen);
    w->width = width;
    w->height = height;
    Atoms& a = w->atoms;
    a.wmProtocols = intern(d, "WM_PROTOCOLS");
    a.wmDeleteWindow = intern(d, "WM_DELETE_WINDOW");
    a.wmName = XA_WM_NAME;
    a.wmIconName = XA_WM_ICON_NAME;
    a.netWmName = intern(d, "_NET_WM_NAME");
    a.netWmIconName = intern(d, "_NET_WM_ICON_NAME");
    a.utf8String = intern(d, "UTF8_STRING");
    a.motifWmHints = intern(d, "_MOTIF_WM_HINTS");
    a.netActiveWindow = intern(d, "_NET_ACTIVE_WINDOW");
    a.netWmPid = intern(d, "_NET_WM_PID");
    a.netWmIcon = intern(d, "_NET_WM_ICON");
    a.wmSelection = intern(d, ("WM_S" + std::to_string(w->screen)).c_str());

    const x11monitor::Place place = x11monitor::centredPlace(
        x11monitor::monitors(d, w->root), DisplayWidth(d, w->screen), DisplayHeight(d, w->screen), width, height);
    const int x = place.x;
    const int y = place.y;
    Visual* visual = DefaultVisual(d, w->screen);
    const int depth = DefaultDepth(d, w->screen);
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.border_pixel = 0;
    attributes.bit_gravity = NorthWestGravity;
    attributes.colormap = DefaultColormap(d, w->screen);
    attributes.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                            PointerMotionMask | EnterWindowMask | LeaveWindowMask | FocusChangeMask | KeymapStateMask |
                            StructureNotifyMask;
    w->window = XCreateWindow(d, w->root, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0, depth,
                              InputOutput, visual,
                              CWBackPixmap | CWBorderPixel | CWBitGravity | CWColormap | CWEventMask, &attributes);
    int pipeEnds[2];
    if (w->window == 0 || !createImage(*w, visual, depth) || pipe2(pipeEnds, O_NONBLOCK | O_CLOEXEC) != 0) {
        XCloseDisplay(d);
        return nullptr;  // the half-made record is left: this happens once at most
    }
    w->wakeRead = pipeEnds[0];
    w->wakeWrite = pipeEnds[1];
    w->gc = XCreateGC(d, w->window, 0, nullptr);
    setHints(*w, x, y);
    publishTitle(*w, std::string());
    XDefineCursor(d, w->window, XCreateFontCursor(d, XC_left_ptr));
    XkbSetDetectableAutoRepeat(d, True, nullptr);
    buildKeyTable(*w);

    XMapRaised(d, w->window);
    XFlush(d);
    if (waitForMap(*w)) bringToFront(*w);
    XSync(d, False);
    int px = 0, py = 0;
    readPosition(*w, px, py);
    w->knownX = w->targetX = px;
    w->knownY = w->targetY = py;
    return w;
}

}  // namespace

namespace {

// Losing the X server ends the program at once: Xlib would otherwise call
// exit(), whose destructors run under the still-working program threads.
int serverLost(Display*) {
    std::fflush(nullptr);
    _exit(0);
}

}  // namespace

namespace backend {

bool open(int width, int height) {
    std::lock_guard<std::mutex> guard(openMutex);
    if (X11Window* w = theWindow) {
        // Opened again after the core was reset (tests): the same window.
        w->syncPending = true;
        wake(*w);
        return true;
    }
    XInitThreads();
    XSetIOErrorHandler(serverLost);
    X11Window* w = createWindow(width, height);
    if (w == nullptr) return false;
    theWindow = w;
    std::thread(messageLoop, w).detach();
    return true;
}

void setTitle(std::string_view title) {
    X11Window* w = theWindow;
    if (w == nullptr) return;
    publishTitle(*w, std::string(title));
    XSync(w->display, False);  // a search right after must find the new title
    wake(*w);
}

void getPosition(int& x, int& y) {
    X11Window* w = theWindow;
    if (w == nullptr) {
        x = y = 0;
        return;
    }
    std::lock_guard<std::mutex> guard(w->positionMutex);
    // Until the server has the window where it was last sent, report that
    // place: a drag adds each movement to the position it asked for.
    const bool pending = w->moveSerial != w->settledSerial;
    x = pending ? w->targetX : w->knownX;
    y = pending ? w->targetY : w->knownY;
}

void picturePending() {
    X11Window* w = theWindow;
    // One wake per copy at most: the flag stays set until the copy.
    if (w != nullptr && !w->refreshWanted.exchange(true)) wake(*w);
}

void setPosition(int x, int y) {
    X11Window* w = theWindow;
    if (w == nullptr) return;
    {
        std::lock_guard<std::mutex> guard(w->positionMutex);
        w->targetX = x;
        w->targetY = y;
        ++w->moveSerial;
        w->movedAt = Clock::now();
    }
    XMoveWindow(w->display, w->window, x, y);
    XFlush(w->display);
    wake(*w);
}

}  // namespace backend
