// Placeholders for desktop services that later work realises in files of
// their own (message box dialog, minimising by title, console keys).
#include "os/os.h"

namespace os {
int messageBox(const std::string&, const std::string&, unsigned type) { return type == 0x24 ? 7 : 1; }
void minimiseWindowByTitle(const std::string&) {}
bool consoleKeyEvent() { return false; }
}  // namespace os
