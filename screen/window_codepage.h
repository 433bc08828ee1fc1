// Character conversions the window realisations need on the way in: typed
// characters become code page 437 bytes for readKey. (On the way out, the
// Windows-1252 title goes through os/windows_1252.h.)
#pragma once

namespace codepage {

// The code page 437 byte whose glyph shows `c`; ASCII (controls included)
// stays as it is. '?' when the font has no such character.
unsigned char cp437FromUnicode(char32_t c);

}  // namespace codepage
