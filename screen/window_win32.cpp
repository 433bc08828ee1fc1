// The Win32 realisation of the surface's window.
//
// A frameless pop-up window of the surface's size, centred on the primary
// screen, run by a message thread of its own. A 16 ms timer on that thread
// copies the lines the program changed into a DIB section, the window's own
// copy of the picture, and from there to the screen, only those whose pixels
// differ from what the DIB section held; WM_PAINT repaints from the DIB
// section alone. Input messages become surface events and key codes.
#include <windows.h>
#include <windowsx.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <future>
#include <mutex>
#include <string>
#include <thread>

#include "screen/window_backend.h"
#include "screen/window_codepage.h"

namespace {

constexpr UINT_PTR REFRESH_TIMER = 1;
constexpr UINT REFRESH_MS = 16;
constexpr UINT MSG_MOVE = WM_APP + 1;
constexpr wchar_t CLASS_NAME[] = L"CorvaneSurface";
constexpr WORD ICON_ID = 1;

struct Win32Window {
    HWND hwnd = nullptr;
    HDC memoryDc = nullptr;
    HBITMAP dib = nullptr;
    std::uint32_t* bits = nullptr;  // 0x00RRGGBB, top line first
    int width = 0;
    int height = 0;
    std::array<bool, SURFACE_HEIGHT> differs{};
    std::atomic<bool> syncPending{true};

    // Message-thread state.
    bool active = false;
    int buttons = 0;  // 1 left, 2 right, 4 middle
    bool trackingLeave = false;
    bool highSurrogate = false;
    std::array<unsigned char, 256> scanOfKey{};
    std::array<bool, 128> heldMirror{};

    // Position, shared with the program's threads.
    std::mutex positionMutex;
    int targetX = 0, targetY = 0;
    unsigned moveSerial = 0;
    unsigned settledSerial = 0;
};

// Set once, when the window opens; never released (it lives as long as the process).
std::atomic<Win32Window*> theWindow{nullptr};
std::mutex openMutex;
// The window the message thread serves; touched by that thread only.
Win32Window* messageWindow = nullptr;

void pushKind(int kind, int x = 0) {
    SurfaceEvent event;
    event.kind = kind;
    event.x = x;
    surface::pushEvent(event);
}

// ---- keys -----------------------------------------------------------------------

// Keys that give no character: queued as 0xFF + scan code.
bool isNonCharacterKey(WPARAM key) {
    switch (key) {
        case VK_PRIOR:
        case VK_NEXT:
        case VK_END:
        case VK_HOME:
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_INSERT:
        case VK_DELETE:
        case VK_CLEAR:
        case VK_APPS: return true;
        default: return key >= VK_F1 && key <= VK_F12;
    }
}

void buildKeyTable(Win32Window& w) {
    for (UINT key = 1; key < 256; ++key) {
        const UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
        w.scanOfKey[key] = scan < 128 ? static_cast<unsigned char>(scan) : 0;
    }
}

void refreshHeldKeys(Win32Window& w) {
    BYTE state[256];
    if (!GetKeyboardState(state)) return;
    std::array<bool, 128> held{};
    for (int key = 1; key < 256; ++key) {
        const int scan = w.scanOfKey[static_cast<std::size_t>(key)];
        if ((state[key] & 0x80) && scan > 0) held[static_cast<std::size_t>(scan)] = true;
    }
    for (std::size_t scan = 0; scan < held.size(); ++scan) {
        if (held[scan] == w.heldMirror[scan]) continue;
        w.heldMirror[scan] = held[scan];
        surface::setKeyHeld(static_cast<int>(scan), held[scan]);
    }
}

void onKeyDown(Win32Window& w, WPARAM key, LPARAM info) {
    int scan = static_cast<int>((info >> 16) & 0xFF);
    if (scan == 0 && key < 256) scan = w.scanOfKey[key];  // injected keys may carry none
    const bool repeat = (info & (1L << 30)) != 0;
    pushKind(repeat ? EVENT_KEY_REPEAT : EVENT_KEY_DOWN, scan);
    if (isNonCharacterKey(key) && scan > 0) surface::pushKey(std::string{'\xFF', static_cast<char>(scan)});
}

// The window is a Unicode window, so characters arrive as UTF-16 whatever
// the system's ANSI code page; they go to the queue in code page 437.
void onChar(Win32Window& w, WPARAM unit) {
    const auto c = static_cast<char32_t>(unit & 0xFFFF);
    if (c >= 0xD800 && c <= 0xDBFF) {
        w.highSurrogate = true;  // the low half follows
        return;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) {
        // A character beyond the font's reach, or a stray half.
        w.highSurrogate = false;
        surface::pushKey("?");
        return;
    }
    w.highSurrogate = false;
    surface::pushKey(std::string(1, static_cast<char>(codepage::cp437FromUnicode(c))));
}

// ---- pointer --------------------------------------------------------------------

void onMouse(Win32Window& w, LPARAM position) {
    const int x = GET_X_LPARAM(position);
    const int y = GET_Y_LPARAM(position);
    POINT desktop{x, y};
    ClientToScreen(w.hwnd, &desktop);
    const bool inside = x >= 0 && y >= 0 && x < w.width && y < w.height;
    if (inside && !w.trackingLeave) {
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, w.hwnd, 0};
        w.trackingLeave = TrackMouseEvent(&track) != FALSE;
        pushKind(EVENT_POINTER_ENTER);
    }
    surface::mouseMoved(x, y, desktop.x, desktop.y);
}

