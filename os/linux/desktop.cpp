// The program's exit on Linux; InitCommonControls has no counterpart.
#include <unistd.h>

#include <cstdio>

#include "os/os.h"

namespace os {

void initCommonControls() {}

void tellFailure(const std::string& text) {
    const std::string line = text + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

bool commandLineHasOptions() { return true; }

void tellUser(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

[[noreturn]] void exitProcess(int status) {
    // Other threads may still be drawing or sampling: skip static destructors.
    std::fflush(nullptr);
    _exit(status);
}

}  // namespace os
