// The real window realisation (X11 natively, Win32 under Wine) on a private
// Xvfb display: placement and title, pixels on the screen, keys, pointer,
// focus, the close request and minimising, all seen from the X server.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "os/os.h"
#include "screen/surface.h"
#include "screen/window_backend.h"
#include "tests/window/x_side.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "tests/window/fake_window_manager.h"
#endif

namespace {

// Xvfb's screen is 1280x1024, one monitor: the window's centred place.
constexpr int LEFT = (1280 - 800) / 2;
constexpr int TOP = (1024 - 584) / 2;

bool waitUntil(const std::function<bool()>& condition, int ms = 3000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::vector<SurfaceEvent> takeEvents() {
    std::vector<SurfaceEvent> out;
    SurfaceEvent event;
    while (pollEvent(event)) out.push_back(event);
    return out;
}

std::vector<std::string> takeKeys() {
    std::vector<std::string> out;
    for (std::string key = readKey(); !key.empty(); key = readKey()) out.push_back(key);
    return out;
}

void drainInput() {
    pause(50);
    takeEvents();
    takeKeys();
}

// Waits for the first event of `kind`, keeping the events read on the way.
bool waitForEvent(int kind, SurfaceEvent& found, std::vector<SurfaceEvent>* seen = nullptr) {
    return waitUntil([&] {
        for (const SurfaceEvent& e : takeEvents()) {
            if (seen) seen->push_back(e);
            if (e.kind == kind) {
                found = e;
                return true;
            }
        }
        return false;
    });
}

#ifndef _WIN32
// A text property's bytes as stored, without any conversion for the locale.
std::string rawProperty(const std::string& id, const char* name) {
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return "";
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(d, std::stoul(id), XInternAtom(d, name, False), 0, 1024, False, AnyPropertyType, &type,
                           &format, &count, &after, &data) == Success &&
        data != nullptr) {
        if (format == 8) out.assign(reinterpret_cast<const char*>(data), count);
        XFree(data);
    }
    XCloseDisplay(d);
    return out;
}
#endif

#ifndef _WIN32
// The images of the Windows icon file as _NET_WM_ICON lists them: width,
// height, then 0xAARRGGBB pixels from the top row (the file's 32-bit images
// are stored bottom-up as blue, green, red, alpha).
std::vector<unsigned long> iconFileAsNetWmIcon(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto u8 = [&](std::size_t at) {
        return static_cast<unsigned long>(static_cast<unsigned char>(bytes.at(at)));
    };
    const auto u16 = [&](std::size_t at) { return u8(at) | u8(at + 1) << 8; };
    const auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    std::vector<unsigned long> out;
    for (unsigned long i = 0; i < u16(4); ++i) {
        const std::size_t entry = 6 + 16 * i;
        const unsigned long n = u8(entry);
        const std::size_t dib = u32(entry + 12);
        if (u16(entry + 6) != 32 || u32(dib) != 40) return {};
        out.push_back(n);
        out.push_back(n);
        for (unsigned long y = 0; y < n; ++y) {
            for (unsigned long x = 0; x < n; ++x) {
                const std::size_t at = dib + 40 + 4 * ((n - 1 - y) * n + x);
                out.push_back(u8(at + 3) << 24 | u8(at + 2) << 16 | u8(at + 1) << 8 | u8(at));
            }
        }
    }
    return out;
}

std::vector<unsigned long> cardinalProperty(const std::string& id, const char* name) {
    Display* d = XOpenDisplay(nullptr);
    if (d == nullptr) return {};
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> out;
    if (XGetWindowProperty(d, std::stoul(id), XInternAtom(d, name, False), 0, 65536, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr) {
        // Xlib hands 32-bit items over as longs, sign-extended.
        if (type == XA_CARDINAL && format == 32) {
            const auto* items = reinterpret_cast<const unsigned long*>(data);
            for (unsigned long i = 0; i < count; ++i) out.push_back(items[i] & 0xFFFFFFFFul);
        }
        XFree(data);
    }
    XCloseDisplay(d);
    return out;
}
#endif

bool pointerReported(int& x, int& y, int& wheel, int& buttons) { return getMouse(x, y, wheel, buttons); }

void drawPattern() {
    lockScreen();
    fillBox(0, 0, 800, 584, colourBackground);
    fillBox(100, 50, 299, 149, colourAccent);
    drawBox(0, 0, 799, 583, colourWhite);
    setPixel(400, 300, colourLogging);
    drawText(8, 5, "\xDB", colourBlack);  // the full block: x 8..15, y 5..12
    unlockScreen();
}

bool showsPattern(const xside::Picture& p) {
    auto at = [&](int x, int y) { return p.at(LEFT + x, TOP + y); };
    return at(0, 0) == colourWhite && at(799, 583) == colourWhite && at(799, 0) == colourWhite &&
           at(150, 100) == colourAccent && at(100, 50) == colourAccent && at(299, 149) == colourAccent &&
           at(300, 150) == colourBackground && at(400, 300) == colourLogging && at(401, 300) == colourBackground &&
           at(8, 5) == colourBlack && at(15, 12) == colourBlack && at(16, 12) == colourBackground;
}

// The whole window shows exactly the framebuffer.
bool showsFramebuffer() {
    const xside::Picture p = xside::screenshot();
    for (int y = 0; y < SURFACE_HEIGHT; ++y)
        for (int x = 0; x < SURFACE_WIDTH; ++x)
            if (p.at(LEFT + x, TOP + y) != surface::pixel(x, y)) return false;
    return true;
}

class RealWindow : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!xside::available()) return;
        opened = openWindow(800, 584);
        setWindowTitle("Corvane");
        id = xside::findWindow("Corvane");
#ifdef _WIN32
        hwnd = FindWindowA(nullptr, "Corvane");
#endif
    }

    void SetUp() override {
        if (!xside::available()) GTEST_SKIP() << "no private X server (Xvfb) to open windows on";
        ASSERT_TRUE(opened);
        ASSERT_FALSE(id.empty()) << "no visible window titled Corvane";
    }

    // The pointer in the window's middle (400, 292) and the keyboard on it.
    static bool focusWindow() {
        xside::shell("xdotool mousemove 640 512 windowfocus " + id);
        int x, y, wheel, buttons;
        return waitUntil([&] { return pointerReported(x, y, wheel, buttons) && x == 400 && y == 292; });
    }

    // The keyboard to the root window; true once the window reported the loss.
    static bool focusRoot() {
        std::string root = xside::shell("xwininfo -root");
        root = root.substr(root.find("Window id: ") + 11);
        root = root.substr(0, root.find(' '));
        xside::shell("xdotool windowfocus " + root);
        SurfaceEvent e;
        return waitForEvent(EVENT_DEACTIVATED, e);
    }

    static bool minimised() {
#ifdef _WIN32
        return IsIconic(hwnd) != FALSE;
#else
        return !xside::geometry(id).viewable &&
               xside::shell("xprop -id " + id + " WM_STATE").find("Iconic") != std::string::npos;
#endif
    }

    static void restore() {
#ifdef _WIN32
        ShowWindow(hwnd, SW_RESTORE);
#else
        xside::shell("xdotool windowmap " + id);
#endif
    }

    static inline bool opened = false;
    static inline std::string id;
