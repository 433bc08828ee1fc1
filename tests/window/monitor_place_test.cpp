// Which monitor the X11 window opens on and where on it, without a display.
#include <gtest/gtest.h>

#include <vector>

#include "screen/window_x11_monitor.h"

namespace {

using x11monitor::Area;
using x11monitor::centredPlace;
using x11monitor::Place;

Area monitor(int x, int y, int width, int height, bool primary = false) {
    Area a;
    a.x = x;
    a.y = y;
    a.width = width;
    a.height = height;
    a.primary = primary;
    return a;
}

void expectPlace(const Place& p, int x, int y) {
    EXPECT_EQ(p.x, x);
    EXPECT_EQ(p.y, y);
}

TEST(MonitorPlace, ThePrimaryMonitorWinsWhereverItIsListed) {
    const Area left = monitor(0, 0, 1280, 1024);
    const Area right = monitor(1280, 0, 1024, 768, true);
    expectPlace(centredPlace({left, right}, 2304, 1024, 800, 584), 1280 + 112, 92);
    expectPlace(centredPlace({right, left}, 2304, 1024, 800, 584), 1280 + 112, 92);
    // Stacked, and left of and above the screen's origin.
    expectPlace(centredPlace({monitor(0, 0, 1920, 1080), monitor(-1600, -900, 1600, 900, true)}, 3520, 1980, 800, 584),
                -1600 + 400, -900 + 158);
}

TEST(MonitorPlace, WithoutAPrimaryTheFirstMonitorWithAnArea) {
    expectPlace(centredPlace({monitor(1280, 0, 1024, 768), monitor(0, 0, 1280, 1024)}, 2304, 1024, 800, 584), 1392, 92);
    // A monitor of no size (a switched-off output) is passed over, primary or not.
    expectPlace(centredPlace({monitor(0, 0, 0, 0, true), monitor(100, 50, 1000, 700)}, 2304, 1024, 800, 584), 200, 108);
}

TEST(MonitorPlace, NoMonitorMeansTheWholeScreen) {
    expectPlace(centredPlace({}, 1280, 1024, 800, 584), 240, 220);
    expectPlace(centredPlace({monitor(0, 0, 0, 768), monitor(5, 5, 800, -1)}, 1024, 768, 800, 584), 112, 92);
}

TEST(MonitorPlace, AWindowLargerThanItsMonitorKeepsItsCornerOnIt) {
    expectPlace(centredPlace({monitor(0, 0, 1280, 1024), monitor(1280, 0, 640, 480, true)}, 1920, 1024, 800, 584), 1280,
                0);
    // Larger in one direction only: centred in the other.
    expectPlace(centredPlace({monitor(0, 0, 600, 800)}, 600, 800, 800, 584), 0, 108);
    expectPlace(centredPlace({}, 640, 480, 800, 584), 0, 0);
    // Odd leftovers round towards the monitor's top-left corner.
    expectPlace(centredPlace({monitor(0, 0, 801, 585)}, 801, 585, 800, 584), 0, 0);
    expectPlace(centredPlace({monitor(0, 0, 803, 587)}, 803, 587, 800, 584), 1, 1);
}

}  // namespace
