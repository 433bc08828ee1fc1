#include "os/terminal_text.h"

namespace os {

const char* const terminalLineEnd = "\n";

void setBinaryMode(std::FILE*) {}

std::string toTerminalText(std::string_view utf8) { return std::string(utf8); }

std::string argumentToUtf8(std::string_view argument) { return std::string(argument); }

}  // namespace os
