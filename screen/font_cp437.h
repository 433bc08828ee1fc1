// The 8x8 screen font: 256 glyphs in code page 437 order, 8 rows each, top
// row first; in each row the most significant bit is the leftmost pixel.
#pragma once

#include <cstdint>

extern const std::uint8_t fontCp437[256][8];
