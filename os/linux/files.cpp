// Log file directories on Linux.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "os/os.h"

namespace os {

const std::size_t longestPath = PATH_MAX - 1;

bool directoryHasPlainFile(const std::string& dir) {
    DIR* d = opendir(dir.empty() ? "/" : dir.c_str());
    if (!d) return false;
    bool found = false;
    while (dirent* entry = readdir(d)) {
        if (entry->d_name[0] == '.') continue;  // hidden, like a hidden file on Windows
        const std::string path = (dir.empty() ? std::string() : dir) + "/" + entry->d_name;
        struct stat st {};
        if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            found = true;
            break;
        }
    }
    closedir(d);
    return found;
}

bool makeDirectoryPath(const std::string& path) {
    if (path.size() > longestPath) return false;
    const std::size_t last = path.rfind('/');
    if (last == std::string::npos) return true;
    for (std::size_t at = path.find('/', 1); at != std::string::npos && at <= last; at = path.find('/', at + 1)) {
        const std::string prefix = path.substr(0, at);
        if (prefix.empty()) continue;
        if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    const std::string dir = path.substr(0, last);
    return dir.empty() || (stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

bool cutFile(std::FILE* file, std::uint64_t length) { return ftruncate(fileno(file), static_cast<off_t>(length)) == 0; }

}  // namespace os
