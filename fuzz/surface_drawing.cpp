// The drawing primitives: arbitrary coordinates (fractions, NaN, infinities,
// far outside the area), texts and colours on the in-memory window, against
// a plain pixel-by-pixel model of what each primitive must draw. Also checks
// that the changed-line tracking never misses a line and that batches hold
// the refresh back.
//
// Input: whether the window opens, then operations until the input ends.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "fuzz/fuzz_input.h"
#include "screen/font_cp437.h"
#include "screen/surface.h"
#include "screen/window_backend.h"
#include "screen/window_memory.h"

namespace {

// Exact models in 128 bits, an extension of GCC and Clang.
__extension__ typedef __int128 Int128;

constexpr int W = SURFACE_WIDTH;
constexpr int H = SURFACE_HEIGHT;

std::uint32_t model[W * H];  // what the framebuffer must hold
std::uint32_t shown[W * H];  // what the window got through the refresh copies
std::uint32_t full[W * H];

bool inside(std::int64_t x, std::int64_t y) { return x >= 0 && x < W && y >= 0 && y < H; }

void plot(std::int64_t x, std::int64_t y, std::uint32_t colour) {
    if (inside(x, y)) model[y * W + x] = colour;
}

double coordinate(fuzz::Input& in) {
    const std::uint8_t how = in.byte();
    const int low = in.byte();
    const int high = in.byte() % 4;
    const double small = static_cast<double>((high << 8 | low) - 16);  // -16 .. 1007
    switch (how % 10) {
        case 0: return small + 0.5;
        case 1: return small - 0.5;
        case 2: {
            const std::uint64_t bits = in.u64();
            double v = 0;
            std::memcpy(&v, &bits, sizeof v);
            return v;
        }
        case 3: return static_cast<double>(in.i32());
        case 4: return how & 0x10 ? std::numeric_limits<double>::infinity() : -std::numeric_limits<double>::infinity();
        case 5: return std::numeric_limits<double>::quiet_NaN();
        case 6: return (how & 0x10 ? 2147483647.0 : -2147483648.0) - small;
        default: return small;
    }
}

// Half away from zero, kept inside the 32-bit range; false for NaN.
bool rounded(double v, std::int64_t& out) {
    if (std::isnan(v)) return false;
    double r = v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5);
    r = std::min(std::max(r, -2147483648.0), 2147483647.0);
    out = static_cast<std::int64_t>(r);
    return true;
}

void modelText(std::int64_t x, std::int64_t y, const std::string& text, std::uint32_t colour) {
    for (std::size_t k = 0; k < text.size(); ++k) {
        const std::int64_t cellX = x + 8 * static_cast<std::int64_t>(k);
        if (cellX >= W) break;
        if (cellX + 7 < 0) continue;
        for (int row = 0; row < 8; ++row)
            for (int col = 0; col < 8; ++col)
                if (fontCp437[static_cast<unsigned char>(text[k])][row] & (0x80u >> col))
                    plot(cellX + col, y + row, colour);
    }
}

void modelFill(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::uint32_t colour) {
    const std::int64_t left = std::max<std::int64_t>(std::min(x1, x2), 0),
                       right = std::min<std::int64_t>(std::max(x1, x2), W - 1);
    const std::int64_t top = std::max<std::int64_t>(std::min(y1, y2), 0),
                       bottom = std::min<std::int64_t>(std::max(y1, y2), H - 1);
    for (std::int64_t y = top; y <= bottom; ++y)
        for (std::int64_t x = left; x <= right; ++x) plot(x, y, colour);
}

void modelBox(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::uint32_t colour) {
    const std::int64_t x0 = std::min(x1, x2), x9 = std::max(x1, x2), y0 = std::min(y1, y2), y9 = std::max(y1, y2);
    for (std::int64_t x = std::max<std::int64_t>(x0, 0); x <= std::min<std::int64_t>(x9, W - 1); ++x) {
        plot(x, y0, colour);
        plot(x, y9, colour);
    }
    for (std::int64_t y = std::max<std::int64_t>(y0, 0); y <= std::min<std::int64_t>(y9, H - 1); ++y) {
        plot(x0, y, colour);
        plot(x9, y, colour);
    }
}

