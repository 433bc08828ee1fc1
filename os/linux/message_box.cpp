// Placeholder until the program's own dialog lands: answers "No"/"OK".
#include "os/os.h"

namespace os {
int messageBox(const std::string&, const std::string&, unsigned type) { return type == 0x24 ? 7 : 1; }
}  // namespace os
