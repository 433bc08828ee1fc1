// What the process layer remembers about each process instance between
// reads: a kept /proc/<pid>/stat descriptor, its name as last read, and
// whether a listing may reuse that name without reading again.
//
// A kept descriptor belongs to one instance: once that process has ended it
// reads ESRCH (or nothing), even when its pid has been given to a new
// process. The /proc/<pid> directory a kept descriptor pins keeps its inode
// number while the instance lives, so a listing that shows another inode for
// the pid knows to read it again; a changed start time in the stat line
// tells a new instance from the old one.
//
// Names: a listing takes a process's name from the most recent read of the
// same instance if a query read it since the previous listing, and reads the
// stat line itself otherwise. A process that execs therefore shows its new
// name at the latest in the listing after the next read of it. A name the
// kernel cut at 15 bytes is completed from the command line once per
// instance and name (again while the command line is still empty).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "os/os.h"

namespace linuxproc {

// The numeric entries of /proc in the order the directory lists them.
bool listProcesses(std::vector<os::ProcessInfo>& out);

// The times and working set of the process that has `pid` now.
os::ProcessSample readProcess(std::int32_t pid);

// What a listing would show for the process that has `pid` now, read afresh:
// its name and its start time in clock ticks since boot. False when there
// is no such process.
bool readIdentity(std::int32_t pid, std::string& name, std::uint64_t& startTicks);

// Instances of programs remembered (kernel threads, remembered only to be
// left out cheaply, are not counted), for tests.
std::size_t rememberedInstanceCount();

}  // namespace linuxproc
