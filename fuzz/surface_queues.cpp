// The surface's event and key rings and its pointer and keyboard state:
// arbitrary sequences of what a window realisation feeds in and what the
// program takes out, against a model of the rules (127 waiting events and 15
// waiting keys at most, the oldest dropped; moves queued only while active
// and only when the desktop position changed; nothing while closed).
//
// Input: operations until the input ends.
#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <string>

#include "fuzz/fuzz_input.h"
#include "screen/surface.h"
#include "screen/window_backend.h"
#include "screen/window_memory.h"

namespace {

struct Model {
    bool open = false;
    bool active = false;
    bool inside = false;
    bool haveDesktop = false;
    int desktopX = 0, desktopY = 0;
    int x = 0, y = 0, wheel = 0, buttons = 0;
    std::array<bool, 128> held{};
    std::deque<SurfaceEvent> events;
    std::deque<std::string> keys;
    bool keyPressed = false;

    // What opening (or closing) the window starts from.
    void clearInput(bool opening) {
        Model fresh;
        fresh.open = open;
        fresh.active = opening;
        *this = fresh;
    }
    void queue(const SurfaceEvent& e) {
        if (events.size() == 127) events.pop_front();
        events.push_back(e);
    }
    void key(const std::string& code) {
        if (keys.size() == 15) keys.pop_front();
        keys.push_back(code.substr(0, 2));
        keyPressed = true;
    }
};

bool same(const SurfaceEvent& a, const SurfaceEvent& b) {
    return a.kind == b.kind && a.x == b.x && a.y == b.y && a.dx == b.dx && a.dy == b.dy;
}

SurfaceEvent event(std::int32_t kind, std::int32_t x = 0, std::int32_t y = 0, std::int32_t dx = 0,
                   std::int32_t dy = 0) {
    SurfaceEvent e;
    e.kind = kind;
    e.x = x;
    e.y = y;
    e.dx = dx;
    e.dy = dy;
    return e;
}

std::int32_t clamped(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    surface::reset();
    memorywindow::resetControls();
    Model m;
    m.clearInput(false);
    m.open = false;

    std::size_t ops = 0;
    while (!in.done() && ++ops < 2000) {
        const std::uint8_t op = in.byte() % 16;
        switch (op) {
            case 0: {
                const SurfaceEvent e = event(in.edgyInt(0, 15), in.i32(), in.i32(), in.i32(), in.i32());
                surface::pushEvent(e);
                if (m.open) m.queue(e);
                break;
            }
            case 1: {
                const std::string code = in.text(3);
                surface::pushKey(code);
                if (m.open && !code.empty()) m.key(code);
                break;
            }
            case 2: {
                SurfaceEvent got = event(-99, -99, -99, -99, -99);
                const bool taken = pollEvent(got);
                FUZZ_CHECK(taken == !m.events.empty());
                if (taken) {
                    FUZZ_CHECK(same(got, m.events.front()));
                    m.events.pop_front();
                } else {
                    FUZZ_CHECK(same(got, event(-99, -99, -99, -99, -99)));  // left alone
                }
                break;
            }
            case 3: {
                const std::string got = readKey();
                if (m.open) {
                    FUZZ_CHECK(got == (m.keys.empty() ? std::string() : m.keys.front()));
                    if (!m.keys.empty()) m.keys.pop_front();
                    m.keyPressed = false;
                } else {
                    FUZZ_CHECK(got.empty());
                }
                break;
            }
            case 4:
                FUZZ_CHECK(keyPressedSinceCheck() == (m.open && m.keyPressed));
                if (m.open) m.keyPressed = false;
                break;
            case 5: {
                const int x = in.edgyInt(-2, 801), y = in.edgyInt(-2, 585);
                const int dxp = in.edgyInt(-3, 3), dyp = in.edgyInt(-3, 3);
                surface::mouseMoved(x, y, dxp, dyp);
                if (!m.open) break;
                const std::int64_t dx = m.haveDesktop ? static_cast<std::int64_t>(dxp) - m.desktopX : 0;
                const std::int64_t dy = m.haveDesktop ? static_cast<std::int64_t>(dyp) - m.desktopY : 0;
                m.haveDesktop = true;
                m.desktopX = dxp;
                m.desktopY = dyp;
                m.x = x;
                m.y = y;
                m.inside = x >= 0 && x < SURFACE_WIDTH && y >= 0 && y < SURFACE_HEIGHT;
                if ((dx != 0 || dy != 0) && m.active) m.queue(event(EVENT_MOUSE_MOVE, x, y, clamped(dx), clamped(dy)));
                break;
            }
            case 6: {
                const int button = in.edgyInt(0, 5);
                const bool down = in.byte() & 1;
                surface::mouseButton(button, down);
                if (!m.open || (button != 1 && button != 2 && button != 4)) break;
                m.buttons = down ? (m.buttons | button) : (m.buttons & ~button);
                m.queue(event(down ? EVENT_BUTTON_DOWN : EVENT_BUTTON_UP, button));
                break;
            }
            case 7: {
                const int delta = in.edgyInt(-3, 3);
                surface::mouseWheel(delta);
                if (!m.open) break;
                m.wheel += delta > 0 ? 1 : (delta < 0 ? -1 : 0);
                m.queue(event(EVENT_WHEEL, delta));
                break;
            }
            case 8:
                surface::pointerLeft();
                m.inside = false;
                break;
            case 9: {
                const bool active = in.byte() & 1;
                surface::setActive(active);
                m.active = active;
                m.held.fill(false);
                break;
            }
            case 10: {
                const int scan = in.edgyInt(-2, 130);
                const bool held = in.byte() & 1;
                surface::setKeyHeld(scan, held);
                if (scan >= 0 && scan <= 127 && m.active) m.held[static_cast<std::size_t>(scan)] = held;
                break;
            }
            case 11: {
                const int scan = in.edgyInt(-2, 130);
                const bool want =
                    m.open && m.active && scan >= 0 && scan <= 127 && m.held[static_cast<std::size_t>(scan)];
                FUZZ_CHECK(isKeyDown(scan) == want);
                break;
            }
            case 12:
                surface::closeRequested();
                if (m.open) {
                    m.key("\xFF\x6B");
                    m.queue(event(EVENT_CLOSE_REQUEST));
                }
                break;
            case 13: {
                int x = 7, y = 7, wheel = 7, buttons = 7;
                const bool got = getMouse(x, y, wheel, buttons);
                const bool want = m.open && m.active && m.inside;
                FUZZ_CHECK(got == want);
                if (want)
                    FUZZ_CHECK(x == m.x && y == m.y && wheel == m.wheel && buttons == m.buttons);
                else
                    FUZZ_CHECK(x == -1 && y == -1 && wheel == -1 && buttons == -1);
                break;
            }
            case 14: {
                // Open, or open again (which keeps everything), or close.
                const std::uint8_t how = in.byte() % 3;
                if (how == 2) {
                    surface::reset();
                    m.open = false;
                    m.clearInput(false);
                } else {
                    memorywindow::setOpenFails(how == 1);
                    const bool opened = openWindow(SURFACE_WIDTH, SURFACE_HEIGHT);
                    if (!m.open) {
                        // Opening clears the input state even when it fails.
                        m.clearInput(true);
                        m.open = how == 0;
                    }
                    FUZZ_CHECK(opened == m.open);
                    memorywindow::setOpenFails(false);
                }
                break;
            }
            default: {
                // Everything waiting comes out in order, then nothing.
                SurfaceEvent got;
                while (pollEvent(got)) {
                    FUZZ_CHECK(!m.events.empty() && same(got, m.events.front()));
                    m.events.pop_front();
                }
                FUZZ_CHECK(m.events.empty());
                break;
            }
        }
        FUZZ_CHECK(m.events.size() <= 127 && m.keys.size() <= 15);
    }
    return 0;
}
