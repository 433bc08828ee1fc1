// The drawing surface core: primitives and clipping, batches and changed
// lines, the event and key rings, pointer and keyboard state, the closed
// surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <future>
#include <limits>
#include <thread>
#include <vector>

#include "screen_test_util.h"

using namespace screentest;

namespace {

constexpr std::uint32_t RED = 0xFF0000;
constexpr std::uint32_t GREEN = 0x00FF00;

int drawn(std::uint32_t colour) {
    const auto all = snapshot();
    return static_cast<int>(std::count(all.begin(), all.end(), colour));
}

void moveMouse(int x, int y, int dx, int dy) { surface::mouseMoved(x, y, dx, dy); }

// Whether a rest of up to a minute, begun now, ends within five seconds once
// `meanwhile` has run; one still resting after that is woken and waited for.
bool restEnds(const std::function<void()>& meanwhile = {}) {
    auto rest = std::async(std::launch::async, [] { waitForInput(60000); });
    if (meanwhile) meanwhile();
    if (rest.wait_for(std::chrono::seconds(5)) == std::future_status::ready) return true;
    wakeInputWaiter();
    rest.wait();
    return false;
}

}  // namespace

// --- the closed surface ------------------------------------------------------

TEST(ClosedSurface, DrawsNothingAndReportsNothing) {
    freshSurface();
    fillBox(0, 0, 799, 583, RED);
    drawText(10, 10, "\xDB\xDB", RED);
    drawLine(0, 0, 799, 583, RED);
    drawBox(0, 0, 799, 583, RED);
    setPixel(5, 5, RED);
    lockScreen();
    EXPECT_EQ(drawn(RED), 0);

    surface::pushEvent(SurfaceEvent{EVENT_BUTTON_DOWN, 1, 0, 0, 0});
    surface::pushKey("a");
    surface::mouseMoved(10, 10, 100, 100);
    EXPECT_TRUE(restEnds());  // no window, no rest
    SurfaceEvent event{99, 98, 97, 96, 95};
    EXPECT_FALSE(pollEvent(event));
    EXPECT_EQ(event.kind, 99);  // left alone
    EXPECT_EQ(event.dy, 95);

    int x = 7, y = 7, wheel = 7, buttons = 7;
    EXPECT_FALSE(getMouse(x, y, wheel, buttons));
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, -1);
    EXPECT_EQ(wheel, -1);
    EXPECT_EQ(buttons, -1);
    EXPECT_EQ(readKey(), "");
    EXPECT_FALSE(keyPressedSinceCheck());
    EXPECT_FALSE(isKeyDown(0x38));
    EXPECT_FALSE(surface::isOpen());

    std::vector<std::uint32_t> dest(SURFACE_WIDTH * SURFACE_HEIGHT);
    int first = 0, last = 0;
    EXPECT_FALSE(surface::takeChangedLines(dest.data(), first, last));
}

TEST(ClosedSurface, AFailedOpenLeavesItClosed) {
    freshSurface();
    memorywindow::setOpenFails(true);
    EXPECT_FALSE(openWindow(800, 584));
    EXPECT_FALSE(surface::isOpen());
    setWindowTitle("Corvane");
    EXPECT_EQ(memorywindow::titleCount(), 0);
    fillBox(0, 0, 800, 584, RED);
    EXPECT_EQ(drawn(RED), 0);

    // A later open that succeeds starts from a black picture.
    memorywindow::setOpenFails(false);
    ASSERT_TRUE(openWindow(800, 584));
    EXPECT_EQ(drawn(colourBlack), SURFACE_WIDTH * SURFACE_HEIGHT);
    freshSurface();
}

TEST_F(OpenSurface, OpensBlackAndCutsTheTitleTo127Bytes) {
    EXPECT_TRUE(surface::isOpen());
    EXPECT_EQ(drawn(colourBlack), SURFACE_WIDTH * SURFACE_HEIGHT);
    setWindowTitle("Corvane");
    EXPECT_EQ(memorywindow::title(), "Corvane");
    const std::string longTitle = repeat('x', 126) + "yz";
    setWindowTitle(longTitle);
    EXPECT_EQ(memorywindow::title(), longTitle.substr(0, 127));
}

// --- boxes, pixels and rounding --------------------------------------------------

