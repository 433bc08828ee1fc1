// Putting a finished file in place of another in one step, for readers that
// may look at any moment (a metrics collector reading its folder): they see
// the old file or the new one, never a half-written one.
#pragma once

#include <string>

namespace os {

// Renames `from` over `to`, replacing `to` if it exists (Linux: rename;
// Windows: MoveFileEx with MOVEFILE_REPLACE_EXISTING). Both in one folder.
// False when the system refuses; `from` is then left as it was.
bool replaceFile(const std::string& from, const std::string& to);

}  // namespace os
