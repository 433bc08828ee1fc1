// Log file directories on Windows.
#include <windows.h>
#include <imagehlp.h>
#include <io.h>

#include "os/os.h"

namespace os {

const std::size_t longestPath = MAX_PATH - 1;

bool directoryHasPlainFile(const std::string& dir) {
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool plain = false;
    do {
        const DWORD other = found.dwFileAttributes & ~(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
        if (other == 0 || found.dwFileAttributes == FILE_ATTRIBUTE_NORMAL) {
            plain = true;
            break;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return plain;
}

bool makeDirectoryPath(const std::string& path) {
    // The call copies the path into a buffer of MAX_PATH bytes without
    // looking at its length: a longer one overwrites the caller's stack.
    if (path.size() > longestPath) return false;
    return MakeSureDirectoryPathExists(path.c_str()) != FALSE;
}

bool cutFile(std::FILE* file, std::uint64_t length) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (handle == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(length);
    return SetFilePointerEx(handle, at, nullptr, FILE_BEGIN) && SetEndOfFile(handle);
}

}  // namespace os
