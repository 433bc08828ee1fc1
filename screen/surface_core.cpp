// The portable core of the drawing surface: the framebuffer and its drawing
// primitives, the batch counter and changed-line tracking, the event and key
// rings, pointer and keyboard state. A window realisation (window_*.cpp)
// shows the framebuffer and feeds input in through the surface:: calls.
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "screen/font_cp437.h"
#include "screen/line_clip.h"
#include "screen/surface.h"
#include "screen/window_backend.h"
#include "screen/write_watch.h"

namespace {

constexpr int W = SURFACE_WIDTH;
constexpr int H = SURFACE_HEIGHT;

// --- picture -------------------------------------------------------------

// One lock makes every drawing operation atomic against the others and
// against the refresh copy.
std::mutex drawMutex;
std::uint32_t frame[W * H];
// Lines a drawing operation wrote since the last copy.
std::array<bool, H> lineChanged{};
// Every line counts as changed for the copy: every batch end marks the whole
// picture, and one flag is cheaper than 584 stores per row drawn.
bool everyLineChanged = false;
// The picture was replaced or a window asked for all of it: a window that
// compares with what it shows must compare every line, not only the written ones.
bool pictureReplaced = false;
bool anyLineChanged = false;

std::atomic<bool> opened{false};
std::atomic<int> batchDepth{0};

// Called with drawMutex held. The window hears of the first change after a
// copy, so it need not look for changes while nothing is drawn; inside a
// batch the batch's end tells it.
void noteAnyLineChanged() {
    if (anyLineChanged) return;
    anyLineChanged = true;
    if (batchDepth == 0) backend::picturePending();
}

// Called with drawMutex held.
void markLines(std::int64_t first, std::int64_t last) {
    if (first > last) return;
    for (std::int64_t y = first; y <= last; ++y) lineChanged[static_cast<std::size_t>(y)] = true;
    noteAnyLineChanged();
}

void markEveryLine() {
    everyLineChanged = true;
    noteAnyLineChanged();
}

void markPictureReplaced() {
    markEveryLine();
    pictureReplaced = true;
}

bool isLineChanged(int y) { return everyLineChanged || lineChanged[static_cast<std::size_t>(y)]; }

void clearChangedLines() {
    lineChanged.fill(false);
    everyLineChanged = false;
    pictureReplaced = false;
    anyLineChanged = false;
}

// Rounds half away from zero and keeps the result inside the 32-bit range
// the program's coordinates live in; false for a NaN, which draws nothing.
bool toCoord(double v, std::int64_t& out) {
    if (std::isnan(v)) return false;
    constexpr double lo = -2147483648.0;
    constexpr double hi = 2147483647.0;
    const double r = std::round(v);
    out = static_cast<std::int64_t>(std::clamp(r, lo, hi));
    return true;
}

inline void put(std::int64_t x, std::int64_t y, std::uint32_t colour) {
    frame[static_cast<std::size_t>(y * W + x)] = colour;
}

// For each byte of a glyph row, its eight pixels left to right as all-ones
// (set bit) or all-zeros words, so that a cell row is drawn without a branch
// per pixel.
struct CellMasks {
    std::uint32_t of[256][8] = {};
    constexpr CellMasks() {
        for (unsigned bits = 0; bits < 256; ++bits)
            for (int col = 0; col < 8; ++col) of[bits][col] = (bits & (0x80u >> col)) ? 0xFFFFFFFFu : 0u;
    }
};
constexpr CellMasks cellMasks;

// Fills row y from x0 to x1 (already clipped, x0 <= x1).
inline void span(std::int64_t y, std::int64_t x0, std::int64_t x1, std::uint32_t colour) {
    std::uint32_t* row = frame + y * W;
    std::fill(row + x0, row + x1 + 1, colour);
}

// --- queues --------------------------------------------------------------

constexpr int EVENT_SLOTS = 128;  // one slot stays free: 127 wait at most
constexpr int KEY_SLOTS = 16;     // 15 wait at most

struct KeyCode {
    unsigned char bytes[2];
    unsigned char length;
};

std::mutex queueMutex;
SurfaceEvent events[EVENT_SLOTS];
int eventHead = 0;  // oldest waiting
int eventCount = 0;
KeyCode keys[KEY_SLOTS];
int keyHead = 0;
int keyCount = 0;
std::atomic<bool> keyPressed{false};

// Pointer and keyboard state, guarded by queueMutex.
bool active = false;
bool pointerInside = false;
bool haveDesktopPos = false;
int lastDesktopX = 0;
int lastDesktopY = 0;
int mouseX = 0;
int mouseY = 0;
int wheelCount = 0;
int heldButtons = 0;
std::array<bool, 128> heldKeys{};

// The input thread's rest (waitForInput) ends on any change of the input
// state; these count the changes, guarded by queueMutex.
std::condition_variable inputChanged;
std::uint64_t inputSerial = 0;
std::uint64_t serialAtLastRest = 0;
bool wakeWanted = false;

// Called with queueMutex held, after any change of the input state.
void noteInput() {
    ++inputSerial;
    inputChanged.notify_all();
}

// Called with queueMutex held.
void queueEvent(const SurfaceEvent& event) {
    noteInput();
    if (eventCount == EVENT_SLOTS - 1) {
        eventHead = (eventHead + 1) % EVENT_SLOTS;
        --eventCount;
    }
    events[(eventHead + eventCount) % EVENT_SLOTS] = event;
    ++eventCount;
}

void queueKey(std::string_view code) {
    if (code.empty()) return;
    KeyCode key{};
    key.length = static_cast<unsigned char>(std::min<std::size_t>(code.size(), 2));
    for (std::size_t i = 0; i < key.length; ++i) key.bytes[i] = static_cast<unsigned char>(code[i]);
    if (keyCount == KEY_SLOTS - 1) {
        keyHead = (keyHead + 1) % KEY_SLOTS;
        --keyCount;
    }
    keys[(keyHead + keyCount) % KEY_SLOTS] = key;
    ++keyCount;
    keyPressed = true;
    noteInput();
}

// Everything the window starts with, queues and pointer included.
void clearInputState() {
    eventHead = eventCount = 0;
    keyHead = keyCount = 0;
    keyPressed = false;
    active = false;
    pointerInside = false;
    haveDesktopPos = false;
    lastDesktopX = lastDesktopY = 0;
    mouseX = mouseY = 0;
    wheelCount = 0;
    heldButtons = 0;
    heldKeys.fill(false);
    noteInput();
}

}  // namespace

