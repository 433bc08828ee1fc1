// Shows one message box through the OS layer and prints the answer, so that a
// script can drive the dialog with xdotool and check what it returned.
//   message_box_probe TYPE CAPTION TEXT   (TYPE in hex, e.g. 24)
// Backslash-r and backslash-n in TEXT stand for CR and LF; \xHH for a byte.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "os/os.h"

namespace {
std::string unescape(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p != '\\' || !p[1]) {
            out += *p;
            continue;
        }
        ++p;
        if (*p == 'r') {
            out += '\r';
        } else if (*p == 'n') {
            out += '\n';
        } else if (*p == 'x' && p[1] && p[2]) {
            const char hex[3] = {p[1], p[2], 0};
            out += static_cast<char>(std::strtoul(hex, nullptr, 16));
            p += 2;
        } else {
            out += *p;
        }
    }
    return out;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s TYPE CAPTION TEXT\n", argv[0]);
        return 2;
    }
    const unsigned type = static_cast<unsigned>(std::strtoul(argv[1], nullptr, 16));
    const int answer = os::messageBox(unescape(argv[3]), unescape(argv[2]), type);
    std::printf("%d\n", answer);
    return 0;
}
