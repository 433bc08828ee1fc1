// Desktop services on Windows and the program's exit.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "os/os.h"

namespace os {

void initCommonControls() { InitCommonControls(); }

int messageBox(const std::string& text, const std::string& caption, unsigned type) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), type);
}

void minimiseWindowByTitle(const std::string& title) {
    HWND window = FindWindowA(nullptr, title.c_str());
    ShowWindow(window, SW_MINIMIZE);
}

[[noreturn]] void exitProcess(int status) {
    // Other threads may still be drawing or sampling: end without running
    // static destructors under them.
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(status));
}

}  // namespace os