// --- window --------------------------------------------------------------

bool openWindow(int width, int height) {
    (void)width;
    (void)height;
    // The surface has one fixed size; a second call keeps the open window.
    if (opened) return true;
    {
        std::lock_guard<std::mutex> guard(drawMutex);
        std::fill(std::begin(frame), std::end(frame), colourBlack);
        markPictureReplaced();
        writewatch::noteWholePicture();
        batchDepth = 0;
    }
    {
        // The window is brought to the foreground when it opens; what the
        // realisation reports while it opens overrides that.
        std::lock_guard<std::mutex> guard(queueMutex);
        clearInputState();
        active = true;
    }
    if (!backend::open(W, H)) return false;
    opened = true;
    return true;
}

void setWindowTitle(std::string_view text) {
    if (!opened) return;
    backend::setTitle(text.substr(0, 127));
}

void lockScreen() {
    if (!opened) return;
    ++batchDepth;
}

void unlockScreen() {
    if (!opened) return;
    int depth = batchDepth.load();
    while (depth > 0 && !batchDepth.compare_exchange_weak(depth, depth - 1)) {}
    std::lock_guard<std::mutex> guard(drawMutex);
    markEveryLine();
    // The outermost end; a copy that found the batch open kept its marks.
    if (depth <= 1) backend::picturePending();
}

