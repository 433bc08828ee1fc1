// stateLock for one scope. The input thread never nests two of these.
#pragma once

#include "state/monitor_state.h"

class StateLockGuard {
  public:
    StateLockGuard() { takeStateLock(); }
    ~StateLockGuard() { releaseStateLock(); }
    StateLockGuard(const StateLockGuard&) = delete;
    StateLockGuard& operator=(const StateLockGuard&) = delete;
};
