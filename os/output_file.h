// The files corvlog writes with -o: which file a path names (so that the
// output never lands on one of the inputs), a new file beside the target to
// write into, and the rename that puts it in the target's place only when
// the run succeeded. The same rename keeps a textfile collector's file whole
// for every scrape while `corvlog follow` rewrites it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace os {

// What a file is, whatever path names it: the device and inode on Linux,
// the volume serial number and file index on Windows. Two paths (a hard
// link, a symbolic link, "./x", another case on Windows) name one file when
// their identities are equal.
struct FileIdentity {
    bool known = false;     // false: nothing there, or it cannot be looked at
    bool diskFile = false;  // a file on a disk, even when its identity is not known
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
};
bool sameFile(const FileIdentity& a, const FileIdentity& b);

// The file that `path` names (links followed).
FileIdentity fileIdentity(const std::string& path);
// The file an open stream reads or writes (standard input redirected from
// a file); unknown for a pipe or a terminal. Wine gives a disk file's
// handle inherited from Linux no identity: `diskFile` without `known`.
FileIdentity streamIdentity(std::FILE* stream);

// What the output path names now.
enum class PathKind {
    missing,      // nothing: the output makes a new file
    regularFile,  // a file: the output replaces it
    other,        // a folder, a device (/dev/null, NUL), a pipe: written in place
};
PathKind pathKind(const std::string& path);

// Opens a new, empty file for writing in the folder of `target` (a regular
// file or none), with a name of its own, given in `temporary` (Linux:
// ".NAME.XXXXXX" with mkstemp; Windows: GetTempFileName's "cvlXXXX.tmp").
// It gets the permissions the target has, or those a new file would get.
// nullptr with `error` when the folder takes no new file or the target
// cannot be written.
std::FILE* createFileBeside(const std::string& target, std::string& temporary, std::string& error);

// Renames `from` over `to`, replacing the file there in one step (Linux:
// rename; Windows: MoveFileExA with MOVEFILE_REPLACE_EXISTING). False with
// `error` when the system refuses; `from` is then still there.
bool replaceFile(const std::string& from, const std::string& to, std::string& error);

}  // namespace os
