// Placeholder until minimising through X11 lands.
#include "os/os.h"

namespace os {
void minimiseWindowByTitle(const std::string&) {}
}  // namespace os