TEST_F(OpenSurface, FillBoxClipsAndAcceptsCornersInAnyOrder) {
    fillBox(0, 0, 800, 584, RED);
    EXPECT_EQ(drawn(RED), SURFACE_WIDTH * SURFACE_HEIGHT);

    fillBox(253, 552, 168, 534, GREEN);  // corners swapped
    EXPECT_EQ(drawn(GREEN), 86 * 19);
    EXPECT_EQ(countColour(168, 534, 253, 552, GREEN), 86 * 19);

    fillBox(-1e9, -1e9, 1e9, 1e9, colourWhite);
    EXPECT_EQ(drawn(colourWhite), SURFACE_WIDTH * SURFACE_HEIGHT);
    fillBox(900, 10, 1000, 20, RED);                    // wholly right of the area
    fillBox(10, -50, 20, -1, RED);                      // wholly above
    fillBox(-2147483648.0, 700, 5, 2147483647.0, RED);  // below
    EXPECT_EQ(drawn(RED), 0);
}

TEST_F(OpenSurface, DrawBoxDrawsTheOutlineOnlyAndClipsEachSide) {
    drawBox(0, 0, 799, 583, colourWhite);
    EXPECT_EQ(drawn(colourWhite), 2 * 800 + 2 * 582);
    EXPECT_EQ(countOther(0, 0, 799, 0, colourWhite), 0);
    EXPECT_EQ(countOther(0, 583, 799, 583, colourWhite), 0);
    EXPECT_EQ(countOther(0, 0, 0, 583, colourWhite), 0);
    EXPECT_EQ(countOther(799, 0, 799, 583, colourWhite), 0);
    EXPECT_EQ(countOther(1, 1, 798, 582, colourBlack), 0);

    fillBox(0, 0, 799, 583, colourBlack);
    drawBox(5, 5, 5, 5, RED);  // both corners equal: one pixel
    EXPECT_EQ(drawn(RED), 1);
    EXPECT_EQ(surface::pixel(5, 5), RED);

    // Sides outside the area are not drawn; the visible ones are.
    fillBox(0, 0, 799, 583, colourBlack);
    drawBox(-1e9, 10, 1e9, 20, GREEN);
    EXPECT_EQ(drawn(GREEN), 2 * 800);
    EXPECT_EQ(countOther(0, 10, 799, 10, GREEN), 0);
    EXPECT_EQ(countOther(0, 20, 799, 20, GREEN), 0);

    fillBox(0, 0, 799, 583, colourBlack);
    drawBox(790, 570, 900, 700, RED);
    EXPECT_EQ(drawn(RED), 10 + 14 - 1);  // top row 790..799 and left column 570..583
    drawBox(-5, -5, 2147483647.0, 2147483647.0, GREEN);
    EXPECT_EQ(drawn(GREEN), 0);
}

TEST_F(OpenSurface, FractionsRoundHalfAwayFromZero) {
    setPixel(74.5, 10.5, RED);
    EXPECT_EQ(surface::pixel(75, 11), RED);
    setPixel(74.49, 20.2, RED);
    EXPECT_EQ(surface::pixel(74, 20), RED);
    setPixel(-0.5, 30, RED);  // -1: outside
    setPixel(0.49, 30, GREEN);
    EXPECT_EQ(surface::pixel(0, 30), GREEN);
    EXPECT_EQ(drawn(RED), 2);

    fillBox(0, 0, 799, 583, colourBlack);
    drawLine(781, 269.5, 789, 269.5, RED);
    EXPECT_EQ(countColour(781, 270, 789, 270, RED), 9);
    EXPECT_EQ(drawn(RED), 9);

    fillBox(0, 0, 799, 583, colourBlack);
    drawText(79.5, 99.5, "\xDB", RED);
    EXPECT_EQ(countColour(80, 100, 87, 107, RED), 64);
    EXPECT_EQ(drawn(RED), 64);
}

TEST_F(OpenSurface, NotANumberDrawsNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    setPixel(nan, 3, RED);
    fillBox(0, 0, nan, 10, RED);
    drawBox(nan, 0, 10, 10, RED);
    drawLine(0, 0, 10, nan, RED);
    drawText(nan, 0, "A", RED);
    EXPECT_EQ(drawn(RED), 0);
}

// --- lines -----------------------------------------------------------------------

