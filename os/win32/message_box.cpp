// Message boxes and the common controls on Windows.
#include <windows.h>
#include <commctrl.h>

#include "os/os.h"

namespace os {

void initCommonControls() { InitCommonControls(); }

int messageBox(const std::string& text, const std::string& caption, unsigned type) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), type);
}

}  // namespace os