// Step i of n along the longer axis moves floor((2 i a + n) / (2 n)) along
// the shorter one. Only the steps whose longer-axis coordinate is inside can
// draw, so at most 800 are visited however long the line is.
void modelLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::uint32_t colour) {
    const std::int64_t dx = x2 - x1, dy = y2 - y1;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const std::int64_t n = xMajor ? std::llabs(dx) : std::llabs(dy), a = xMajor ? std::llabs(dy) : std::llabs(dx);
    const std::int64_t m1 = xMajor ? x1 : y1, s1 = xMajor ? y1 : x1;
    const std::int64_t dm = xMajor ? dx : dy, ds = xMajor ? dy : dx;
    const int stepM = dm > 0 ? 1 : (dm < 0 ? -1 : 0), stepS = ds > 0 ? 1 : (ds < 0 ? -1 : 0);
    const std::int64_t limit = xMajor ? W : H;
    for (std::int64_t major = 0; major < limit; ++major) {
        const std::int64_t i = stepM >= 0 ? major - m1 : m1 - major;
        if (i < 0 || i > n || (stepM == 0 && major != m1)) continue;
        const Int128 d = n == 0 ? 0 : (static_cast<Int128>(2) * i * a + n) / (static_cast<Int128>(2) * n);
        const Int128 minor = static_cast<Int128>(s1) + stepS * d;
        if (minor < -1 || minor > 1000) continue;
        if (xMajor)
            plot(major, static_cast<std::int64_t>(minor), colour);
        else
            plot(static_cast<std::int64_t>(minor), major, colour);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    surface::reset();
    memorywindow::resetControls();
    std::fill(std::begin(model), std::end(model), 0u);
    std::fill(std::begin(shown), std::end(shown), 0u);

    const bool open = in.byte() % 8 != 0;
    if (open) FUZZ_CHECK(openWindow(W, H));
    int depth = 0;
    int titles = 0;

    auto refresh = [&] {
        int first = -7, last = -7;
        const bool copied = surface::takeChangedLines(shown, first, last);
        if (depth > 0 || !open) {
            FUZZ_CHECK(!copied);
            return;
        }
        if (copied) FUZZ_CHECK(0 <= first && first <= last && last < H);
        FUZZ_CHECK(std::memcmp(shown, model, sizeof model) == 0);  // no changed line was missed
    };

    std::size_t ops = 0;
    while (!in.done() && ++ops < 400) {
        const std::uint8_t op = in.byte() % 11;
        const std::uint32_t colour = op <= 4 ? in.u32() : 0;
        double c[4] = {};
        const int coords = op == 0 || op == 4 ? 2 : (op <= 3 ? 4 : 0);
        for (int k = 0; k < coords; ++k) c[k] = coordinate(in);
        std::int64_t r[4] = {};
        bool drawable = open;
        for (int k = 0; k < coords; ++k) drawable = rounded(c[k], r[k]) && drawable;
        switch (op) {
            case 0: {
                const std::string text = in.text(120);
                drawText(c[0], c[1], text, colour);
                if (drawable) modelText(r[0], r[1], text, colour);
                break;
            }
            case 1:
                drawLine(c[0], c[1], c[2], c[3], colour);
                if (drawable) modelLine(r[0], r[1], r[2], r[3], colour);
                break;
            case 2:
                drawBox(c[0], c[1], c[2], c[3], colour);
                if (drawable) modelBox(r[0], r[1], r[2], r[3], colour);
                break;
            case 3:
                fillBox(c[0], c[1], c[2], c[3], colour);
                if (drawable) modelFill(r[0], r[1], r[2], r[3], colour);
                break;
            case 4:
                setPixel(c[0], c[1], colour);
                if (drawable) plot(r[0], r[1], colour);
                break;
            case 5:
                lockScreen();
                if (open) ++depth;
                break;
            case 6:
                unlockScreen();
                if (depth > 0) --depth;
                break;
            case 7:
            case 8: refresh(); break;
            case 9: {
                const std::string title = in.text(255);
                setWindowTitle(title);
                if (open) {
                    ++titles;
                    FUZZ_CHECK(memorywindow::title() == title.substr(0, 127));
                }
                FUZZ_CHECK(memorywindow::titleCount() == titles);
                break;
            }
            default: {
                // One row read back pixel by pixel, batch or not; outside reads 0.
                const int y = static_cast<int>(in.u32() % (H + 2)) - 1;
                for (int x = -1; x <= W; ++x) {
                    const std::uint32_t want = inside(x, y) ? model[y * W + x] : 0u;
                    FUZZ_CHECK(surface::pixel(x, y) == want);
                }
                break;
            }
        }
    }

    while (depth > 0) {
        unlockScreen();
        --depth;
    }
    refresh();
    if (open) {
        int first = 0, last = 0;
        surface::markAllChanged();
        FUZZ_CHECK(surface::takeChangedLines(full, first, last) && first == 0 && last == H - 1);
        FUZZ_CHECK(std::memcmp(full, model, sizeof model) == 0);
    } else {
        for (int y = 0; y < H; y += 97)
            for (int x = 0; x < W; x += 13) FUZZ_CHECK(surface::pixel(x, y) == 0u);
    }
    return 0;
}
