// Log file directories on Windows.
#include <windows.h>
#include <imagehlp.h>

#include "os/os.h"

namespace os {

const char pathSeparator = '\\';

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
    return MakeSureDirectoryPathExists(path.c_str()) != FALSE;
}

}  // namespace os