#ifdef _WIN32
    static inline HWND hwnd = nullptr;
#endif
};

TEST_F(RealWindow, OpensCentredShownAndInFront) {
    const xside::Geometry g = xside::geometry(id);
    EXPECT_TRUE(g.viewable);
    EXPECT_EQ(g.x, LEFT);
    EXPECT_EQ(g.y, TOP);
    EXPECT_EQ(g.width, 800);
    EXPECT_EQ(g.height, 584);
    int x = 0, y = 0;
    getWindowPosition(x, y);
    EXPECT_EQ(x, LEFT);
    EXPECT_EQ(y, TOP);
    // In front: it has the keyboard without anybody giving it. (Wine without
    // a window manager leaves the X focus following the pointer and keeps
    // the foreground window itself.)
#ifdef _WIN32
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(GetForegroundWindow(), hwnd);
    const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU));
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 584);
#else
    EXPECT_EQ(xside::trim(xside::shell("xdotool getwindowfocus")), id);
    const std::string props = xside::shell("xprop -id " + id + " _MOTIF_WM_HINTS WM_PROTOCOLS WM_NAME _NET_WM_NAME");
    EXPECT_NE(props.find("_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x2, 0x0, 0x0, 0x0, 0x0"), std::string::npos) << props;
    EXPECT_NE(props.find("WM_DELETE_WINDOW"), std::string::npos) << props;
    EXPECT_NE(props.find("WM_NAME(STRING) = \"Corvane\""), std::string::npos) << props;
    EXPECT_NE(props.find("_NET_WM_NAME(UTF8_STRING) = \"Corvane\""), std::string::npos) << props;
    EXPECT_NE(xside::shell("xwininfo -id " + id).find("Override Redirect State: no"), std::string::npos);
