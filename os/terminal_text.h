// Text for the terminal and the bytes of standard streams, for corvlog.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace os {

// The line end of text files and terminals: "\n" on Linux, "\r\n" on Windows.
extern const char* const terminalLineEnd;

// Makes `stream` pass bytes unchanged (no LF to CR LF on Windows).
void setBinaryMode(std::FILE* stream);

// UTF-8 text in the encoding the terminal of standard output shows: UTF-8
// on Linux, the console's output code page on Windows (the ANSI code page
// when standard output is no console). Characters the code page lacks
// become '?'.
std::string toTerminalText(std::string_view utf8);

// A command-line argument (a path) as UTF-8: Windows hands them over in the
// ANSI code page; on Linux they are bytes, taken as UTF-8.
std::string argumentToUtf8(std::string_view argument);

}  // namespace os
