// How many /proc/<pid>/stat descriptors the process layer may keep open.
//
// A kept descriptor saves the open and close of every later read, but each
// one counts against the process's descriptor limit, which it shares with
// everything else: the log file, the X11 connection and, when this code runs
// inside libcorvprobe, the host program's own files and sockets.
//
// - In the Corvane program the soft RLIMIT_NOFILE is raised once towards the
//   hard limit (at most to 65536), and all but a reserve of 256 of it may be
//   kept.
// - Loaded as the library, the host's limit is never changed (a host that
//   still uses select() relies on its descriptors staying below 1024), and at
//   most an eighth of its soft limit, never more than 128, is kept.
// Processes beyond the cap are read with open/read/close as before.
#pragma once

namespace linuxproc {

// True when this code is part of the main program rather than of a shared
// library loaded into it.
bool runsInMainProgram();

// Takes one unit of the budget (sets the limit up on first use); false when
// the cap is reached.
bool takeDescriptor();
void returnDescriptor();

// Lowers the cap after the system refused a descriptor (EMFILE/ENFILE):
// nothing more is kept until enough have been returned.
void shrinkDescriptorCap();

int keptDescriptorCount();
int descriptorCap();

// For tests: replaces the cap (a negative value restores the policy's).
void setDescriptorCapForTesting(int cap);

}  // namespace linuxproc
