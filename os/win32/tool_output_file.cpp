// corvlog's output files on Windows: volume serial number and file index,
// GetTempFileName beside the target, MoveFileEx over it.
#include "os/output_file.h"

#include <windows.h>
#include <io.h>

namespace os {

namespace {

std::string systemMessage(DWORD code) {
    char text[256] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                   sizeof text, nullptr);
    std::string out(text, n);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ' || out.back() == '.')) {
        out.pop_back();
    }
    return out.empty() ? "system error " + std::to_string(code) : out;
}

FileIdentity identityOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) return {};
    FileIdentity id;
    id.known = true;
    id.volume = info.dwVolumeSerialNumber;
    id.file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return id;
}

// Opened only to look at (no access to the contents), shared every way;
// folders open too.
HANDLE openToLookAt(const std::string& path) {
    return CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

}  // namespace

bool sameFile(const FileIdentity& a, const FileIdentity& b) {
    return a.known && b.known && a.volume == b.volume && a.file == b.file;
}

FileIdentity fileIdentity(const std::string& path) {
    const HANDLE handle = openToLookAt(path);
    if (handle == INVALID_HANDLE_VALUE) return {};
    FileIdentity id;
    if (GetFileType(handle) == FILE_TYPE_DISK) {
        id = identityOf(handle);
        id.diskFile = true;
    }
    CloseHandle(handle);
    return id;
}

FileIdentity streamIdentity(std::FILE* stream) {
    if (!stream) return {};
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK) return {};
    FileIdentity id = identityOf(handle);
    id.diskFile = true;
    return id;
}

PathKind pathKind(const std::string& path) {
    const HANDLE handle = openToLookAt(path);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND ? PathKind::missing : PathKind::other;
    }
    PathKind kind = PathKind::other;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        kind = PathKind::regularFile;
    }
    CloseHandle(handle);
    return kind;
}

std::FILE* createFileBeside(const std::string& target, std::string& temporary, std::string& error) {
    const DWORD attributes = GetFileAttributesA(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        error = systemMessage(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    char name[MAX_PATH + 1] = {};
    if (GetTempFileNameA(folderOf(target).c_str(), "cvl", 0, name) == 0) {
        error = systemMessage(GetLastError());
        return nullptr;
    }
    std::FILE* file = std::fopen(name, "wb");
    if (!file) {
        error = systemMessage(GetLastError());
        DeleteFileA(name);
        return nullptr;
    }
    temporary = name;
    return file;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& error) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    error = systemMessage(GetLastError());
    return false;
}

}  // namespace os
