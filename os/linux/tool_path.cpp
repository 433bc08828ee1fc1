// The path separator, which both the monitor's log paths and the tools need.
#include "os/os.h"

namespace os {

const char pathSeparator = '/';

}  // namespace os