#endif
}

#ifndef _WIN32
// The icon a task bar or window switcher shows is the Windows program's:
// both sizes, pixel for pixel, opaque.
TEST_F(RealWindow, CarriesTheProgramsIconInBothSizes) {
    const std::vector<unsigned long> expected = iconFileAsNetWmIcon(CORV_ICON_FILE);
    ASSERT_EQ(expected.size(), 2u + 16 * 16 + 2 + 32 * 32) << CORV_ICON_FILE;
    const std::vector<unsigned long> icon = cardinalProperty(id, "_NET_WM_ICON");
    ASSERT_EQ(icon.size(), expected.size());
    EXPECT_EQ(std::vector<unsigned long>(icon.begin(), icon.begin() + 2), (std::vector<unsigned long>{16, 16}));
    EXPECT_EQ(std::vector<unsigned long>(icon.begin() + 258, icon.begin() + 260), (std::vector<unsigned long>{32, 32}));
    std::size_t same = 0;
    while (same < icon.size() && icon[same] == expected[same]) ++same;
    EXPECT_EQ(same, icon.size()) << "the window's icon differs from " << CORV_ICON_FILE << " at item " << same;
}
#endif

TEST_F(RealWindow, ShowsTheFramebufferOnlyWhenNoBatchIsOpen) {
    drawPattern();
    const char* copy = std::getenv("CORV_WINDOW_SHOT");
    ASSERT_TRUE(waitUntil([&] { return showsPattern(xside::screenshot(copy ? copy : "")); }));

    lockScreen();
    fillBox(100, 50, 299, 149, colourFocus);
    pause(150);
    EXPECT_EQ(xside::screenshot().at(LEFT + 150, TOP + 100), colourAccent) << "drawn inside an open batch";
    unlockScreen();
    EXPECT_TRUE(waitUntil([] { return xside::screenshot().at(LEFT + 150, TOP + 100) == colourFocus; }));
}

// The window sends only the lines whose pixels differ from what it shows:
// scattered changes (the first and the last line, runs of neighbours, a line
// drawn over with the same pixels) must still leave the whole picture right.
TEST_F(RealWindow, ScatteredChangesLeaveTheWholePictureOnTheScreen) {
    drawPattern();
    ASSERT_TRUE(waitUntil([] { return showsPattern(xside::screenshot()); }));
    lockScreen();
    drawPattern();  // the same pixels again: nothing of it differs
    setPixel(3, 0, colourFocus);
    setPixel(4, 1, colourFocus);
    fillBox(200, 200, 210, 202, colourLogging);
    setPixel(700, 204, colourBlack);               // one line apart from the run above
    drawText(600, 576, "\xDB\xDB", colourAccent);  // down to the last line
    setPixel(799, 583, colourBlack);
    unlockScreen();
    EXPECT_TRUE(waitUntil(showsFramebuffer));
    // Changes outside a batch, each seen by itself.
    setPixel(10, 583, colourFocus);
    fillBox(0, 0, 799, 0, colourBackground);
    EXPECT_TRUE(waitUntil(showsFramebuffer));
}