// The stepping rule evaluated pixel by pixel over the whole line; only for
// lines short enough to walk.
std::vector<std::uint32_t> referenceLine(long long x1, long long y1, long long x2, long long y2) {
    std::vector<std::uint32_t> out(SURFACE_WIDTH * SURFACE_HEIGHT, colourBlack);
    const long long dx = x2 - x1, dy = y2 - y1;
    const long long adx = std::llabs(dx), ady = std::llabs(dy);
    const bool xMajor = adx >= ady;
    const long long n = xMajor ? adx : ady, a = xMajor ? ady : adx;
    const int sMajor = (xMajor ? dx : dy) > 0 ? 1 : ((xMajor ? dx : dy) < 0 ? -1 : 0);
    const int sMinor = (xMajor ? dy : dx) > 0 ? 1 : ((xMajor ? dy : dx) < 0 ? -1 : 0);
    for (long long i = 0; i <= n; ++i) {
        const long long d = n == 0 ? 0 : (2 * i * a + n) / (2 * n);
        long long x = 0, y = 0;
        if (xMajor) {
            x = x1 + sMajor * i;
            y = y1 + sMinor * d;
        } else {
            y = y1 + sMajor * i;
            x = x1 + sMinor * d;
        }
        if (x >= 0 && x < SURFACE_WIDTH && y >= 0 && y < SURFACE_HEIGHT)
            out[static_cast<std::size_t>(y * SURFACE_WIDTH + x)] = RED;
    }
    return out;
}

TEST_F(OpenSurface, LinesDrawBothEndPointsAndOnePixelPerStep) {
    drawLine(1, 16, 799, 16, RED);
    EXPECT_EQ(drawn(RED), 799);
    EXPECT_EQ(surface::pixel(0, 16), colourBlack);

    fillBox(0, 0, 799, 583, colourBlack);
    drawLine(784, 16, 784, 0, RED);  // upwards
    EXPECT_EQ(countColour(784, 0, 784, 16, RED), 17);
    EXPECT_EQ(drawn(RED), 17);

    fillBox(0, 0, 799, 583, colourBlack);
    drawLine(797, 3, 786, 13, RED);  // 11 across, 10 down: 12 pixels
    EXPECT_EQ(drawn(RED), 12);
    EXPECT_EQ(surface::pixel(797, 3), RED);
    EXPECT_EQ(surface::pixel(786, 13), RED);
    // Exactly one pixel in every column of the longer axis.
    for (int x = 786; x <= 797; ++x) EXPECT_EQ(countColour(x, 0, x, 20, RED), 1) << x;

    fillBox(0, 0, 799, 583, colourBlack);
    drawLine(300, 300, 300, 300, RED);
    EXPECT_EQ(drawn(RED), 1);
}

TEST_F(OpenSurface, ClippedLinesKeepThePixelsOfTheWholeLine) {
    // Lines crossing every edge, both directions, steep and flat.
    const long long ends[][4] = {
        {-100, -37, 900, 620}, {900, 620, -100, -37},  {-3000, 290, 2900, 310}, {400, -1000, 410, 1700},
        {-20, 600, 820, -20},  {799, -5, -1, 600},     {-7, -7, 7, 7},          {795, 300, 2500, 301},
        {12, 1000, 13, -1000}, {-500, 583, 1500, 583}, {-1, -1, -1, 600},       {100, 50, -1700, 2000},
    };
    for (const auto& e : ends) {
        fillBox(0, 0, 799, 583, colourBlack);
        drawLine(double(e[0]), double(e[1]), double(e[2]), double(e[3]), RED);
        EXPECT_EQ(snapshot(), referenceLine(e[0], e[1], e[2], e[3]))
            << e[0] << "," << e[1] << " -> " << e[2] << "," << e[3];
    }
    // A deterministic spread of lines with end points around the area.
    unsigned seed = 12345;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<long long>((seed >> 8) % static_cast<unsigned>(range));
    };
    for (int k = 0; k < 150; ++k) {
        const long long x1 = next(3000) - 1100, y1 = next(2200) - 800;
        const long long x2 = next(3000) - 1100, y2 = next(2200) - 800;
        fillBox(0, 0, 799, 583, colourBlack);
        drawLine(double(x1), double(y1), double(x2), double(y2), RED);
        ASSERT_EQ(snapshot(), referenceLine(x1, y1, x2, y2)) << x1 << "," << y1 << " -> " << x2 << "," << y2;
    }
}

