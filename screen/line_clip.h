// Line stepping with analytic clipping, so that a line with far-away end
// points costs no more than its visible part and yields exactly the pixels
// that stepping the whole line would have drawn inside the area.
//
// The line from (x1, y1) to (x2, y2) has n + 1 pixels, n = the longer of
// |dx| and |dy|: step i (0..n) moves i pixels along the longer axis and
// floor((2 i a + n) / (2 n)) pixels along the shorter one (a = the shorter
// extent), that is the shorter coordinate rounded to nearest with halves
// going forward. Both end points are drawn.
#pragma once

#include <algorithm>
#include <cstdint>

namespace lineclip_detail {

// Unsigned 128-bit arithmetic for the few products of clipping, which can
// reach 2^66 for end points at the edges of the 32-bit range. Portable: the
// 32-bit Windows compiler has no 128-bit integer type.
struct U128 {
    std::uint64_t hi = 0;
    std::uint64_t lo = 0;
};

inline U128 mul(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t aLo = a & 0xFFFFFFFFu, aHi = a >> 32;
    const std::uint64_t bLo = b & 0xFFFFFFFFu, bHi = b >> 32;
    const std::uint64_t ll = aLo * bLo, lh = aLo * bHi, hl = aHi * bLo, hh = aHi * bHi;
    const std::uint64_t mid = (ll >> 32) + (lh & 0xFFFFFFFFu) + (hl & 0xFFFFFFFFu);
    U128 r;
    r.lo = (ll & 0xFFFFFFFFu) | (mid << 32);
    r.hi = hh + (lh >> 32) + (hl >> 32) + (mid >> 32);
    return r;
}

inline U128 add(U128 a, std::uint64_t b) {
    U128 r;
    r.lo = a.lo + b;
    r.hi = a.hi + (r.lo < a.lo ? 1 : 0);
    return r;
}

// a - b for a >= b.
inline U128 sub(U128 a, std::uint64_t b) {
    U128 r;
    r.lo = a.lo - b;
    r.hi = a.hi - (a.lo < b ? 1 : 0);
    return r;
}

// Quotient (saturated to 64 bits) and remainder of num / den, den < 2^62.
inline std::uint64_t divmod(U128 num, std::uint64_t den, std::uint64_t& rem) {
    U128 q;
    std::uint64_t r = 0;
    for (int bit = 127; bit >= 0; --bit) {
        const std::uint64_t b = bit >= 64 ? (num.hi >> (bit - 64)) & 1u : (num.lo >> bit) & 1u;
        r = (r << 1) | b;
        const bool take = r >= den;
        if (take) r -= den;
        if (bit >= 64)
            q.hi |= static_cast<std::uint64_t>(take) << (bit - 64);
        else
            q.lo |= static_cast<std::uint64_t>(take) << bit;
    }
    rem = r;
    return q.hi != 0 ? UINT64_MAX : q.lo;
}

inline std::uint64_t ceilDiv(U128 num, std::uint64_t den) {
    std::uint64_t rem = 0;
    const std::uint64_t q = divmod(num, den, rem);
    return rem != 0 && q != UINT64_MAX ? q + 1 : q;
}

}  // namespace lineclip_detail

// The visible steps of one line, ready to walk.
struct LineWalk {
    bool xMajor = true;
    std::int64_t major1 = 0, minor1 = 0;  // the first end point
    int majorStep = 0, minorStep = 0;     // -1, 0 or +1
    std::int64_t n = 0, a = 0;            // longer and shorter extent
    std::int64_t first = 0, last = -1;    // visible steps, first..last
};