TEST_F(RealWindow, KeysArriveAsKeyCodes) {
    ASSERT_TRUE(focusWindow());
    drainInput();
    xside::shell("xdotool key --delay 30 x");
    ASSERT_TRUE(waitUntil(keyPressedSinceCheck));
    EXPECT_FALSE(keyPressedSinceCheck());
    EXPECT_EQ(readKey(), "x");

    xside::shell("xdotool key --delay 30 a Return Home udiaeresis F1 Delete shift+b Escape BackSpace Next");
    std::vector<std::string> keys;
    waitUntil([&] {
        for (const std::string& k : takeKeys()) keys.push_back(k);
        return keys.size() >= 10;
    });
    const std::vector<std::string> expected = {"a",        "\r", "\xFF\x47", "\x81", "\xFF\x3B",
                                               "\xFF\x53", "B",  "\x1B",     "\b",   "\xFF\x51"};
    EXPECT_EQ(keys, expected);
}

TEST_F(RealWindow, AltF4IsSeenHeldAndTheWindowStays) {
    ASSERT_TRUE(focusWindow());
    drainInput();
    EXPECT_FALSE(isKeyDown(0x38));
    xside::shell("xdotool keydown Alt_L keydown F4");
    EXPECT_TRUE(waitUntil([] { return isKeyDown(0x38) && isKeyDown(0x3E); }));
    xside::shell("xdotool keyup F4 keyup Alt_L");
    EXPECT_TRUE(waitUntil([] { return !isKeyDown(0x38) && !isKeyDown(0x3E); }));
    pause(100);
    const std::vector<std::string> keys = takeKeys();
    ASSERT_FALSE(keys.empty());
    EXPECT_EQ(keys[0], "\xFF\x3E");
#ifdef _WIN32
    // The system turns Alt+F4 into a close request, which closes nothing.
    EXPECT_NE(std::find(keys.begin(), keys.end(), "\xFF\x6B"), keys.end());
#endif
    EXPECT_TRUE(xside::geometry(id).viewable);
}

TEST_F(RealWindow, PointerMovesAreDesktopDeltas) {
    ASSERT_TRUE(focusWindow());
    drainInput();
    xside::shell("xdotool mousemove 645 512");
    SurfaceEvent move;
    ASSERT_TRUE(waitForEvent(EVENT_MOUSE_MOVE, move));
    EXPECT_EQ(move.x, 405);
    EXPECT_EQ(move.y, 292);
    EXPECT_EQ(move.dx, 5);
    EXPECT_EQ(move.dy, 0);

    // The window follows the pointer by 5 pixels: the pointer's place in
    // the window stays, the event still says it moved by 5.
    int wx = 0, wy = 0;
    getWindowPosition(wx, wy);
    setWindowPosition(wx + 5, wy - 3);
    getWindowPosition(wx, wy);
    EXPECT_EQ(wx, LEFT + 5);  // at once, even before the move is done
    EXPECT_EQ(wy, TOP - 3);
    EXPECT_TRUE(waitUntil([&] { return xside::geometry(id).x == LEFT + 5; }));
    drainInput();
    xside::shell("xdotool mousemove 650 509");
    ASSERT_TRUE(waitForEvent(EVENT_MOUSE_MOVE, move));
    EXPECT_EQ(move.x, 405);
    EXPECT_EQ(move.y, 292);
    EXPECT_EQ(move.dx, 5);
    EXPECT_EQ(move.dy, -3);

    setWindowPosition(LEFT, TOP);
    EXPECT_TRUE(waitUntil([&] {
        const xside::Geometry g = xside::geometry(id);
        return g.x == LEFT && g.y == TOP;
    }));
    waitUntil([&] {
        getWindowPosition(wx, wy);
        return wx == LEFT && wy == TOP;
    });
    EXPECT_EQ(wx, LEFT);
    EXPECT_EQ(wy, TOP);
}

