// Prints the Windows-1252 table, one "byte character" pair of hex figures a
// line, for windows_1252_test.py to hold against Python's codec.
#include <cstdio>

#include "os/windows_1252.h"

int main() {
    for (int b = 0; b < 256; ++b)
        std::printf("%02X %04X\n", b, static_cast<unsigned>(windows1252::unicodeOf(static_cast<unsigned char>(b))));
    return 0;
}
