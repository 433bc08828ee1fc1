// The one seam between Corvane's logic and the operating system.
//
// Everything the program needs from the platform is a free function here.
// Each has a Win32 realisation (os/win32), a Linux realisation (os/linux) and
// a scripted fake used by the tests (tests/fake), chosen at link time.
// Failures are never thrown: a failed query leaves the zero-filled result,
// exactly as the callers expect.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace os {

// ---- processes --------------------------------------------------------------

struct ProcessInfo {
    std::int32_t pid = 0;
    std::string name;  // executable file name without path, system code page
};

// All processes in the order the system lists them. A snapshot that cannot
// be taken leaves `out` empty and returns false.
bool snapshotProcesses(std::vector<ProcessInfo>& out);

// One process opened with query access. `opened` is false when the process
// cannot be opened (gone, protected, no rights); the figures are then zero.
// `started` tells this process from a later one given the same PID: the
// same read gives it (Linux: the start time in clock ticks since boot from
// /proc/PID/stat; Windows: the creation time GetProcessTimes reports, which
// the system stores and does not move when the clock is set). Never 0 for a
// process that was opened, except in the fake.
struct ProcessSample {
    bool opened = false;
    std::int64_t kernelTime = 0;        // 100 ns units since process start
    std::int64_t userTime = 0;          // 100 ns units since process start
    std::uint64_t workingSetBytes = 0;  // resident set, bytes
    std::uint64_t started = 0;          // when the process started, in the system's own unit
};
ProcessSample queryProcess(std::int32_t pid);

// Ends a process the way the system cannot refuse to the owner (Windows:
// TerminateProcess with exit code 0; Linux: SIGKILL). True on success.
// Any handle opened for the attempt is released before returning.
bool terminateProcess(std::int32_t pid);

// ---- ending the process the user was shown ----------------------------------
//
// A PID from a listing may name another process by the time the user has
// answered a question about it: the listed one ended and the system gave its
// PID to a new one. A held process is the very process that was opened,
// whatever happens to its PID afterwards (Windows: a process handle, which
// also keeps the PID from being given away; Linux: a pidfd).

struct HeldProcess {
    bool held = false;
    std::intptr_t handle = 0;  // the system's handle or descriptor while held
};

// Now, on the clock that process start times are given in (Linux: clock
// ticks since boot, as /proc gives a process's start time; elsewhere 0).
// Read right after a listing, every process it lists had started by then.
std::uint64_t processStartClock();

// Opens process `pid` to end it (Windows: OpenProcess with access 0x1F0FFF,
// not inheritable; Linux: pidfd_open) and keeps it only when it is the
// process that was listed: a listing taken now gives it the name `name`,
// it started at `started` (a ProcessSample's, 0 when none was read: then
// not compared) and, on Linux, no later than `listedAt` (processStartClock()
// read after that listing). Otherwise nothing is held.
HeldProcess holdProcess(std::int32_t pid, const std::string& name, std::uint64_t listedAt, std::uint64_t started = 0);

// Ends the held process (Windows: TerminateProcess with exit code 0; Linux:
// SIGKILL through the pidfd). False when nothing is held, the process has
// already gone or the system refuses.
bool endHeldProcess(const HeldProcess& process);

// Closes what holdProcess opened; afterwards nothing is held.
void releaseProcess(HeldProcess& process);

// ---- following one process for a whole log session -------------------------
//
// A log session writes figures of the processes that were marked when it
// started, for as long as it runs. Their PIDs may go to other processes
// meanwhile, so each is pinned once (Windows: a handle with query rights and
// SYNCHRONIZE, which also keeps the PID from being given away; Linux: its
// /proc/PID/stat kept open, whose reads fail once that very process has
// ended, and its start time, compared with every read). A pin also makes a
// sample cheap: no lookup, no open, one read.

struct PinnedProcess {
    bool pinned = false;  // the process was found when the pin was taken
    bool ended = false;   // seen ended (or replaced): no figures from then on
    std::int32_t pid = 0;
    std::uint64_t started = 0;  // as ProcessSample::started
    std::intptr_t handle = -1;  // the system's handle or descriptor, -1 for none
};

