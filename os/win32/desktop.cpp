// The program's exit on Windows.
#include <windows.h>

#include <cstdio>

#include "os/os.h"

namespace os {

void tellFailure(const std::string&) {}

bool commandLineHasOptions() { return false; }

void tellUser(const std::string&) {}

[[noreturn]] void exitProcess(int status) {
    // Other threads may still be drawing or sampling: end without running
    // static destructors under them.
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(status));
}

}  // namespace os
