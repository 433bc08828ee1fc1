// Small helpers for reading /proc files without allocating per read.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace linuxproc {

// The fields of /proc/<pid>/stat that Corvane uses. `comm` points into the
// text that was parsed and is valid only as long as that text.
struct StatFields {
    std::string_view comm;
    char state = 0;           // R, S, D, ...; Z for a zombie: it has ended
    std::uint32_t flags = 0;  // PF_* bits; 0x00200000 marks a kernel thread
    std::uint64_t utimeTicks = 0;
    std::uint64_t stimeTicks = 0;
    std::uint64_t startTicks = 0;  // since boot: with the pid, names the instance
    std::uint64_t rssPages = 0;
};

constexpr std::uint32_t KERNEL_THREAD_FLAG = 0x00200000u;

// Room for one stat line: 52 numeric fields and a name of at most 64 bytes.
constexpr std::size_t STAT_BUFFER_BYTES = 2048;

// Reads a whole small file (up to 64 KiB) with one open/read/close.
bool readSmallFile(const char* path, std::string& out);

// pread from offset 0, retried when a signal interrupts it; the byte count,
// or -1 with errno set.
ssize_t readFromStart(int fd, char* buffer, std::size_t size);

// Parses a stat line; false when it is not one.
bool parseStat(const char* text, std::size_t length, StatFields& out);

// Reads a decimal number at `p`, leaving `p` after its digits.
std::uint64_t parseDecimal(const char*& p, const char* end);

// "/proc/<pid>/stat" or "/proc/<pid>/cmdline" into `out` (64 bytes).
void procPath(char* out, std::size_t size, std::int32_t pid, const char* leaf);

// The unit of the times in /proc/<pid>/stat: clock ticks per second.
long clockTicksPerSecond();
std::int64_t ticksTo100ns(std::uint64_t ticks);
std::uint64_t pageSize();

// A whole-machine /proc file read again and again through one descriptor
// kept open for the rest of the run (pread from 0 regenerates the content).
struct KeptFile {
    explicit KeptFile(const char* file) : path(file) {}
    ~KeptFile();  // closes the descriptor (the library may be unloaded)
    KeptFile(const KeptFile&) = delete;
    KeptFile& operator=(const KeptFile&) = delete;
    const char* path;
    int fd = -1;
    std::mutex lock;
};

// Reads up to `size` bytes of the file's current content; a descriptor that
// stopped reading is reopened once. The byte count, or -1.
ssize_t readKeptFile(KeptFile& file, char* buffer, std::size_t size);

}  // namespace linuxproc