TEST_F(OpenSurface, FarAwayEndPointsAreClippedWithoutOverflow) {
    drawLine(-1e9, 100, 1e9, 100, RED);
    EXPECT_EQ(countColour(0, 100, 799, 100, RED), 800);
    EXPECT_EQ(drawn(RED), 800);

    fillBox(0, 0, 799, 583, colourBlack);
    drawLine(-1e9, -1e9, 1e9, 1e9, RED);  // the diagonal y = x
    EXPECT_EQ(drawn(RED), 584);
    for (int i = 0; i < 584; i += 83) EXPECT_EQ(surface::pixel(i, i), RED) << i;

    // Lines that miss the area, and the extremes of the coordinate range,
    // finish at once and draw nothing.
    fillBox(0, 0, 799, 583, colourBlack);
    drawLine(-2147483648.0, -2147483648.0, 2147483647.0, -1.0, RED);
    drawLine(1e300, 5, 2e300, 7, RED);
    drawLine(-1e18, 1e18, -1e18, -1e18, RED);
    EXPECT_EQ(drawn(RED), 0);
    drawLine(-std::numeric_limits<double>::infinity(), 10, std::numeric_limits<double>::infinity(), 10, RED);
    EXPECT_EQ(drawn(RED), 800);

#if defined(__SIZEOF_INT128__)
    __extension__ typedef __int128 Int128;
    // Slanted lines from the edges of the 32-bit range: every visible pixel
    // as the stepping rule gives it, computed here in 128 bits.
    const long long cases[][4] = {
        {-2147483648LL, -123456789LL, 2147483647LL, 987654321LL},
        {2147483647LL, 2147483647LL, -2147483648LL, -2147483000LL},
        {-1000000000LL, 300, 1000000000LL, 301},
        {-1999999999LL, 2000000000LL, 2000000001LL, -1999999000LL},
        {400, -2147483648LL, 401, 2147483647LL},
    };
    for (const auto& c : cases) {
        fillBox(0, 0, 799, 583, colourBlack);
        drawLine(double(c[0]), double(c[1]), double(c[2]), double(c[3]), RED);
        std::vector<std::uint32_t> want(SURFACE_WIDTH * SURFACE_HEIGHT, colourBlack);
        const Int128 dx = c[2] - c[0], dy = c[3] - c[1];
        const Int128 adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
        const bool xMajor = adx >= ady;
        const Int128 n = xMajor ? adx : ady, a = xMajor ? ady : adx;
        const int sMajor = (xMajor ? dx : dy) > 0 ? 1 : -1;
        const int sMinor = (xMajor ? dy : dx) > 0 ? 1 : ((xMajor ? dy : dx) < 0 ? -1 : 0);
        const long long majorStart = xMajor ? c[0] : c[1], minorStart = xMajor ? c[1] : c[0];
        const int majorLimit = xMajor ? SURFACE_WIDTH : SURFACE_HEIGHT;
        const int minorLimit = xMajor ? SURFACE_HEIGHT : SURFACE_WIDTH;
        for (int m = 0; m < majorLimit; ++m) {
            const Int128 i = (Int128(m) - majorStart) * sMajor;
            if (i < 0 || i > n) continue;
            const Int128 d = (2 * i * a + n) / (2 * n);
            const Int128 minor = minorStart + sMinor * d;
            if (minor < 0 || minor >= minorLimit) continue;
            const int x = xMajor ? m : int(minor), y = xMajor ? int(minor) : m;
            want[y * SURFACE_WIDTH + x] = RED;
        }
        EXPECT_EQ(snapshot(), want) << c[0] << "," << c[1] << " -> " << c[2] << "," << c[3];
    }
#endif
}

// --- text ------------------------------------------------------------------------

