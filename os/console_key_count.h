// Key presses taken out of a console in one read are reported one per call:
// the realisations count what they read and hand out the rest later.
#pragma once

#include <atomic>
#include <cstdint>

namespace os {

class ConsoleKeyCount {
  public:
    // One key event: a pending one, else whatever `readWaiting()` (a count
    // of key presses read now, without blocking) brings.
    template <class ReadWaiting>
    bool takeOne(ReadWaiting readWaiting) {
        std::uint32_t keys = pending_.load();
        while (keys > 0) {
            if (pending_.compare_exchange_weak(keys, keys - 1)) return true;
        }
        const std::uint32_t read = readWaiting();
        if (read == 0) return false;
        pending_.fetch_add(read - 1);
        return true;
    }

  private:
    std::atomic<std::uint32_t> pending_{0};
};

}  // namespace os
