// The X11 window opening on a display whose monitors the test run laid out
// (with_xvfb.sh --monitor): it must land where CORV_EXPECT_PLACE ("X,Y")
// says. CORV_WINDOW_SHOT names a PNG for the whole display, to look at.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "screen/surface.h"
#include "tests/window/x_side.h"

namespace {

TEST(MonitorWindow, OpensWhereTheLayoutPutsIt) {
    if (!xside::available()) GTEST_SKIP() << "no private X server (Xvfb) to open windows on";
    const char* expected = std::getenv("CORV_EXPECT_PLACE");
    ASSERT_NE(expected, nullptr) << "CORV_EXPECT_PLACE=X,Y is not set";
    const std::string place(expected);
    const int x = std::stoi(place.substr(0, place.find(',')));
    const int y = std::stoi(place.substr(place.find(',') + 1));

    ASSERT_TRUE(openWindow(800, 584));
    setWindowTitle("Corvane");
    lockScreen();
    fillBox(0, 0, 800, 584, colourBackground);
    drawBox(0, 0, 799, 583, colourWhite);
    drawText(8, 5, "Corvane", colourBlack);
    unlockScreen();
    const std::string id = xside::findWindow("Corvane");
    ASSERT_FALSE(id.empty());
    const xside::Geometry g = xside::geometry(id);
    EXPECT_EQ(g.x, x);
    EXPECT_EQ(g.y, y);
    int wx = -1, wy = -1;
    getWindowPosition(wx, wy);
    EXPECT_EQ(wx, x);
    EXPECT_EQ(wy, y);

    const char* shot = std::getenv("CORV_WINDOW_SHOT");
    // The window's picture is at its place: its white frame's corners.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        const xside::Picture p = xside::screenshot(shot ? shot : "");
        if (p.at(x, y) == colourWhite && p.at(x + 799, y + 583) == colourWhite &&
            p.at(x + 1, y + 1) == colourBackground) {
            return;
        }
    }
    ADD_FAILURE() << "the window's picture is not at " << x << "," << y;
}

}  // namespace
