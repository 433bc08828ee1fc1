// Text conversions of corvlog: the log's Windows-1252 bytes to UTF-8, and
// UTF-8 of unknown origin (paths from the command line) made valid.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvlog {

// Every byte becomes its Windows-1252 character (os/windows_1252.h): the
// five bytes that code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// become the C1 controls of the same number, as Windows itself converts them.
std::string cp1252ToUtf8(std::string_view bytes);
void appendCp1252AsUtf8(std::string& out, std::string_view bytes);

// The text with every byte that is not part of a well-formed UTF-8 sequence
// replaced by U+FFFD.
std::string validUtf8(std::string_view text);

// Characters (code points) of a UTF-8 text: its width in a terminal table.
std::size_t utf8Length(std::string_view text);

}  // namespace corvlog