// While a button is held the window keeps the pointer, so the release is
// seen even outside it.
void onButton(Win32Window& w, LPARAM position, int button, bool down) {
    onMouse(w, position);
    if (down) {
        if (w.buttons == 0) SetCapture(w.hwnd);
        w.buttons |= button;
        surface::mouseButton(button, true);
    } else {
        w.buttons &= ~button;
        surface::mouseButton(button, false);
        if (w.buttons == 0 && GetCapture() == w.hwnd) ReleaseCapture();
    }
}

// The capture was taken away while buttons were held: their releases will
// never arrive here, so they are reported now.
void onCaptureLost(Win32Window& w) {
    for (int button : {1, 2, 4}) {
        if (w.buttons & button) surface::mouseButton(button, false);
    }
    w.buttons = 0;
}

// ---- activity, refresh, painting --------------------------------------------------

void changeActive(Win32Window& w, bool active) {
    if (w.active == active) return;
    w.active = active;
    w.heldMirror.fill(false);
    surface::setActive(active);
    pushKind(active ? EVENT_ACTIVATED : EVENT_DEACTIVATED);
}

// After (re)opening, the core starts from "active, pointer unknown": bring
// it in line with the system's view.
void syncState(Win32Window& w) {
    w.active = true;
    w.heldMirror.fill(false);
    w.buttons = 0;
    changeActive(w, GetActiveWindow() == w.hwnd);
    POINT desktop;
    if (GetCursorPos(&desktop)) {
        POINT client = desktop;
        ScreenToClient(w.hwnd, &client);
        surface::mouseMoved(client.x, client.y, desktop.x, desktop.y);
    }
}

void refresh(Win32Window& w) {
    // Until the core has the window open it would drop what arrives.
    if (!surface::isOpen()) return;
    if (w.syncPending.exchange(false)) syncState(w);
    if (w.active) refreshHeldKeys(w);
    GdiFlush();  // the DIB section's memory is about to be written
    if (w.width != SURFACE_WIDTH || w.height != SURFACE_HEIGHT) return;
    if (!surface::takeDifferingLines(w.bits, w.differs)) return;
    HDC dc = GetDC(w.hwnd);
    if (dc == nullptr) return;
    // One copy per run of differing lines.
    for (int y = 0; y < w.height;) {
        if (!w.differs[static_cast<std::size_t>(y)]) {
            ++y;
            continue;
        }
        const int first = y;
        while (y < w.height && w.differs[static_cast<std::size_t>(y)]) ++y;
        BitBlt(dc, 0, first, w.width, y - first, w.memoryDc, 0, first, SRCCOPY);
    }
    ReleaseDC(w.hwnd, dc);
}

void paint(Win32Window& w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w.hwnd, &ps);
    if (dc == nullptr) return;
    const RECT& r = ps.rcPaint;
    BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, w.memoryDc, r.left, r.top, SRCCOPY);
    EndPaint(w.hwnd, &ps);
}