TEST_F(RealWindow, ButtonsWheelAndCapture) {
    ASSERT_TRUE(focusWindow());
    int x, y, wheel, buttons;
    ASSERT_TRUE(getMouse(x, y, wheel, buttons));
    EXPECT_EQ(buttons, 0);
    const int wheelBefore = wheel;
    drainInput();

    std::vector<SurfaceEvent> seen;
    SurfaceEvent e;
    xside::shell("xdotool mousedown 1");
    EXPECT_TRUE(waitUntil([&] { return getMouse(x, y, wheel, buttons) && buttons == 1; }));
    xside::shell("xdotool mouseup 1 click 3 click 2");
    ASSERT_TRUE(waitUntil([&] {
        for (const SurfaceEvent& ev : takeEvents())
            if (ev.kind == EVENT_BUTTON_DOWN || ev.kind == EVENT_BUTTON_UP) seen.push_back(ev);
        return seen.size() >= 6;
    }));
    const int kinds[6] = {EVENT_BUTTON_DOWN, EVENT_BUTTON_UP,   EVENT_BUTTON_DOWN,
                          EVENT_BUTTON_UP,   EVENT_BUTTON_DOWN, EVENT_BUTTON_UP};
    const int which[6] = {1, 1, 2, 2, 4, 4};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(seen[static_cast<std::size_t>(i)].kind, kinds[i]) << i;
        EXPECT_EQ(seen[static_cast<std::size_t>(i)].x, which[i]) << i;
    }

    xside::shell("xdotool click 4 click 4 click 5");
    EXPECT_TRUE(waitUntil([&] { return getMouse(x, y, wheel, buttons) && wheel == wheelBefore + 1; }));
    pause(100);
    int wheelEvents = 0;
    for (const SurfaceEvent& ev : takeEvents()) wheelEvents += ev.kind == EVENT_WHEEL;
    EXPECT_EQ(wheelEvents, 3);

    // Held while leaving the window: the release outside is still seen.
    drainInput();
    xside::shell("xdotool mousedown 1 mousemove 20 20 mouseup 1");
    ASSERT_TRUE(waitForEvent(EVENT_BUTTON_UP, e));
    EXPECT_EQ(e.x, 1);
    EXPECT_FALSE(getMouse(x, y, wheel, buttons));
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, -1);
    EXPECT_EQ(wheel, -1);
    EXPECT_EQ(buttons, -1);
}

TEST_F(RealWindow, LosingTheKeyboardDeactivates) {
    ASSERT_TRUE(focusWindow());
    drainInput();
    ASSERT_TRUE(focusRoot());
    int x, y, wheel, buttons;
    EXPECT_FALSE(getMouse(x, y, wheel, buttons));  // the pointer is still inside
    xside::shell("xdotool keydown Alt_L");
    pause(100);
    EXPECT_FALSE(isKeyDown(0x38));
    xside::shell("xdotool keyup Alt_L");
    // A click makes it active again, with no window manager to help.
    xside::shell("xdotool click 1");
    SurfaceEvent e;
    EXPECT_TRUE(waitForEvent(EVENT_ACTIVATED, e));
    EXPECT_TRUE(waitUntil([&] { return getMouse(x, y, wheel, buttons) && x == 400 && y == 292; }));
}

#ifndef _WIN32
// The held keys come from the window's own key events; a key pressed while
// another window had the keyboard sends the window no press, so only the
// key state the server hands over with the focus can tell it is held.
TEST_F(RealWindow, AKeyHeldAsTheWindowGainsTheKeyboardCountsAsHeld) {
    ASSERT_TRUE(focusWindow());
    drainInput();
    ASSERT_TRUE(focusRoot());
    // With the root focused, keys go to the window under the pointer: not ours.
    xside::shell("xdotool mousemove 5 5 keydown Alt_L");
    ASSERT_TRUE(focusWindow());
    EXPECT_TRUE(waitUntil([] { return isKeyDown(0x38); }));
    xside::shell("xdotool keyup Alt_L");
    EXPECT_TRUE(waitUntil([] { return !isKeyDown(0x38); }));
}
#endif

TEST_F(RealWindow, CloseRequestQueuesItsCodeAndClosesNothing) {
    drainInput();
#ifdef _WIN32
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
#else
    Display* d = XOpenDisplay(nullptr);
    ASSERT_NE(d, nullptr);
    XEvent message{};
    message.xclient.type = ClientMessage;
    message.xclient.window = std::stoul(id);
    message.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    message.xclient.format = 32;
    message.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    message.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, message.xclient.window, False, NoEventMask, &message);
    XSync(d, False);
    XCloseDisplay(d);