// --- drawing -------------------------------------------------------------

void drawText(double x, double y, std::string_view text, std::uint32_t colour) {
    if (!opened || text.empty()) return;
    std::int64_t ix = 0, iy = 0;
    if (!toCoord(x, ix) || !toCoord(y, iy)) return;
    // Glyph rows and glyph indices that can reach the area.
    const std::int64_t rowFirst = std::max<std::int64_t>(0, -iy);
    const std::int64_t rowLast = std::min<std::int64_t>(7, H - 1 - iy);
    if (rowFirst > rowLast || ix >= W) return;
    const std::int64_t count = static_cast<std::int64_t>(text.size());
    const std::int64_t glyphFirst = ix < 0 ? (-ix) / 8 : 0;
    const std::int64_t glyphLast = std::min<std::int64_t>(count - 1, (W - 1 - ix) / 8);
    if (glyphFirst > glyphLast) return;

    std::lock_guard<std::mutex> guard(drawMutex);
    for (std::int64_t row = rowFirst; row <= rowLast; ++row) {
        std::uint32_t* line = frame + (iy + row) * W;
        for (std::int64_t k = glyphFirst; k <= glyphLast; ++k) {
            const unsigned bits = fontCp437[static_cast<unsigned char>(text[static_cast<std::size_t>(k)])][row];
            if (bits == 0) continue;
            const std::int64_t cellX = ix + 8 * k;
            if (cellX >= 0 && cellX + 8 <= W) {
                // A whole cell: set bits take the colour, clear ones keep theirs.
                const std::uint32_t* mask = cellMasks.of[bits];
                std::uint32_t* cell = line + cellX;
                for (int col = 0; col < 8; ++col) cell[col] = (cell[col] & ~mask[col]) | (colour & mask[col]);
                continue;
            }
            for (int col = 0; col < 8; ++col) {
                if (!(bits & (0x80u >> col))) continue;
                const std::int64_t px = cellX + col;
                if (px >= 0 && px < W) line[px] = colour;
            }
        }
    }
    markLines(iy + rowFirst, iy + rowLast);
    writewatch::noteWrite(std::max<std::int64_t>(ix + 8 * glyphFirst, 0), iy + rowFirst,
                          std::min<std::int64_t>(ix + 8 * glyphLast + 7, W - 1), iy + rowLast);
}

void fillBox(double x1, double y1, double x2, double y2, std::uint32_t colour) {
    if (!opened) return;
    std::int64_t ax = 0, ay = 0, bx = 0, by = 0;
    if (!toCoord(x1, ax) || !toCoord(y1, ay) || !toCoord(x2, bx) || !toCoord(y2, by)) return;
    const std::int64_t left = std::max<std::int64_t>(std::min(ax, bx), 0);
    const std::int64_t right = std::min<std::int64_t>(std::max(ax, bx), W - 1);
    const std::int64_t top = std::max<std::int64_t>(std::min(ay, by), 0);
    const std::int64_t bottom = std::min<std::int64_t>(std::max(ay, by), H - 1);
    if (left > right || top > bottom) return;
    std::lock_guard<std::mutex> guard(drawMutex);
    for (std::int64_t y = top; y <= bottom; ++y) span(y, left, right, colour);
    markLines(top, bottom);
    writewatch::noteWrite(left, top, right, bottom);
}

