// Minimising a top-level window found by its title.
#include <windows.h>

#include "os/os.h"

namespace os {

void minimiseWindowByTitle(const std::string& title) {
    HWND window = FindWindowA(nullptr, title.c_str());
    ShowWindow(window, SW_MINIMIZE);  // a null handle does nothing
}

}  // namespace os