void moveToTarget(Win32Window& w) {
    int x = 0, y = 0;
    unsigned serial = 0;
    {
        std::lock_guard<std::mutex> guard(w.positionMutex);
        x = w.targetX;
        y = w.targetY;
        serial = w.moveSerial;
    }
    SetWindowPos(w.hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    std::lock_guard<std::mutex> guard(w.positionMutex);
    w.settledSerial = serial;
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Window* w = messageWindow;
    if (w == nullptr || w->hwnd != hwnd) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_TIMER:
            if (wParam == REFRESH_TIMER) refresh(*w);
            return 0;
        case WM_PAINT: paint(*w); return 0;
        case WM_ERASEBKGND: return 1;  // WM_PAINT covers every pixel
        case WM_ACTIVATE:
            changeActive(*w, LOWORD(wParam) != WA_INACTIVE);
            break;  // the default handling gives the window the keyboard focus
        case WM_MOUSEMOVE: onMouse(*w, lParam); return 0;
        case WM_MOUSELEAVE:
            w->trackingLeave = false;
            surface::pointerLeft();
            pushKind(EVENT_POINTER_LEAVE);
            return 0;
        case WM_LBUTTONDOWN: onButton(*w, lParam, 1, true); return 0;
        case WM_RBUTTONDOWN: onButton(*w, lParam, 2, true); return 0;
        case WM_MBUTTONDOWN: onButton(*w, lParam, 4, true); return 0;
        case WM_LBUTTONUP: onButton(*w, lParam, 1, false); return 0;
        case WM_RBUTTONUP: onButton(*w, lParam, 2, false); return 0;
        case WM_MBUTTONUP: onButton(*w, lParam, 4, false); return 0;
        case WM_LBUTTONDBLCLK:
            onButton(*w, lParam, 1, true);
            pushKind(EVENT_DOUBLE_CLICK, 1);
            return 0;
        case WM_RBUTTONDBLCLK:
            onButton(*w, lParam, 2, true);
            pushKind(EVENT_DOUBLE_CLICK, 2);
            return 0;
        case WM_MBUTTONDBLCLK:
            onButton(*w, lParam, 4, true);
            pushKind(EVENT_DOUBLE_CLICK, 4);
            return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lParam) != hwnd) onCaptureLost(*w);
            return 0;
        case WM_MOUSEWHEEL:
            surface::mouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));  // one step per message
            return 0;
        case WM_MOUSEHWHEEL: pushKind(EVENT_HWHEEL, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? 1 : -1); return 0;
        case WM_KEYDOWN: onKeyDown(*w, wParam, lParam); return 0;
        case WM_SYSKEYDOWN:
            onKeyDown(*w, wParam, lParam);
            break;  // Alt+F4 becomes a close request in the default handling
        case WM_KEYUP:
        case WM_SYSKEYUP:
            pushKind(EVENT_KEY_UP, static_cast<int>((lParam >> 16) & 0xFF));
            if (message == WM_SYSKEYUP) break;
            return 0;
        case WM_CHAR: onChar(*w, wParam); return 0;
        case WM_SYSCHAR: return 0;  // no menu to pick from, and no beep
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;  // Alt or F10 alone: no menu mode
            break;
        case WM_CLOSE:
            surface::closeRequested();  // the window stays
            return 0;
        case MSG_MOVE: moveToTarget(*w); return 0;
        default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool createWindow(Win32Window& w) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof cls;
    cls.style = CS_DBLCLKS;
    cls.lpfnWndProc = windowProc;
    cls.hInstance = instance;
    cls.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(ICON_ID));  // none in a binary without the resource
    cls.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(ICON_ID), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    cls.lpszClassName = CLASS_NAME;
    if (!RegisterClassExW(&cls) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w.width;
    info.bmiHeader.biHeight = -w.height;  // top line first, like the framebuffer
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    w.dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    w.memoryDc = CreateCompatibleDC(nullptr);
    if (w.dib == nullptr || bits == nullptr || w.memoryDc == nullptr) return false;
    w.bits = static_cast<std::uint32_t*>(bits);
    SelectObject(w.memoryDc, w.dib);

    const int x = (GetSystemMetrics(SM_CXSCREEN) - w.width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - w.height) / 2;
    {
        std::lock_guard<std::mutex> guard(w.positionMutex);
        w.targetX = x;
        w.targetY = y;
    }
    messageWindow = &w;
    w.hwnd =
        CreateWindowExW(0, CLASS_NAME, L"", WS_POPUP, x, y, w.width, w.height, nullptr, nullptr, instance, nullptr);
    if (w.hwnd == nullptr) return false;
    buildKeyTable(w);
    ShowWindow(w.hwnd, SW_SHOW);
    SetForegroundWindow(w.hwnd);
    UpdateWindow(w.hwnd);
    return SetTimer(w.hwnd, REFRESH_TIMER, REFRESH_MS, nullptr) != 0;
}

void messageThread(Win32Window* w, std::promise<bool>* ready) {
    if (!createWindow(*w)) {
        ready->set_value(false);
        return;
    }
    ready->set_value(true);  // `ready` is gone after this
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

namespace backend {

bool open(int width, int height) {
    std::lock_guard<std::mutex> guard(openMutex);
    if (Win32Window* w = theWindow) {
        // Opened again after the core was reset (tests): the same window.
        w->syncPending = true;
        return true;
    }
    auto* w = new Win32Window;
    w->width = width;
    w->height = height;
    std::promise<bool> ready;
    std::future<bool> created = ready.get_future();
    std::thread(messageThread, w, &ready).detach();
    if (!created.get()) return false;  // the half-made record is left: this happens once at most
    theWindow = w;
    return true;
}

void setTitle(std::string_view title) {
    if (Win32Window* w = theWindow) SetWindowTextA(w->hwnd, std::string(title).c_str());
}

void getPosition(int& x, int& y) {
    Win32Window* w = theWindow;
    if (w == nullptr) {
        x = y = 0;
        return;
    }
    {
        std::lock_guard<std::mutex> guard(w->positionMutex);
        // Until the message thread has carried out the last move, report
        // its target: a drag adds each movement to the position it asked for.
        if (w->moveSerial != w->settledSerial) {
            x = w->targetX;
            y = w->targetY;
            return;
        }
    }
    RECT r{};
    GetWindowRect(w->hwnd, &r);
    x = r.left;
    y = r.top;
}

void setPosition(int x, int y) {
    Win32Window* w = theWindow;
    if (w == nullptr) return;
    {
        std::lock_guard<std::mutex> guard(w->positionMutex);
        w->targetX = x;
        w->targetY = y;
        ++w->moveSerial;
    }
    PostMessageW(w->hwnd, MSG_MOVE, 0, 0);
}

// The window's timer looks for changed lines every period anyway.
void picturePending() {}

}  // namespace backend