#endif
    SurfaceEvent e;
    ASSERT_TRUE(waitForEvent(EVENT_CLOSE_REQUEST, e));
    EXPECT_EQ(takeKeys(), std::vector<std::string>{"\xFF\x6B"});
    pause(200);
    EXPECT_TRUE(xside::geometry(id).viewable);
    EXPECT_EQ(xside::findWindow("Corvane", 0), id);
}

#ifdef _WIN32
TEST_F(RealWindow, MinimiseFindsTheExactTitleAndRestoringKeepsThePicture) {
    drawPattern();
    ASSERT_TRUE(waitUntil([] { return showsPattern(xside::screenshot()); }));
    // (Windows compares titles without regard to case.)
    for (const char* other : {"Corvan", "Corvane ", "Corvane2"}) os::minimiseWindowByTitle(other);
    pause(200);
    EXPECT_FALSE(minimised());
    EXPECT_TRUE(xside::geometry(id).viewable);

    os::minimiseWindowByTitle("Corvane");
    EXPECT_TRUE(waitUntil(minimised));
    restore();
    EXPECT_TRUE(waitUntil([] { return xside::geometry(id).viewable; }));
    // Repainted from the window's own copy: the program drew nothing since.
    EXPECT_TRUE(waitUntil([] { return showsPattern(xside::screenshot()); }));
}
#else
// Minimising returns only after the server has had every request, so what
// it did (or did not) is there to see at once.
TEST_F(RealWindow, MinimiseWithoutAWindowManagerLeavesTheWindowAlone) {
    os::minimiseWindowByTitle("Corvane");
    EXPECT_TRUE(xside::geometry(id).viewable);
    EXPECT_EQ(xside::shell("xprop -id " + id + " WM_STATE").find("Iconic"), std::string::npos);
    // A manager that died leaves its root property naming a window that is gone.
    xside::FakeWindowManager stale(xside::FakeWindowManager::Mark::StaleCheck);
    ASSERT_TRUE(stale.ready());
    os::minimiseWindowByTitle("Corvane");
    EXPECT_TRUE(stale.iconifyRequests().empty());
    EXPECT_TRUE(xside::geometry(id).viewable);
}

TEST_F(RealWindow, MinimiseAsksAWindowManagerByAnyOfItsMarks) {
    using Mark = xside::FakeWindowManager::Mark;
    for (const Mark mark : {Mark::Selection, Mark::SupportingCheck, Mark::Redirect}) {
        xside::FakeWindowManager manager(mark);
        ASSERT_TRUE(manager.ready());
        os::minimiseWindowByTitle("Corvane");
        EXPECT_EQ(manager.iconifyRequests(), std::vector<Window>{std::stoul(id)}) << static_cast<int>(mark);
        // The manager decides; the program hides nothing itself.
        EXPECT_TRUE(xside::geometry(id).viewable) << static_cast<int>(mark);
    }
}

TEST_F(RealWindow, MinimiseFindsTheExactTitleAndRestoringKeepsThePicture) {
    drawPattern();
    ASSERT_TRUE(waitUntil([] { return showsPattern(xside::screenshot()); }));
    {
        xside::FakeWindowManager manager(xside::FakeWindowManager::Mark::Selection);
        ASSERT_TRUE(manager.ready());
        for (const char* other : {"Corvan", "Corvane ", "Corvane2", "corvane"}) os::minimiseWindowByTitle(other);
        EXPECT_TRUE(manager.iconifyRequests().empty());
        os::minimiseWindowByTitle("Corvane");
        const std::vector<Window> asked = manager.iconifyRequests();
        ASSERT_EQ(asked, std::vector<Window>{std::stoul(id)});
        manager.iconify(asked[0]);
        EXPECT_TRUE(minimised());
    }
    restore();
    EXPECT_TRUE(waitUntil([] { return xside::geometry(id).viewable; }));
    // Repainted from the window's own copy: the program drew nothing since.
    EXPECT_TRUE(waitUntil([] { return showsPattern(xside::screenshot()); }));
}
#endif