TEST_F(OpenSurface, TextDrawsGlyphsFromTheFontTableWithATransparentBackground) {
    fillBox(0, 0, 799, 583, colourBackground);
    drawText(80, 57, std::string(87, '\xDB'), RED);
    EXPECT_EQ(countColour(80, 57, 775, 64, RED), 696 * 8);
    EXPECT_EQ(drawn(RED), 696 * 8);

    fillBox(0, 0, 799, 583, GREEN);
    drawText(100, 200, "A b\x81\xE1", RED);
    EXPECT_TRUE(textAt(100, 200, "A", RED, GREEN));
    EXPECT_TRUE(textAt(124, 200, "\x81\xE1", RED, GREEN));
    EXPECT_EQ(countOther(108, 200, 115, 207, GREEN), 0);  // the space leaves the area as it was
    EXPECT_TRUE(textAt(116, 200, "b", RED, GREEN));

    const auto before = snapshot();
    drawText(10, 10, "", RED);
    drawText(10, 10, "   ", RED);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(OpenSurface, TextIsClippedAtEveryEdge) {
    drawText(796, 0, "\xDB\xDB", RED);  // 4 columns of the first glyph
    EXPECT_EQ(drawn(RED), 4 * 8);
    fillBox(0, 0, 799, 583, colourBlack);
    drawText(-5, 580, "\xDB\xDB", RED);  // 3 + 8 columns, 4 rows
    EXPECT_EQ(drawn(RED), 11 * 4);
    EXPECT_EQ(countColour(0, 580, 10, 583, RED), 44);
    fillBox(0, 0, 799, 583, colourBlack);
    drawText(-1e9, 100, std::string(1000, '\xDB'), RED);
    drawText(1e9, 100, "\xDB", RED);
    drawText(10, -8, "\xDB", RED);
    drawText(10, 584, "\xDB", RED);
    EXPECT_EQ(drawn(RED), 0);
    drawText(-8000, 100, std::string(1100, '\xDB'), RED);  // glyphs 1000.. reach the area
    EXPECT_EQ(countColour(0, 100, 799, 107, RED), 800 * 8);
}

// --- batches and changed lines --------------------------------------------------------

TEST_F(OpenSurface, ChangedLinesAreCopiedOnlyOutsideABatch) {
    std::vector<std::uint32_t> dest(SURFACE_WIDTH * SURFACE_HEIGHT, 0x123456);
    int first = -5, last = -5;
    ASSERT_TRUE(surface::takeChangedLines(dest.data(), first, last));  // the black picture of the open
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 583);
    EXPECT_EQ(dest[583 * 800 + 799], colourBlack);
    EXPECT_FALSE(surface::takeChangedLines(dest.data(), first, last));

    std::fill(dest.begin(), dest.end(), 0x123456);
    drawLine(10, 40, 20, 45, RED);
    ASSERT_TRUE(surface::takeChangedLines(dest.data(), first, last));
    EXPECT_EQ(first, 40);
    EXPECT_EQ(last, 45);
    EXPECT_EQ(dest[40 * 800 + 10], RED);
    EXPECT_EQ(dest[39 * 800], 0x123456u);  // unchanged lines are not copied
    EXPECT_EQ(dest[46 * 800], 0x123456u);

    lockScreen();
    lockScreen();
    setPixel(3, 3, RED);
    EXPECT_FALSE(surface::takeChangedLines(dest.data(), first, last));
    unlockScreen();
    EXPECT_FALSE(surface::takeChangedLines(dest.data(), first, last));  // still one level open
    unlockScreen();
    ASSERT_TRUE(surface::takeChangedLines(dest.data(), first, last));
    EXPECT_EQ(first, 0);  // the end of a batch marks every line
    EXPECT_EQ(last, 583);
    EXPECT_EQ(dest[3 * 800 + 3], RED);

    // An unlock without a lock does not leave the counter below zero.
    unlockScreen();
    EXPECT_TRUE(surface::takeChangedLines(dest.data(), first, last));
    lockScreen();
    EXPECT_FALSE(surface::takeChangedLines(dest.data(), first, last));
    unlockScreen();

    surface::markAllChanged();
    ASSERT_TRUE(surface::takeChangedLines(dest.data(), first, last));
    EXPECT_EQ(last - first, 583);
}

// A window that shows the framebuffer itself gets the runs of drawn lines,
// with the picture readable, and never a line that only a batch end marked.
TEST_F(OpenSurface, DrawnLinesAreSentInRunsOutsideABatch) {
    std::vector<std::pair<int, int>> runs;
    std::uint32_t seen = 0;
    struct Context {
        std::vector<std::pair<int, int>>* runs;
        std::uint32_t* seen;
    } context{&runs, &seen};
    const auto send = [](void* c, int first, int count) {
        auto& ctx = *static_cast<Context*>(c);
        ctx.runs->emplace_back(first, count);
        *ctx.seen = surface::framebuffer()[static_cast<std::size_t>(first) * SURFACE_WIDTH + 3];
    };
    ASSERT_TRUE(surface::sendDrawnLines(send, &context));  // the black picture of the open
    EXPECT_EQ(runs, (std::vector<std::pair<int, int>>{{0, 584}}));
    runs.clear();
    EXPECT_FALSE(surface::sendDrawnLines(send, &context));

    lockScreen();
    setPixel(3, 0, RED);
    drawLine(10, 40, 20, 42, RED);
    setPixel(3, 583, RED);
    EXPECT_FALSE(surface::sendDrawnLines(send, &context));  // the batch is open
    unlockScreen();
    ASSERT_TRUE(surface::sendDrawnLines(send, &context));
    EXPECT_EQ(runs, (std::vector<std::pair<int, int>>{{0, 1}, {40, 3}, {583, 1}}));
    EXPECT_EQ(seen, RED);

    runs.clear();
    lockScreen();
    unlockScreen();  // marks every line, but none was drawn
    EXPECT_FALSE(surface::sendDrawnLines(send, &context));
    EXPECT_TRUE(runs.empty());
    surface::markAllChanged();
    ASSERT_TRUE(surface::sendDrawnLines(send, &context));
    EXPECT_EQ(runs, (std::vector<std::pair<int, int>>{{0, 584}}));

    bool shown = false;
    const auto show = [](void* c) { *static_cast<bool*>(c) = true; };
    lockScreen();
    EXPECT_FALSE(surface::showPicture(show, &shown));
    unlockScreen();
    EXPECT_FALSE(shown);
    EXPECT_TRUE(surface::showPicture(show, &shown));
    EXPECT_TRUE(shown);
}

