// 64-bit arithmetic on the system's 100 ns time counts. Differences and the
// products with 100 wrap around like the machine's integer instructions
// instead of overflowing into undefined behaviour: counts that absurd only
// come from a broken system query, and give a meaningless (but defined)
// figure that the share rule then clamps.
#pragma once

#include <cstdint>

namespace timearith {

inline std::int64_t minus(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}

inline std::int64_t plus(std::int64_t a, std::int64_t b) {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

inline std::int64_t times100(std::int64_t a) { return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) * 100u); }

}  // namespace timearith
