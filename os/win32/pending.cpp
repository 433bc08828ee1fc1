// Placeholder for the console watch of the library's pause, realised later.
#include "os/os.h"

namespace os {
bool consoleKeyEvent() { return false; }
}  // namespace os