TEST_F(OpenSurface, ABatchOfOneThreadNeverMakesTheOtherWait) {
    lockScreen();
    std::thread other([] {
        lockScreen();
        fillBox(0, 0, 10, 10, RED);
        unlockScreen();
    });
    other.join();  // would hang if lockScreen waited for the first batch
    EXPECT_EQ(surface::pixel(5, 5), RED);
    unlockScreen();
}

TEST_F(OpenSurface, TwoThreadsDrawingAtOnceNeverShowHalfAnOperation) {
    std::atomic<bool> stop{false};
    std::atomic<int> torn{0};
    std::atomic<int> copies{0};
    auto painter = [&stop](std::uint32_t colour) {
        const std::string blocks(87, '\xDB');
        // At least one whole pass each, however soon the refresher has seen enough.
        for (int k = 0; k < 5000 && (k == 0 || !stop); ++k) {
            fillBox(0, 0, 799, 583, colour);
            drawText(80, 100, blocks, colour);
            drawLine(0, 0, 799, 583, colour);
        }
    };
    std::thread refresher([&] {
        std::vector<std::uint32_t> dest(SURFACE_WIDTH * SURFACE_HEIGHT);
        while (!stop) {
            int first = 0, last = 0;
            surface::markAllChanged();
            if (!surface::takeChangedLines(dest.data(), first, last)) continue;
            ++copies;
            // Each copy sees whole fills only: every line starts with one colour
            // and all lines agree with line 300 at its ends.
            const std::uint32_t c = dest[300 * 800];
            for (int y = 0; y < SURFACE_HEIGHT; y += 97)
                if (dest[y * 800 + 400] != c && y != 100) ++torn;
        }
    });
    std::thread a(painter, RED), b(painter, GREEN);
    // Run until the refresher has seen enough pictures (or the painters end).
    for (int wait = 0; wait < 2000 && copies < 50; ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stop = true;
    a.join();
    b.join();
    refresher.join();
    EXPECT_GT(copies.load(), 0);
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(drawn(RED) + drawn(GREEN), SURFACE_WIDTH * SURFACE_HEIGHT);
}

// --- events and the pointer -------------------------------------------------------------

TEST_F(OpenSurface, MouseMovesCarryDesktopDeltas) {
    SurfaceEvent e;
    moveMouse(100, 100, 600, 400);  // first message: no delta, nothing queued
    EXPECT_FALSE(pollEvent(e));
    moveMouse(105, 100, 605, 400);
    ASSERT_TRUE(pollEvent(e));
    EXPECT_EQ(e.kind, EVENT_MOUSE_MOVE);
    EXPECT_EQ(e.x, 105);
    EXPECT_EQ(e.dx, 5);
    EXPECT_EQ(e.dy, 0);
    // The window follows the pointer: same place inside, still a delta.
    moveMouse(105, 100, 610, 400);
    ASSERT_TRUE(pollEvent(e));
    EXPECT_EQ(e.x, 105);
    EXPECT_EQ(e.y, 100);
    EXPECT_EQ(e.dx, 5);
    EXPECT_EQ(e.dy, 0);
    // Same desktop position: no event.
    moveMouse(106, 101, 610, 400);
    EXPECT_FALSE(pollEvent(e));
    // Inactive: the position is kept but nothing is queued.
    surface::setActive(false);
    moveMouse(110, 100, 620, 390);
    EXPECT_FALSE(pollEvent(e));
    surface::setActive(true);
    moveMouse(110, 103, 620, 393);
    ASSERT_TRUE(pollEvent(e));
    EXPECT_EQ(e.dx, 0);
    EXPECT_EQ(e.dy, 3);
    // Extreme desktop jumps saturate instead of overflowing.
    moveMouse(1, 1, INT32_MIN, INT32_MIN);
    moveMouse(1, 1, INT32_MAX, INT32_MAX);
    ASSERT_TRUE(pollEvent(e));
    ASSERT_TRUE(pollEvent(e));
    EXPECT_EQ(e.dx, INT32_MAX);
}

TEST_F(OpenSurface, TheEventRingKeepsTheNewest127) {
    moveMouse(0, 0, 0, 0);
    for (int k = 1; k <= 200; ++k) moveMouse(k % 800, 0, k * 3, 0);
    SurfaceEvent e;
    std::vector<int> xs;
    while (pollEvent(e)) {
        EXPECT_EQ(e.kind, EVENT_MOUSE_MOVE);
        EXPECT_EQ(e.dx, 3);
        xs.push_back(e.x);
    }
    ASSERT_EQ(xs.size(), 127u);
    EXPECT_EQ(xs.front(), 74);
    EXPECT_EQ(xs.back(), 200);
    EXPECT_FALSE(pollEvent(e));
}

TEST_F(OpenSurface, ButtonsWheelAndPointerState) {
    int x, y, wheel, buttons;
    EXPECT_FALSE(getMouse(x, y, wheel, buttons));  // no pointer seen yet
    moveMouse(30, 40, 500, 500);
    ASSERT_TRUE(getMouse(x, y, wheel, buttons));
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);
    EXPECT_EQ(wheel, 0);
    EXPECT_EQ(buttons, 0);

    surface::mouseButton(1, true);
    surface::mouseButton(2, true);
    surface::mouseWheel(1);
    surface::mouseWheel(1);
    surface::mouseWheel(-1);
    ASSERT_TRUE(getMouse(x, y, wheel, buttons));
    EXPECT_EQ(buttons, 3);
    EXPECT_EQ(wheel, 1);
    surface::mouseButton(1, false);
    ASSERT_TRUE(getMouse(x, y, wheel, buttons));
    EXPECT_EQ(buttons, 2);

    SurfaceEvent e;
    ASSERT_TRUE(pollEvent(e));
    EXPECT_EQ(e.kind, EVENT_BUTTON_DOWN);
    EXPECT_EQ(e.x, 1);
    ASSERT_TRUE(pollEvent(e));
    EXPECT_EQ(e.kind, EVENT_BUTTON_DOWN);
    EXPECT_EQ(e.x, 2);
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(pollEvent(e));
        EXPECT_EQ(e.kind, EVENT_WHEEL);
    }
    ASSERT_TRUE(pollEvent(e));
    EXPECT_EQ(e.kind, EVENT_BUTTON_UP);
    EXPECT_EQ(e.x, 1);

    surface::pointerLeft();
    x = y = wheel = buttons = 0;
    EXPECT_FALSE(getMouse(x, y, wheel, buttons));
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, -1);
    EXPECT_EQ(wheel, -1);
    EXPECT_EQ(buttons, -1);

    moveMouse(50, 50, 520, 510);
    EXPECT_TRUE(getMouse(x, y, wheel, buttons));
    moveMouse(-3, 50, 467, 510);  // captured move outside the drawing area
    EXPECT_FALSE(getMouse(x, y, wheel, buttons));
    moveMouse(50, 50, 520, 510);
    surface::setActive(false);
    EXPECT_FALSE(getMouse(x, y, wheel, buttons));
    EXPECT_EQ(x, -1);
}

