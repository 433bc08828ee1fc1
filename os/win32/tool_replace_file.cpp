#include <windows.h>

#include "os/replace_file.h"

namespace os {

// rename() on Windows refuses an existing target.
bool replaceFile(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

}  // namespace os
