// Character conversions the window realisations need on the way in (typed
// characters become code page 437 bytes for readKey) and on the way out (the
// Windows-1252 title published as UTF-8 where the desktop wants it).
#pragma once

#include <string>
#include <string_view>

namespace codepage {

// The code page 437 byte whose glyph shows `c`; ASCII (controls included)
// stays as it is. '?' when the font has no such character.
unsigned char cp437FromUnicode(char32_t c);

// The character of a Windows-1252 byte; 0 for the five bytes the code page
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D).
char32_t unicodeFromWindows1252(unsigned char byte);

// A Windows-1252 text as UTF-8; undefined bytes become '?'.
std::string utf8FromWindows1252(std::string_view text);

}  // namespace codepage