// Pins the process that has `pid` now, when it is the one meant: it started
// at `started` (0: not compared) and, on Linux, no later than `listedAt`
// (as for holdProcess). Not pinned otherwise; it then samples as ended.
PinnedProcess pinProcess(std::int32_t pid, std::uint64_t started, std::uint64_t listedAt);

// The pinned process's figures, as queryProcess gives them. Once it has ended
// (Windows: the handle is signalled; Linux: the read fails, the process is a
// zombie or another start time shows) `ended` is set, and from then on the
// sample is not opened and all zero, whoever has the PID.
ProcessSample samplePinned(PinnedProcess& process);

// Closes what pinProcess opened; afterwards nothing is pinned.
void unpinProcess(PinnedProcess& process);

// Length of the extension that executable names end in (".exe" on
// Windows: 4); Linux executables carry none (0). The headless selection's
// name stem drops it.
extern const std::size_t executableSuffixLength;

// ---- whole machine ----------------------------------------------------------

struct SystemTimes {
    std::int64_t idle = 0;    // 100 ns units since system start
    std::int64_t kernel = 0;  // includes idle, as on Windows
    std::int64_t user = 0;
};
bool systemTimes(SystemTimes& out);  // failure leaves all three zero

struct MemoryStatus {
    std::uint32_t loadPercent = 0;     // share of physical memory in use
    std::uint64_t totalBytes = 0;      // physical memory
    std::uint64_t availableBytes = 0;  // physical memory available
};
bool memoryStatus(MemoryStatus& out);  // failure leaves all zero

// ---- clocks and pauses -----------------------------------------------------

std::uint32_t cycleCounterLow();  // low 32 bits of the processor's cycle counter
double secondsClock();            // high-resolution seconds since an arbitrary origin

struct LocalTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};
LocalTime localTime();

// Sleeps ms milliseconds; zero or negative returns at once.
void pauseMs(std::int64_t ms);

// Sleeps until secondsClock() reaches `deadline`; a deadline already past
// (or not a number) returns at once. Pacing against deadlines keeps a sleep's
// overshoot from adding up over many periods.
void pauseUntil(double deadline);

// ---- files ---------------------------------------------------------------

// The separator between a log path's directories ('\\' on Windows, '/' on Linux).
extern const char pathSeparator;

// True when `dir` holds at least one plain file (only read-only/archive
// attributes on Windows; a regular file on Linux).
bool directoryHasPlainFile(const std::string& dir);

// The longest path, in bytes, that the platform's file and directory calls
// take (Windows: MAX_PATH less the terminating zero, the size of the buffers
// the ANSI calls and MakeSureDirectoryPathExists copy into; Linux: PATH_MAX
// less one). A longer path is a file that cannot be written.
extern const std::size_t longestPath;

// Makes every missing directory of `path` up to its last separator. A path
// longer than `longestPath` makes nothing and gives false.
bool makeDirectoryPath(const std::string& path);

// Cuts an open file back to `length` bytes (the file's position is then
// undefined: close it next). False when the system refuses.
bool cutFile(std::FILE* file, std::uint64_t length);

// ---- desktop -------------------------------------------------------------

void initCommonControls();  // no-op off Windows

// Modal message box with no owner. `type` uses the Windows MB_* values the
// program needs: 0 (OK), 0x10 (error, OK), 0x24 (question, Yes/No).
// Returns the Windows ID of the pressed button (1 OK, 6 Yes, 7 No).
// Texts are Windows-1252.
int messageBox(const std::string& text, const std::string& caption, unsigned type);

// Minimises the top-level window whose title is exactly `title`, if any.
void minimiseWindowByTitle(const std::string& title);

// True once for each key event that waited in the calling process's console
// input (Linux: the terminal on standard input). Reading consumes the event.
bool consoleKeyEvent();

// Tells the user of a failure that no window shows: one line on standard
// error on Linux. The Windows program has no console, and says nothing.
void tellFailure(const std::string& text);

// Whether the program's first argument may be an option: on Linux, where a
// command is asked for --help and --version, any first argument beginning
// with '-' is one (no PID text and no sensible selection begins with it).
// The Windows program keeps the specified command line: every first
// argument is a selection.
bool commandLineHasOptions();

// Writes text to standard output (Linux: the usage, the version). The
// Windows program has no console, and writes nothing.
void tellUser(const std::string& text);

[[noreturn]] void exitProcess(int status);

}  // namespace os