TEST_F(OpenSurface, WindowPositionGoesThroughTheWindow) {
    int x = 0, y = 0;
    getWindowPosition(x, y);
    EXPECT_EQ(x, (1024 - 800) / 2);
    EXPECT_EQ(y, (768 - 584) / 2);
    setWindowPosition(-30, 77);
    getWindowPosition(x, y);
    EXPECT_EQ(x, -30);
    EXPECT_EQ(y, 77);
}

// --- keys -------------------------------------------------------------------------

TEST_F(OpenSurface, TheKeyRingKeepsTheNewest15) {
    EXPECT_FALSE(keyPressedSinceCheck());
    for (int k = 0; k < 20; ++k) surface::pushKey(std::string(1, char('a' + k)));
    EXPECT_TRUE(keyPressedSinceCheck());
    EXPECT_FALSE(keyPressedSinceCheck());
    std::string got;
    for (std::string key = readKey(); !key.empty(); key = readKey()) got += key;
    EXPECT_EQ(got, "fghijklmnopqrst");
    EXPECT_EQ(readKey(), "");
}

TEST_F(OpenSurface, KeyCodesAndTheKeyPressedIndication) {
    surface::pushKey("\xFF\x47");
    surface::pushKey("");  // not a key
    EXPECT_EQ(readKey(), std::string("\xFF\x47", 2));
    EXPECT_FALSE(keyPressedSinceCheck());  // readKey cleared it
    EXPECT_EQ(readKey(), "");

    surface::pushKey("x");
    EXPECT_TRUE(keyPressedSinceCheck());
    EXPECT_EQ(readKey(), "x");  // the key stays queued after the check

    surface::pushKey("y");
    EXPECT_EQ(readKey(), "y");
    EXPECT_EQ(readKey(), "");
    EXPECT_FALSE(keyPressedSinceCheck());

    surface::closeRequested();
    EXPECT_TRUE(keyPressedSinceCheck());
    EXPECT_EQ(readKey(), std::string("\xFF\x6B", 2));
    SurfaceEvent e;
    ASSERT_TRUE(pollEvent(e));
    EXPECT_EQ(e.kind, EVENT_CLOSE_REQUEST);
    EXPECT_TRUE(surface::isOpen());  // a close request does not close
}