TEST_F(RealWindow, MovedOffTheScreenAndBackItRepaintsItself) {
    drawPattern();
    ASSERT_TRUE(waitUntil([] { return showsPattern(xside::screenshot()); }));
    setWindowPosition(LEFT, 1024 - 40);  // all but 40 lines below the screen's edge
    ASSERT_TRUE(waitUntil([&] { return xside::geometry(id).y == 1024 - 40; }));
    pause(100);
    setWindowPosition(LEFT, TOP);
    ASSERT_TRUE(waitUntil([&] { return xside::geometry(id).y == TOP; }));
    EXPECT_TRUE(waitUntil([] { return showsPattern(xside::screenshot()); }));
}

// The window repaints exposures from the framebuffer itself: a batch open
// at that moment must not leak out, and its end must bring back every line.
TEST_F(RealWindow, AnExposureDuringABatchWaitsForItsEnd) {
    drawPattern();
    ASSERT_TRUE(waitUntil([] { return showsPattern(xside::screenshot()); }));
    lockScreen();
    fillBox(100, 50, 299, 149, colourFocus);
    setWindowPosition(LEFT, 1024 - 40);
    ASSERT_TRUE(waitUntil([&] { return xside::geometry(id).y == 1024 - 40; }));
    pause(100);
    setWindowPosition(LEFT, TOP);
    ASSERT_TRUE(waitUntil([&] { return xside::geometry(id).y == TOP; }));
    pause(150);
    EXPECT_NE(xside::screenshot().at(LEFT + 150, TOP + 100), colourFocus) << "drawn inside an open batch";
    unlockScreen();
    EXPECT_TRUE(waitUntil(showsFramebuffer));
}

TEST_F(RealWindow, TitlesAreTheSystemTitlesByteForByte) {
    setWindowTitle("Prozess gesch\xFCtzt");
#ifdef _WIN32
    EXPECT_EQ(FindWindowA(nullptr, "Prozess gesch\xFCtzt"), hwnd);
#else
    EXPECT_EQ(rawProperty(id, "WM_NAME"), "Prozess gesch\xFCtzt");
    EXPECT_EQ(rawProperty(id, "_NET_WM_NAME"), "Prozess gesch\xC3\xBCtzt");
#endif
#ifdef _WIN32
    os::minimiseWindowByTitle("Prozess gesch\xFCtzt");
    EXPECT_TRUE(waitUntil(minimised));
    restore();
    EXPECT_TRUE(waitUntil([] { return xside::geometry(id).viewable; }));
#else
    {
        xside::FakeWindowManager manager(xside::FakeWindowManager::Mark::Selection);
        ASSERT_TRUE(manager.ready());
        os::minimiseWindowByTitle("Prozess gesch\xFCtzt");
        EXPECT_EQ(manager.iconifyRequests(), std::vector<Window>{std::stoul(id)});
    }
#endif

    setWindowTitle(std::string(200, 'T'));
#ifdef _WIN32
    char title[300] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    EXPECT_EQ(std::string(title), std::string(127, 'T'));
#else
    EXPECT_EQ(rawProperty(id, "WM_NAME"), std::string(127, 'T'));
    EXPECT_EQ(rawProperty(id, "_NET_WM_NAME"), std::string(127, 'T'));
#endif
    setWindowTitle("Corvane");
    EXPECT_EQ(xside::findWindow("Corvane"), id);
}

}  // namespace

namespace {

// With no display to open, the program goes on without a window and the
// surface reports nothing (run with DISPLAY unset).
TEST(NoDisplay, OpeningFailsAndTheSurfaceStaysSilent) {
    if (std::getenv("CORV_TEST_NO_DISPLAY") == nullptr) GTEST_SKIP() << "only without a display";
    EXPECT_FALSE(openWindow(800, 584));
    setWindowTitle("Corvane");
    fillBox(0, 0, 800, 584, colourAccent);
    int x = 0, y = 0, wheel = 0, buttons = 0;
    EXPECT_FALSE(getMouse(x, y, wheel, buttons));
    EXPECT_EQ(x, -1);
    EXPECT_EQ(buttons, -1);
    EXPECT_EQ(readKey(), "");
    SurfaceEvent event;
    EXPECT_FALSE(pollEvent(event));
    EXPECT_FALSE(isKeyDown(0x38));
    os::minimiseWindowByTitle("Corvane");  // nothing to talk to: returns quietly
    EXPECT_FALSE(openWindow(800, 584));    // and a second attempt fails the same way
}

}  // namespace
