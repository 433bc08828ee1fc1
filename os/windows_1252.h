// Windows-1252, the code page of every text the program holds (process
// names, titles, message texts, the log): one table for all who show such a
// text elsewhere (the Linux desktop's dialogs and window titles, corvlog's
// UTF-8 output). Plain code without system calls, usable from every folder
// and from the tools.
#pragma once

#include <string>
#include <string_view>

namespace windows1252 {

// The character of a byte. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) are the C1 controls of the same number:
// Windows' own conversion does so, and it loses no byte on the way back.
char32_t unicodeOf(unsigned char byte);

// Whether the code page leaves the byte undefined (the five above).
bool isUndefined(unsigned char byte);

// The bytes as UTF-8, each as its character.
void appendUtf8(std::string& out, std::string_view bytes);
std::string toUtf8(std::string_view bytes);

// As toUtf8, for texts shown on the desktop (window titles, dialogs): an
// undefined byte, which no font draws, becomes '?'.
std::string toDisplayUtf8(std::string_view bytes);

}  // namespace windows1252
