// The generated screen font: the glyphs the program's behaviour relies on,
// and the code page 437 order of the rest.
#include <gtest/gtest.h>

#include <cstring>

#include "screen/font_cp437.h"

namespace {
int bits(unsigned char code) {
    int n = 0;
    for (const std::uint8_t row : fontCp437[code])
        for (int col = 0; col < 8; ++col) n += (row >> col) & 1;
    return n;
}
bool same(unsigned char a, unsigned char b) { return std::memcmp(fontCp437[a], fontCp437[b], 8) == 0; }
}  // namespace

TEST(Font, FullBlockAndSpace) {
    EXPECT_EQ(bits(0xDB), 64);
    EXPECT_EQ(bits(0x20), 0);
}

TEST(Font, EveryPrintableGlyphHasInkAndTheLettersDiffer) {
    for (int c = 0x21; c <= 0x7E; ++c) EXPECT_GT(bits(static_cast<unsigned char>(c)), 0) << c;
    for (int c = 0x80; c <= 0xFE; ++c) EXPECT_GT(bits(static_cast<unsigned char>(c)), 0) << c;
    for (int c = 0x01; c <= 0x1F; ++c) EXPECT_GT(bits(static_cast<unsigned char>(c)), 0) << c;
    for (int a = 'A'; a <= 'Z'; ++a)
        for (int b = a + 1; b <= 'z'; ++b)
            if (b <= 'Z' || b >= 'a') {
                EXPECT_FALSE(same(static_cast<unsigned char>(a), static_cast<unsigned char>(b))) << char(a) << char(b);
            }
}

TEST(Font, CodePage437Order) {
    // ü (0x81) is u (0x75) with two dots on top; its lower rows match u's.
    EXPECT_FALSE(same(0x81, 0x75));
    EXPECT_EQ(std::memcmp(&fontCp437[0x81][2], &fontCp437[0x75][2], 6), 0);
    // The block elements around 0xDB: lower half, left half, right half, upper half.
    const std::uint8_t lower[8] = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    const std::uint8_t upper[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(fontCp437[0xDC], lower, 8), 0);
    EXPECT_EQ(std::memcmp(fontCp437[0xDF], upper, 8), 0);
    for (const std::uint8_t row : fontCp437[0xDD]) EXPECT_EQ(row, 0xF0);
    for (const std::uint8_t row : fontCp437[0xDE]) EXPECT_EQ(row, 0x0F);
    // Box drawing: the horizontal line 0xC4 has one full row, the vertical 0xB3 a column.
    int fullRows = 0;
    for (const std::uint8_t row : fontCp437[0xC4]) fullRows += row == 0xFF;
    EXPECT_EQ(fullRows, 1);
    for (const std::uint8_t row : fontCp437[0xB3]) EXPECT_EQ(row, fontCp437[0xB3][0]);
    // The lower-case ß of the code page is 0xE1, not 0xDF.
    EXPECT_NE(bits(0xE1), 0);
    EXPECT_FALSE(same(0xE1, 0xDF));
}
