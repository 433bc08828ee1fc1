// corvlog's output files on Linux: stat identities, mkstemp beside the
// target, rename over it.
#include "os/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace os {

namespace {

FileIdentity identityOf(const struct stat& st) {
    FileIdentity id;
    id.known = true;
    id.diskFile = S_ISREG(st.st_mode);
    id.volume = static_cast<std::uint64_t>(st.st_dev);
    id.file = static_cast<std::uint64_t>(st.st_ino);
    return id;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool sameFile(const FileIdentity& a, const FileIdentity& b) {
    return a.known && b.known && a.volume == b.volume && a.file == b.file;
}

FileIdentity fileIdentity(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return {};
    return identityOf(st);
}

FileIdentity streamIdentity(std::FILE* stream) {
    struct stat st {};
    if (!stream || fstat(fileno(stream), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return identityOf(st);
}

PathKind pathKind(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return errno == ENOENT ? PathKind::missing : PathKind::other;
    return S_ISREG(st.st_mode) ? PathKind::regularFile : PathKind::other;
}

std::FILE* createFileBeside(const std::string& target, std::string& temporary, std::string& error) {
    // The permissions the output ends with: the target's, or a new file's
    // (0666 less the umask).
    struct stat st {};
    mode_t mode = 0;
    if (stat(target.c_str(), &st) == 0) {
        // A file the user may not write stays as it is, as an open for
        // writing would have left it.
        if (access(target.c_str(), W_OK) != 0) {
            error = std::strerror(errno);
            return nullptr;
        }
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    std::string name = folderOf(target) + "/." + baseOf(target) + ".XXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    (void)fchmod(fd, mode);
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        error = std::strerror(errno);
        close(fd);
        unlink(name.c_str());
        return nullptr;
    }
    temporary = name;
    return file;
}

bool replaceFile(const std::string& from, const std::string& to, std::string& error) {
    if (std::rename(from.c_str(), to.c_str()) == 0) return true;
    error = std::strerror(errno);
    return false;
}

}  // namespace os
