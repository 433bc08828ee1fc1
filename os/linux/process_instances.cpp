#include "os/linux/process_instances.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <string>
#include <unordered_map>

#include "os/linux/descriptor_budget.h"
#include "os/linux/proc_read.h"

namespace linuxproc {

namespace {

struct Instance {
    int fd = -1;                   // kept /proc/<pid>/stat, or -1
    std::uint64_t dirInode = 0;    // of /proc/<pid> in the last listing
    std::uint64_t startTicks = 0;  // of the instance the name belongs to
    std::uint32_t listing = 0;     // the last listing that showed the pid
    bool readSinceListing = false;
    bool nameSettled = false;   // no further look at the command line needed
    bool kernelThread = false;  // never listed: not a program a user runs
    std::string comm;           // as the kernel gave it in the last read
    std::string name;           // comm, completed
};

void dropDescriptor(Instance& instance);

// The lock is taken around every use of the table: the library's host may
// call from several threads. The kept descriptors are closed when the
// library is unloaded (or the program ends normally).
struct Table {
    std::mutex lock;
    std::unordered_map<std::int32_t, Instance> instances;
    std::uint32_t listingCount = 0;
    ~Table() {
        for (auto& entry : instances) dropDescriptor(entry.second);
    }
};
Table table;

bool isNumeric(const char* name) {
    if (*name == '\0') return false;
    for (const char* p = name; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
    }
    return true;
}

void dropDescriptor(Instance& instance) {
    if (instance.fd < 0) return;
    ::close(instance.fd);
    instance.fd = -1;
    returnDescriptor();
}

// After the system refused a descriptor: closes kept ones until the count
// is back within the lowered cap.
void shedDescriptors() {
    for (auto& entry : table.instances) {
        if (keptDescriptorCount() <= descriptorCap()) break;
        dropDescriptor(entry.second);
    }
}

int openStat(std::int32_t pid) {
    char path[64];
    procPath(path, sizeof path, pid, "stat");
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0 && (errno == EMFILE || errno == ENFILE) && keptDescriptorCount() > 0) {
        shrinkDescriptorCap();
        shedDescriptors();
        fd = ::open(path, O_RDONLY | O_CLOEXEC);
    }
    return fd;
}

// Reads the stat line of whatever process has `pid` now through a new
// descriptor, which goes to *keep when the budget allows it.
bool readFresh(std::int32_t pid, char* buffer, StatFields& stat, int* keep) {
    const int fd = openStat(pid);
    if (fd < 0) return false;
    const ssize_t n = readFromStart(fd, buffer, STAT_BUFFER_BYTES);
    const bool ok = n > 0 && parseStat(buffer, static_cast<std::size_t>(n), stat);
    if (ok && keep && takeDescriptor()) {
        *keep = fd;
    } else {
        ::close(fd);
    }
    return ok;
}

// The kernel keeps at most 15 bytes of a command name; complete a cut name
// from the first word of the command line, as long as it really continues
// it. False while the command line cannot tell yet (empty: the process is
// in the middle of exec, or a zombie).
bool completeName(std::int32_t pid, const std::string& comm, bool kernelThread, std::string& name) {
    name.assign(comm);
    if (comm.size() < 15 || kernelThread) return true;  // kernel threads have no command line
    char path[64];
    procPath(path, sizeof path, pid, "cmdline");
    static std::string cmdline;  // used under the table's lock only
    if (!readSmallFile(path, cmdline) || cmdline.empty()) return false;
    std::string_view first(cmdline.data(),
                           cmdline.find('\0') == std::string::npos ? cmdline.size() : cmdline.find('\0'));
    const std::size_t blank = first.find(' ');
    if (blank != std::string_view::npos) first = first.substr(0, blank);
    const std::size_t slash = first.rfind('/');
    if (slash != std::string_view::npos) first.remove_prefix(slash + 1);
    if (first.size() > comm.size() && first.compare(0, comm.size(), comm) == 0) name.assign(first);
    return true;
}

// The name a listing shows for a process: its command name, completed,
// with line breaks replaced. False while it may still be completed later.
bool shownName(std::int32_t pid, const std::string& comm, const StatFields& stat, std::string& name) {
    const bool settled = completeName(pid, comm, (stat.flags & KERNEL_THREAD_FLAG) != 0, name);
    // A Linux process may give itself any name, line breaks included;
    // one in a log record would cut it into lines that are no records.
    for (char& c : name) {
        if (c == '\r' || c == '\n') c = '?';
    }
    return settled;
}

void noteName(std::int32_t pid, Instance& instance, const StatFields& stat) {
    if (stat.startTicks != instance.startTicks) {
        instance.startTicks = stat.startTicks;  // another process under this pid
        instance.nameSettled = false;
    }
    instance.kernelThread = (stat.flags & KERNEL_THREAD_FLAG) != 0;
    if (instance.comm != stat.comm) {
        instance.comm.assign(stat.comm);
        instance.nameSettled = false;
    }
    if (!instance.nameSettled) instance.nameSettled = shownName(pid, instance.comm, stat, instance.name);
}

// Through the kept descriptor while its process lives; once that has ended,
// afresh by pid (which may find a new process under it).
bool readInstance(std::int32_t pid, Instance& instance, char* buffer, StatFields& stat) {
    if (instance.fd >= 0) {
        const ssize_t n = readFromStart(instance.fd, buffer, STAT_BUFFER_BYTES);
        if (n > 0 && parseStat(buffer, static_cast<std::size_t>(n), stat)) {
            noteName(pid, instance, stat);
            return true;
        }
        dropDescriptor(instance);
    }
    if (!readFresh(pid, buffer, stat, &instance.fd)) return false;
    noteName(pid, instance, stat);
    return true;
}

}  // namespace