void drawBox(double x1, double y1, double x2, double y2, std::uint32_t colour) {
    if (!opened) return;
    std::int64_t ax = 0, ay = 0, bx = 0, by = 0;
    if (!toCoord(x1, ax) || !toCoord(y1, ay) || !toCoord(x2, bx) || !toCoord(y2, by)) return;
    const std::int64_t x0 = std::min(ax, bx), x9 = std::max(ax, bx);
    const std::int64_t y0 = std::min(ay, by), y9 = std::max(ay, by);
    const std::int64_t left = std::max<std::int64_t>(x0, 0), right = std::min<std::int64_t>(x9, W - 1);
    const std::int64_t top = std::max<std::int64_t>(y0, 0), bottom = std::min<std::int64_t>(y9, H - 1);
    if (left > right || top > bottom) return;
    std::lock_guard<std::mutex> guard(drawMutex);
    if (y0 >= 0 && y0 < H) span(y0, left, right, colour);
    if (y9 >= 0 && y9 < H) span(y9, left, right, colour);
    for (std::int64_t y = top; y <= bottom; ++y) {
        if (x0 >= 0 && x0 < W) put(x0, y, colour);
        if (x9 >= 0 && x9 < W) put(x9, y, colour);
    }
    markLines(top, bottom);
    // Side by side, so that an outline does not count against what it frames.
    if (y0 >= 0 && y0 < H) writewatch::noteWrite(left, y0, right, y0);
    if (y9 >= 0 && y9 < H) writewatch::noteWrite(left, y9, right, y9);
    if (x0 >= 0 && x0 < W) writewatch::noteWrite(x0, top, x0, bottom);
    if (x9 >= 0 && x9 < W) writewatch::noteWrite(x9, top, x9, bottom);
}

void setPixel(double x, double y, std::uint32_t colour) {
    if (!opened) return;
    std::int64_t ix = 0, iy = 0;
    if (!toCoord(x, ix) || !toCoord(y, iy)) return;
    if (ix < 0 || ix >= W || iy < 0 || iy >= H) return;
    std::lock_guard<std::mutex> guard(drawMutex);
    put(ix, iy, colour);
    markLines(iy, iy);
    writewatch::noteWrite(ix, iy, ix, iy);
}

void drawLine(double x1, double y1, double x2, double y2, std::uint32_t colour) {
    if (!opened) return;
    std::int64_t ax = 0, ay = 0, bx = 0, by = 0;
    if (!toCoord(x1, ax) || !toCoord(y1, ay) || !toCoord(x2, bx) || !toCoord(y2, by)) return;
    LineWalk walk;
    if (!clipLine(ax, ay, bx, by, W, H, walk)) return;
    std::lock_guard<std::mutex> guard(drawMutex);
    std::int64_t xMin = W, xMax = -1, yMin = H, yMax = -1;
    walkLine(walk, [&](std::int64_t x, std::int64_t y) {
        put(x, y, colour);
        xMin = std::min(xMin, x);
        xMax = std::max(xMax, x);
        yMin = std::min(yMin, y);
        yMax = std::max(yMax, y);
    });
    markLines(yMin, yMax);
    if (xMin <= xMax) writewatch::noteWrite(xMin, yMin, xMax, yMax);
}

// --- events, pointer, keys -------------------------------------------------

bool pollEvent(SurfaceEvent& event) {
    if (!opened) return false;
    std::lock_guard<std::mutex> guard(queueMutex);
    if (eventCount == 0) return false;
    event = events[eventHead];
    eventHead = (eventHead + 1) % EVENT_SLOTS;
    --eventCount;
    return true;
}

bool getMouse(int& x, int& y, int& wheel, int& buttons) {
    if (opened) {
        std::lock_guard<std::mutex> guard(queueMutex);
        if (active && pointerInside) {
            x = mouseX;
            y = mouseY;
            wheel = wheelCount;
            buttons = heldButtons;
            return true;
        }
    }
    x = y = wheel = buttons = -1;
    return false;
}

void getWindowPosition(int& x, int& y) {
    if (!opened) {
        x = y = 0;
        return;
    }
    backend::getPosition(x, y);
}

void setWindowPosition(int x, int y) {
    if (!opened) return;
    backend::setPosition(x, y);
}

std::string readKey() {
    if (!opened) return std::string();
    std::lock_guard<std::mutex> guard(queueMutex);
    keyPressed = false;
    if (keyCount == 0) return std::string();
    const KeyCode key = keys[keyHead];
    keyHead = (keyHead + 1) % KEY_SLOTS;
    --keyCount;
    return std::string(reinterpret_cast<const char*>(key.bytes), key.length);
}