TEST_F(OpenSurface, HeldKeysOnlyWhileActive) {
    surface::setKeyHeld(0x38, true);
    surface::setKeyHeld(0x3E, true);
    EXPECT_TRUE(isKeyDown(0x38));
    EXPECT_TRUE(isKeyDown(0x3E));
    EXPECT_FALSE(isKeyDown(0x39));
    EXPECT_FALSE(isKeyDown(-1));
    EXPECT_FALSE(isKeyDown(128));
    EXPECT_FALSE(isKeyDown(0x38 + 256));
    surface::setKeyHeld(200, true);  // ignored, no out-of-bounds write
    surface::setKeyHeld(-7, true);

    surface::setActive(false);  // deactivation clears the table
    EXPECT_FALSE(isKeyDown(0x38));
    surface::setKeyHeld(0x38, true);  // not honoured while inactive
    surface::setActive(true);
    EXPECT_FALSE(isKeyDown(0x38));
    surface::setKeyHeld(0x38, true);
    EXPECT_TRUE(isKeyDown(0x38));
    surface::setActive(true);  // (re)activation clears it as well
    EXPECT_FALSE(isKeyDown(0x38));
    surface::setKeyHeld(0x3E, true);
    surface::setKeyHeld(0x3E, false);
    EXPECT_FALSE(isKeyDown(0x3E));
}

TEST_F(OpenSurface, TheInputRestEndsOnChangesAndNeverWaitsWhileInputIsUnderWay) {
    EXPECT_TRUE(restEnds());  // the opening itself was a change
    // Idle: the rest lasts until something changes.
    for (const auto& change : std::vector<std::function<void()>>{
             [] {
                 surface::pushKey("a");
                 readKey();
             },
             [] { moveMouse(10, 10, 1, 1); },
             [] { surface::mouseWheel(120); },
             [] { surface::pointerLeft(); },
             [] { surface::setActive(true); },
             [] {
                 surface::closeRequested();
                 readKey();
             },
         }) {
        std::atomic<bool> resting{false};
        EXPECT_TRUE(restEnds([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(150));
            resting = true;
            change();
        }));
        EXPECT_TRUE(resting);
        // The change is used up by the rest it ended; the next one waits.
        auto next = std::async(std::launch::async, [] { waitForInput(60000); });
        EXPECT_EQ(next.wait_for(std::chrono::milliseconds(150)), std::future_status::timeout);
        wakeInputWaiter();
        next.wait();
    }

    // Never a rest while a button or key is held or a key waits.
    surface::mouseButton(1, true);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(restEnds());
    surface::mouseButton(1, false);
    surface::setKeyHeld(0x1D, true);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(restEnds());
    surface::setKeyHeld(0x1D, false);
    surface::pushKey("b");
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(restEnds());
    EXPECT_EQ(readKey(), "b");

    // A wake-up before the rest ends the next rest only.
    wakeInputWaiter();
    EXPECT_TRUE(restEnds());
    auto next = std::async(std::launch::async, [] { waitForInput(60000); });
    EXPECT_EQ(next.wait_for(std::chrono::milliseconds(150)), std::future_status::timeout);
    wakeInputWaiter();
    EXPECT_EQ(next.wait_for(std::chrono::seconds(5)), std::future_status::ready);

    // And no rest outlasts its limit, whatever the limit says.
    waitForInput(20);
    waitForInput(-5);
    waitForInput(0);
}

TEST_F(OpenSurface, ReopeningKeepsThePictureAndTheQueues) {
    fillBox(0, 0, 9, 9, RED);
    surface::pushKey("q");
    EXPECT_TRUE(openWindow(800, 584));
    EXPECT_EQ(surface::pixel(5, 5), RED);
    EXPECT_EQ(readKey(), "q");
}