// Clips the line between two points (each coordinate within the 32-bit
// range) to the area 0..width-1 x 0..height-1. False when nothing is visible.
inline bool clipLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, int width, int height,
                     LineWalk& walk) {
    using namespace lineclip_detail;
    const std::int64_t dx = x2 - x1, dy = y2 - y1;
    const std::int64_t adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
    walk.xMajor = adx >= ady;
    walk.n = walk.xMajor ? adx : ady;
    walk.a = walk.xMajor ? ady : adx;
    walk.major1 = walk.xMajor ? x1 : y1;
    walk.minor1 = walk.xMajor ? y1 : x1;
    const std::int64_t dMajor = walk.xMajor ? dx : dy, dMinor = walk.xMajor ? dy : dx;
    walk.majorStep = dMajor > 0 ? 1 : (dMajor < 0 ? -1 : 0);
    walk.minorStep = dMinor > 0 ? 1 : (dMinor < 0 ? -1 : 0);
    const std::int64_t majorLimit = walk.xMajor ? width : height;
    const std::int64_t minorLimit = walk.xMajor ? height : width;

    // Steps whose longer-axis coordinate lies inside.
    std::int64_t first = 0, last = walk.n;
    if (walk.majorStep >= 0) {
        first = std::max(first, -walk.major1);
        last = std::min(last, majorLimit - 1 - walk.major1);
    } else {
        first = std::max(first, walk.major1 - (majorLimit - 1));
        last = std::min(last, walk.major1);
    }
    if (walk.n == 0 && (walk.major1 < 0 || walk.major1 >= majorLimit)) return false;
    if (first > last) return false;

    // Steps whose shorter-axis coordinate lies inside: the offset d(i) grows
    // with i, so the wanted offsets lo..hi map to one range of steps.
    if (walk.minorStep == 0) {
        if (walk.minor1 < 0 || walk.minor1 >= minorLimit) return false;
    } else {
        std::int64_t lo = 0, hi = 0;
        if (walk.minorStep > 0) {
            lo = -walk.minor1;
            hi = minorLimit - 1 - walk.minor1;
        } else {
            lo = walk.minor1 - (minorLimit - 1);
            hi = walk.minor1;
        }
        lo = std::max<std::int64_t>(lo, 0);
        hi = std::min<std::int64_t>(hi, walk.a);
        if (lo > hi) return false;
        const std::uint64_t n = static_cast<std::uint64_t>(walk.n);
        const std::uint64_t twoA = 2 * static_cast<std::uint64_t>(walk.a);
        if (lo > 0) {
            // smallest i with 2 i a + n >= 2 n lo
            const U128 num = sub(mul(2 * n, static_cast<std::uint64_t>(lo)), n);
            first = std::max(first, static_cast<std::int64_t>(std::min<std::uint64_t>(ceilDiv(num, twoA), n + 1)));
        }
        if (hi < walk.a) {
            // largest i with 2 i a + n < 2 n (hi + 1)
            const U128 num = sub(mul(2 * n, static_cast<std::uint64_t>(hi) + 1), n);
            const std::uint64_t bound = std::min<std::uint64_t>(ceilDiv(num, twoA), n + 1);
            last = std::min(last, static_cast<std::int64_t>(bound) - 1);
        }
        if (first > last) return false;
    }
    walk.first = first;
    walk.last = last;
    return true;
}

// Calls plot(x, y) for every visible pixel, from the first end point on.
template <typename Plot>
inline void walkLine(const LineWalk& walk, Plot&& plot) {
    using namespace lineclip_detail;
    if (walk.first > walk.last) return;
    std::int64_t d = 0, err = 0;
    const std::int64_t twoN = 2 * walk.n, twoA = 2 * walk.a;
    if (walk.n > 0) {
        std::uint64_t rem = 0;
        const U128 num = add(mul(static_cast<std::uint64_t>(walk.first), static_cast<std::uint64_t>(twoA)),
                             static_cast<std::uint64_t>(walk.n));
        d = static_cast<std::int64_t>(divmod(num, static_cast<std::uint64_t>(twoN), rem));
        err = static_cast<std::int64_t>(rem);
    }
    for (std::int64_t i = walk.first; i <= walk.last; ++i) {
        const std::int64_t major = walk.major1 + walk.majorStep * i;
        const std::int64_t minor = walk.minor1 + walk.minorStep * d;
        if (walk.xMajor)
            plot(major, minor);
        else
            plot(minor, major);
        err += twoA;
        if (err >= twoN && twoN > 0) {
            err -= twoN;
            ++d;
        }
    }
}