bool keyPressedSinceCheck() {
    if (!opened) return false;
    return keyPressed.exchange(false);
}

bool isKeyDown(int scanCode) {
    if (!opened || scanCode < 0 || scanCode > 127) return false;
    std::lock_guard<std::mutex> guard(queueMutex);
    return active && heldKeys[static_cast<std::size_t>(scanCode)];
}

void waitForInput(int maxMs) {
    if (!opened) return;
    std::unique_lock<std::mutex> lock(queueMutex);
    const auto underWay = [] {
        if (wakeWanted || inputSerial != serialAtLastRest) return true;
        if (heldButtons != 0 || keyCount != 0) return true;
        for (bool held : heldKeys)
            if (held) return true;
        return false;
    };
    inputChanged.wait_for(lock, std::chrono::milliseconds(std::max(maxMs, 0)), underWay);
    serialAtLastRest = inputSerial;
    wakeWanted = false;
}

void wakeInputWaiter() {
    std::lock_guard<std::mutex> guard(queueMutex);
    wakeWanted = true;
    inputChanged.notify_all();
}

// --- calls for the realisations ------------------------------------------------

namespace surface {

bool isOpen() { return opened; }

bool takeChangedLines(std::uint32_t* dest, int& first, int& last) {
    if (!opened || dest == nullptr) return false;
    std::lock_guard<std::mutex> guard(drawMutex);
    if (batchDepth > 0 || !anyLineChanged) return false;
    first = -1;
    last = -1;
    for (int y = 0; y < H; ++y) {
        if (!isLineChanged(y)) continue;
        std::memcpy(dest + y * W, frame + y * W, W * sizeof(std::uint32_t));
        if (first < 0) first = y;
        last = y;
    }
    clearChangedLines();
    return first >= 0;
}

bool takeDifferingLines(std::uint32_t* shown, std::array<bool, SURFACE_HEIGHT>& differs) {
    differs.fill(false);
    if (!opened || shown == nullptr) return false;
    std::lock_guard<std::mutex> guard(drawMutex);
    if (batchDepth > 0 || !anyLineChanged) return false;
    // A line no operation wrote since the last copy still equals what the
    // window shows; only the batch end marked it.
    bool any = false;
    for (int y = 0; y < H; ++y) {
        if (!pictureReplaced && !lineChanged[static_cast<std::size_t>(y)]) continue;
        const std::uint32_t* source = frame + y * W;
        std::uint32_t* target = shown + y * W;
        if (std::memcmp(target, source, W * sizeof(std::uint32_t)) == 0) continue;
        std::memcpy(target, source, W * sizeof(std::uint32_t));
        differs[static_cast<std::size_t>(y)] = true;
        any = true;
    }
    clearChangedLines();
    return any;
}

bool sendDrawnLines(LineRunSender send, void* context) {
    if (!opened || send == nullptr) return false;
    std::lock_guard<std::mutex> guard(drawMutex);
    if (batchDepth > 0 || !anyLineChanged) return false;
    bool any = false;
    for (int y = 0; y < H;) {
        if (!pictureReplaced && !lineChanged[static_cast<std::size_t>(y)]) {
            ++y;
            continue;
        }
        const int first = y;
        while (y < H && (pictureReplaced || lineChanged[static_cast<std::size_t>(y)])) ++y;
        send(context, first, y - first);
        any = true;
    }
    clearChangedLines();
    return any;
}

bool showPicture(void (*show)(void* context), void* context) {
    if (!opened || show == nullptr) return false;
    std::lock_guard<std::mutex> guard(drawMutex);
    if (batchDepth > 0) return false;
    show(context);
    return true;
}

const std::uint32_t* framebuffer() { return frame; }

std::uint32_t pixel(int x, int y) {
    if (x < 0 || x >= W || y < 0 || y >= H) return 0;
    std::lock_guard<std::mutex> guard(drawMutex);
    return frame[y * W + x];
}

void markAllChanged() {
    std::lock_guard<std::mutex> guard(drawMutex);
    markPictureReplaced();
}

void pushEvent(const SurfaceEvent& event) {
    if (!opened) return;
    std::lock_guard<std::mutex> guard(queueMutex);
    queueEvent(event);
}

void pushKey(std::string_view code) {
    if (!opened) return;
    std::lock_guard<std::mutex> guard(queueMutex);
    queueKey(code);
}

void mouseMoved(int x, int y, int desktopX, int desktopY) {
    if (!opened) return;
    std::lock_guard<std::mutex> guard(queueMutex);
    // Desktop deltas in 64 bits, saturated: a wild position never overflows.
    std::int64_t dx = 0, dy = 0;
    if (haveDesktopPos) {
        dx = static_cast<std::int64_t>(desktopX) - lastDesktopX;
        dy = static_cast<std::int64_t>(desktopY) - lastDesktopY;
    }
    haveDesktopPos = true;
    lastDesktopX = desktopX;
    lastDesktopY = desktopY;
    mouseX = x;
    mouseY = y;
    pointerInside = x >= 0 && x < W && y >= 0 && y < H;
    noteInput();
    if ((dx != 0 || dy != 0) && active) {
        SurfaceEvent event;
        event.kind = EVENT_MOUSE_MOVE;
        event.x = x;
        event.y = y;
        event.dx = static_cast<std::int32_t>(std::clamp<std::int64_t>(dx, INT32_MIN, INT32_MAX));
        event.dy = static_cast<std::int32_t>(std::clamp<std::int64_t>(dy, INT32_MIN, INT32_MAX));
        queueEvent(event);
    }
}

void mouseButton(int button, bool down) {
    if (!opened) return;
    if (button != 1 && button != 2 && button != 4) return;
    std::lock_guard<std::mutex> guard(queueMutex);
    if (down)
        heldButtons |= button;
    else
        heldButtons &= ~button;
    SurfaceEvent event;
    event.kind = down ? EVENT_BUTTON_DOWN : EVENT_BUTTON_UP;
    event.x = button;
    queueEvent(event);
}

void mouseWheel(int delta) {
    if (!opened) return;
    std::lock_guard<std::mutex> guard(queueMutex);
    wheelCount += delta > 0 ? 1 : (delta < 0 ? -1 : 0);
    SurfaceEvent event;
    event.kind = EVENT_WHEEL;
    event.x = delta;
    queueEvent(event);
}

void pointerLeft() {
    std::lock_guard<std::mutex> guard(queueMutex);
    pointerInside = false;
    noteInput();
}

void setActive(bool isActive) {
    std::lock_guard<std::mutex> guard(queueMutex);
    active = isActive;
    heldKeys.fill(false);
    noteInput();
}

void setKeyHeld(int scanCode, bool held) {
    if (scanCode < 0 || scanCode > 127) return;
    std::lock_guard<std::mutex> guard(queueMutex);
    if (!active) return;
    heldKeys[static_cast<std::size_t>(scanCode)] = held;
    noteInput();
}

void closeRequested() {
    if (!opened) return;
    std::lock_guard<std::mutex> guard(queueMutex);
    queueKey("\xFF\x6B");
    SurfaceEvent event;
    event.kind = EVENT_CLOSE_REQUEST;
    queueEvent(event);
}

void reset() {
    opened = false;
    {
        std::lock_guard<std::mutex> guard(drawMutex);
        std::fill(std::begin(frame), std::end(frame), 0u);
        clearChangedLines();
        writewatch::noteWholePicture();
        batchDepth = 0;
    }
    std::lock_guard<std::mutex> guard(queueMutex);
    clearInputState();
}

}  // namespace surface
