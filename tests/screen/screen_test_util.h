// Shared helpers of the screen tests: a fixture with a freshly opened
// in-memory window, and pixel checks against the font table.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "screen/font_cp437.h"
#include "screen/surface.h"
#include "screen/window_backend.h"
#include "screen/window_memory.h"
#include "state/monitor_state.h"

namespace screentest {

inline void freshSurface() {
    surface::reset();
    memorywindow::resetControls();
    resetMonitorState();
}

struct OpenSurface : ::testing::Test {
    void SetUp() override {
        freshSurface();
        ASSERT_TRUE(openWindow(SURFACE_WIDTH, SURFACE_HEIGHT));
    }
    void TearDown() override { freshSurface(); }
};

// Number of pixels of the rectangle (inclusive) that are not `colour`.
inline int countOther(int x1, int y1, int x2, int y2, std::uint32_t colour) {
    int n = 0;
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x)
            if (surface::pixel(x, y) != colour) ++n;
    return n;
}

inline int countColour(int x1, int y1, int x2, int y2, std::uint32_t colour) {
    return (x2 - x1 + 1) * (y2 - y1 + 1) - countOther(x1, y1, x2, y2, colour);
}

// The glyph cells of `text` from (x, y): every set bit of the font table in
// `ink`, every clear bit in `paper`.
inline ::testing::AssertionResult textAt(int x, int y, std::string_view text, std::uint32_t ink, std::uint32_t paper) {
    for (std::size_t k = 0; k < text.size(); ++k) {
        const unsigned char b = static_cast<unsigned char>(text[k]);
        for (int row = 0; row < 8; ++row)
            for (int col = 0; col < 8; ++col) {
                const int px = x + 8 * static_cast<int>(k) + col, py = y + row;
                const bool set = fontCp437[b][row] & (0x80u >> col);
                const std::uint32_t want = set ? ink : paper;
                const std::uint32_t got = surface::pixel(px, py);
                if (got != want) {
                    char where[120];
                    std::snprintf(where, sizeof where, "glyph %zu (0x%02X) at (%d, %d): got 0x%06X, want 0x%06X", k,
                                  unsigned(b), px, py, unsigned(got), unsigned(want));
                    return ::testing::AssertionFailure() << where;
                }
            }
    }
    return ::testing::AssertionSuccess();
}

// The whole picture. Copies through the refresh path when it can (fast, but
// it consumes the changed-line marks), else pixel by pixel.
inline std::vector<std::uint32_t> snapshot() {
    std::vector<std::uint32_t> all(SURFACE_WIDTH * SURFACE_HEIGHT);
    surface::markAllChanged();
    int first = 0, last = 0;
    if (surface::takeChangedLines(all.data(), first, last)) return all;
    for (int y = 0; y < SURFACE_HEIGHT; ++y)
        for (int x = 0; x < SURFACE_WIDTH; ++x) all[y * SURFACE_WIDTH + x] = surface::pixel(x, y);
    return all;
}

inline std::string repeat(char c, std::size_t n) { return std::string(n, c); }

}  // namespace screentest
