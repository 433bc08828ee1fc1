// Turns a fuzzer's input bytes into values, deterministically. Reading past
// the end yields zeros, so every input, however short, decodes to something.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace fuzz {

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool done() const { return pos_ >= size_; }

    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    std::uint32_t u32() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(byte()) << (8 * i);
        return v;
    }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::uint64_t u64() { return static_cast<std::uint64_t>(u32()) | static_cast<std::uint64_t>(u32()) << 32; }
    std::int64_t i64() { return static_cast<std::int64_t>(u64()); }

    // A 32-bit integer that is small or sits near an edge more often than not.
    std::int32_t edgyInt(std::int32_t smallLow, std::int32_t smallHigh) {
        const std::uint8_t how = byte();
        switch (how % 8) {
            case 0: return std::numeric_limits<std::int32_t>::min() + (how >> 3);
            case 1: return std::numeric_limits<std::int32_t>::max() - (how >> 3);
            case 2: return i32();
            case 3: return -static_cast<std::int32_t>(how >> 3);
            default: {
                const std::int64_t span = static_cast<std::int64_t>(smallHigh) - smallLow + 1;
                return static_cast<std::int32_t>(smallLow + static_cast<std::int64_t>(u32() % span));
            }
        }
    }

    // A byte string of at most maxLength bytes (its length comes first).
    std::string text(std::size_t maxLength) {
        const std::size_t length = byte() % (maxLength + 1);
        std::string out;
        for (std::size_t i = 0; i < length && !done(); ++i) out.push_back(static_cast<char>(byte()));
        return out;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// A violated invariant: say which and abort, so libFuzzer keeps the input
// and the replay test fails.
[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant violated: %s\n", file, line, what);
    std::fflush(stderr);
    std::abort();
}

}  // namespace fuzz

#define FUZZ_CHECK(condition) ((condition) ? (void)0 : ::fuzz::fail(#condition, __FILE__, __LINE__))
