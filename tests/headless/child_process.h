// Starting the program under test and the process it logs, on either
// platform (under Wine, the Windows calls).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Child {
    std::int32_t pid = 0;
    std::intptr_t handle = 0;  // the process handle on Windows
};

// Starts `program` with `args` in `workingDirectory` (empty: the current one).
// A pid of 0 means it could not be started. On Linux, a non-empty
// `errorFile` receives the child's standard error, a non-empty `outputFile`
// its standard output.
Child startChild(const std::string& program, const std::vector<std::string>& args,
                 const std::string& workingDirectory = "", const std::string& errorFile = "",
                 const std::string& outputFile = "");
// Waits up to `seconds` for the child to end; its exit status, or -1 when
// it had to be ended.
int waitChild(Child& child, int seconds);
// Ends the child at once (if still running) and reaps it.
void stopChild(Child& child);

// A path handed over by CMake (a host path) in the form the system under
// test takes: unchanged on Linux, the Z: drive form under Wine.
std::string nativePath(const std::string& hostPath);
// A new empty folder in the system's temporary folder, native form, no
// trailing separator.
std::string scratchFolder(const std::string& name);
extern const char separator;