bool listProcesses(std::vector<os::ProcessInfo>& out) {
    std::lock_guard<std::mutex> guard(table.lock);
    DIR* dir = opendir("/proc");
    if (!dir) {
        out.clear();
        return false;
    }
    const std::uint32_t listing = ++table.listingCount;
    char buffer[STAT_BUFFER_BYTES];
    std::size_t count = 0;
    while (dirent* entry = readdir(dir)) {
        if (!isNumeric(entry->d_name)) continue;
        const long pid = std::strtol(entry->d_name, nullptr, 10);
        if (pid <= 0 || pid > 0x7fffffffL) continue;
        const auto [at, added] = table.instances.try_emplace(static_cast<std::int32_t>(pid));
        Instance& instance = at->second;
        const bool sameInstance = !added && instance.dirInode == entry->d_ino;
        // Kernel threads are left out of every list (the window's, the
        // headless selection's and the library's), as desktop monitors do:
        // they are not programs a user runs, marks or ends, and there are
        // dozens of them at the top of /proc. Remembered, so that they cost
        // no read per listing; a pid's kernel thread stays one.
        if (sameInstance && instance.kernelThread) {
            instance.listing = listing;
            continue;
        }
        const bool nameIsCurrent = sameInstance && instance.readSinceListing;
        if (!nameIsCurrent) {
            StatFields stat;
            if (!readInstance(at->first, instance, buffer, stat)) {  // ended meanwhile
                dropDescriptor(instance);
                table.instances.erase(at);
                continue;
            }
        }
        instance.dirInode = entry->d_ino;
        instance.readSinceListing = false;
        instance.listing = listing;
        if (instance.kernelThread) {
            dropDescriptor(instance);  // never read again while it lives
            continue;
        }
        // Entries are reused so that their names keep their storage.
        if (count == out.size()) out.emplace_back();
        out[count].pid = at->first;
        out[count].name.assign(instance.name);
        ++count;
    }
    closedir(dir);
    out.resize(count);
    for (auto it = table.instances.begin(); it != table.instances.end();) {
        if (it->second.listing == listing) {
            ++it;
            continue;
        }
        dropDescriptor(it->second);  // no longer listed
        it = table.instances.erase(it);
    }
    return true;
}

os::ProcessSample readProcess(std::int32_t pid) {
    os::ProcessSample sample;
    if (pid <= 0) return sample;
    char buffer[STAT_BUFFER_BYTES];
    StatFields stat;
    bool ok = false;
    {
        std::lock_guard<std::mutex> guard(table.lock);
        const auto at = table.instances.find(pid);
        if (at != table.instances.end()) {
            ok = readInstance(pid, at->second, buffer, stat);
            at->second.readSinceListing = ok;
        } else {
            ok = readFresh(pid, buffer, stat, nullptr);  // not listed: nothing to remember it by
        }
    }
    if (!ok) return sample;
    sample.opened = true;
    sample.kernelTime = ticksTo100ns(stat.stimeTicks);
    sample.userTime = ticksTo100ns(stat.utimeTicks);
    sample.workingSetBytes = stat.rssPages * pageSize();
    sample.started = stat.startTicks;
    return sample;
}

bool readIdentity(std::int32_t pid, std::string& name, std::uint64_t& startTicks) {
    if (pid <= 0) return false;
    char buffer[STAT_BUFFER_BYTES];
    StatFields stat;
    std::lock_guard<std::mutex> guard(table.lock);  // completeName's buffer
    if (!readFresh(pid, buffer, stat, nullptr)) return false;
    startTicks = stat.startTicks;
    shownName(pid, std::string(stat.comm), stat, name);
    return true;
}

std::size_t rememberedInstanceCount() {
    std::lock_guard<std::mutex> guard(table.lock);
    std::size_t count = 0;
    for (const auto& entry : table.instances) count += !entry.second.kernelThread;
    return count;
}

}  // namespace linuxproc
