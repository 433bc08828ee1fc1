// Windows-1252 texts on their way to UTF-8: as they are (corvlog), and for
// the desktop (window titles, dialogs), where an undefined byte shows as '?'.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "os/windows_1252.h"

namespace {

constexpr std::initializer_list<unsigned char> UNDEFINED = {0x81, 0x8D, 0x8F, 0x90, 0x9D};

TEST(Windows1252, UpperHalfIsLatin1AndTheGapsAreTheirControls) {
    EXPECT_EQ(windows1252::unicodeOf(0xFC), U'ü');
    EXPECT_EQ(windows1252::unicodeOf(0x41), U'A');
    EXPECT_EQ(windows1252::unicodeOf(0x80), U'€');
    EXPECT_EQ(windows1252::unicodeOf(0x9F), U'Ÿ');
    int undefined = 0;
    for (int b = 0; b < 256; ++b) undefined += windows1252::isUndefined(static_cast<unsigned char>(b));
    EXPECT_EQ(undefined, 5);
    for (const unsigned char hole : UNDEFINED) {
        EXPECT_TRUE(windows1252::isUndefined(hole)) << int{hole};
        EXPECT_EQ(windows1252::unicodeOf(hole), char32_t{hole});
    }
}

TEST(Windows1252, TextsAsUtf8) {
    EXPECT_EQ(windows1252::toUtf8(""), "");
    EXPECT_EQ(windows1252::toUtf8("Verf\xFCgbarer \x80 \x81 \x9F"),
              "Verf\xC3\xBCgbarer \xE2\x82\xAC \xC2\x81 \xC5\xB8");
    EXPECT_EQ(windows1252::toUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    std::string out = "x";
    windows1252::appendUtf8(out, "\x99\xFF");
    EXPECT_EQ(out, "x\xE2\x84\xA2\xC3\xBF");
}

TEST(Windows1252, TitleAsUtf8) {
    EXPECT_EQ(windows1252::toDisplayUtf8("Corvane"), "Corvane");
    EXPECT_EQ(windows1252::toDisplayUtf8(""), "");
    EXPECT_EQ(windows1252::toDisplayUtf8("gesch\xFCtzt"), "gesch\xC3\xBCtzt");
    EXPECT_EQ(windows1252::toDisplayUtf8("\x80 5"), "\xE2\x82\xAC 5");
    EXPECT_EQ(windows1252::toDisplayUtf8("a\x81z"), "a?z");
    EXPECT_EQ(windows1252::toDisplayUtf8("\x8D\x8F\x90\x9D\x9F"), "????\xC5\xB8");
    EXPECT_EQ(windows1252::toDisplayUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

}  // namespace
