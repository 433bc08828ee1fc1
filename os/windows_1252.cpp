#include "os/windows_1252.h"

#include <cstdint>

namespace windows1252 {
namespace {

// Bytes 0x80..0x9F; the rest of the code page is Latin-1, Unicode's first
// 256 characters.
constexpr std::uint16_t CHARACTERS_80_TO_9F[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98
};

// Every character of the table lies below U+10000.
void appendCodePoint(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

char32_t unicodeOf(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return CHARACTERS_80_TO_9F[byte - 0x80];
    return byte;
}

bool isUndefined(unsigned char byte) { return unicodeOf(byte) == byte && byte >= 0x80 && byte < 0xA0; }

void appendUtf8(std::string& out, std::string_view bytes) {
    for (const char c : bytes) appendCodePoint(out, unicodeOf(static_cast<unsigned char>(c)));
}

std::string toUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    appendUtf8(out, bytes);
    return out;
}

std::string toDisplayUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (isUndefined(b))
            out += '?';
        else
            appendCodePoint(out, unicodeOf(b));
    }
    return out;
}

}  // namespace windows1252
