#include "tests/fake/fake_os.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fakeos {

namespace {
State& raw() {
    static State s;
    return s;
}
using Guard = std::lock_guard<std::recursive_mutex>;

double realNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

std::recursive_mutex& lock() {
    static std::recursive_mutex m;
    return m;
}
State& state() { return raw(); }

void reset() {
    Guard g(lock());
    raw() = State{};
}

void advance(double seconds) {
    Guard g(lock());
    State& s = raw();
    s.clock += seconds;
    s.cycleCounter += static_cast<std::uint32_t>(std::llround(seconds * s.cyclesPerSecond));
}

Process* find(std::int32_t pid) {
    State& s = raw();
    if (!s.pidIndex.empty()) {
        const auto at = s.pidIndex.find(pid);
        if (at != s.pidIndex.end() && at->second < s.processes.size() && s.processes[at->second].pid == pid)
            return &s.processes[at->second];
    }
    for (Process& p : s.processes) {
        if (p.pid == pid) return &p;
    }
    return nullptr;
}

int openHolds() {
    Guard g(lock());
    int count = 0;
    for (const Hold& h : raw().holds) count += h.open ? 1 : 0;
    return count;
}

int openPins() {
    Guard g(lock());
    int count = 0;
    for (const Hold& h : raw().pins) count += h.open ? 1 : 0;
    return count;
}

void indexProcesses() {
    Guard g(lock());
    State& s = raw();
    s.pidIndex.clear();
    for (std::size_t k = 0; k < s.processes.size(); ++k) s.pidIndex.emplace(s.processes[k].pid, k);
}

}  // namespace fakeos

namespace os {

// The fake lists Windows-style names.
const std::size_t executableSuffixLength = 4;

bool snapshotProcesses(std::vector<ProcessInfo>& out) {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    fakeos::State& s = fakeos::state();
    s.snapshotCalls += 1;
    out.clear();
    if (s.snapshotFails) return false;
    for (const fakeos::Process& p : s.processes) out.push_back(ProcessInfo{p.pid, p.name});
    return true;
}

ProcessSample queryProcess(std::int32_t pid) {
    ProcessSample sample;
    std::function<void(std::int32_t)> hook;
    {
        std::lock_guard<std::recursive_mutex> g(fakeos::lock());
        hook = fakeos::state().onQueryProcess;
        fakeos::state().queryProcessCalls += 1;
        const fakeos::Process* p = fakeos::find(pid);
        if (p && p->openable) {
            sample.opened = true;
            sample.kernelTime = p->kernelTime;
            sample.userTime = p->userTime;
            sample.workingSetBytes = p->workingSetBytes;
            sample.started = p->startedAt;
        }
    }
    if (hook) hook(pid);
    return sample;
}

bool terminateProcess(std::int32_t pid) {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    fakeos::State& s = fakeos::state();
    if (std::find(s.terminateRefused.begin(), s.terminateRefused.end(), pid) != s.terminateRefused.end()) {
        return false;
    }
    auto it =
        std::find_if(s.processes.begin(), s.processes.end(), [&](const fakeos::Process& p) { return p.pid == pid; });
    if (it == s.processes.end()) return false;
    s.processes.erase(it);
    s.terminated.push_back(pid);
    return true;
}

std::uint64_t processStartClock() {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    return fakeos::state().startClock;
}

// The fake checks what both realisations check, start times included.
HeldProcess holdProcess(std::int32_t pid, const std::string& name, std::uint64_t listedAt, std::uint64_t started) {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    fakeos::State& s = fakeos::state();
    HeldProcess held;
    const fakeos::Process* p = fakeos::find(pid);
    if (!p || !p->openable || p->name != name || p->startedAt > listedAt) return held;
    if (started != 0 && p->startedAt != started) return held;
    s.holds.push_back({pid, p->startedAt, true});
    held.held = true;
    held.handle = static_cast<std::intptr_t>(s.holds.size());
    return held;
}

bool endHeldProcess(const HeldProcess& process) {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    fakeos::State& s = fakeos::state();
    if (!process.held || process.handle < 1 || static_cast<std::size_t>(process.handle) > s.holds.size()) return false;
    const fakeos::Hold& hold = s.holds[static_cast<std::size_t>(process.handle) - 1];
    if (!hold.open) return false;
    // Only the instance held: a process that got its PID later is another one.
    auto it = std::find_if(s.processes.begin(), s.processes.end(), [&](const fakeos::Process& p) {
        return p.pid == hold.pid && p.startedAt == hold.startedAt;
    });
    if (it == s.processes.end()) return false;
    if (std::find(s.terminateRefused.begin(), s.terminateRefused.end(), hold.pid) != s.terminateRefused.end()) {
        return false;
    }
    s.processes.erase(it);
    s.terminated.push_back(hold.pid);
    return true;
}

void releaseProcess(HeldProcess& process) {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    fakeos::State& s = fakeos::state();
    if (process.held && process.handle >= 1 && static_cast<std::size_t>(process.handle) <= s.holds.size()) {
        s.holds[static_cast<std::size_t>(process.handle) - 1].open = false;
    }
    process = HeldProcess{};
}

// A pin follows the instance (PID and start) it was taken on.
PinnedProcess pinProcess(std::int32_t pid, std::uint64_t started, std::uint64_t listedAt) {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    fakeos::State& s = fakeos::state();
    PinnedProcess pin;
    pin.pid = pid;
    const fakeos::Process* p = fakeos::find(pid);
    if (!p || !p->openable || p->startedAt > listedAt || (started != 0 && p->startedAt != started)) return pin;
    s.pins.push_back({pid, p->startedAt, true});
    pin.pinned = true;
    pin.started = p->startedAt;
    pin.handle = static_cast<std::intptr_t>(s.pins.size() - 1);
    return pin;
}

ProcessSample samplePinned(PinnedProcess& process) {
    ProcessSample sample;
    std::function<void(std::int32_t)> hook;
    {
        std::lock_guard<std::recursive_mutex> g(fakeos::lock());
        fakeos::State& s = fakeos::state();
        s.samplePinnedCalls += 1;
        hook = s.onQueryProcess;
        if (process.pinned && !process.ended) {
            const fakeos::Process* p = fakeos::find(process.pid);
            if (p && p->startedAt == process.started) {
                sample.opened = true;
                sample.kernelTime = p->kernelTime;
                sample.userTime = p->userTime;
                sample.workingSetBytes = p->workingSetBytes;
                sample.started = p->startedAt;
            } else {
                process.ended = true;
            }
        }
    }
    if (hook) hook(process.pid);
    return sample;
}

void unpinProcess(PinnedProcess& process) {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    fakeos::State& s = fakeos::state();
    if (process.pinned && process.handle >= 0 && static_cast<std::size_t>(process.handle) < s.pins.size()) {
        s.pins[static_cast<std::size_t>(process.handle)].open = false;
    }
    process = PinnedProcess{};
}

bool systemTimes(SystemTimes& out) {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    if (fakeos::state().systemTimesFail) {
        out = SystemTimes{};
        return false;
    }
    out = fakeos::state().systemTimes;
    return true;
}

bool memoryStatus(MemoryStatus& out) {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    out = fakeos::state().memory;
    return true;
}

std::uint32_t cycleCounterLow() {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    return fakeos::state().cycleCounter;
}

double secondsClock() {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    fakeos::State& s = fakeos::state();
    if (s.realTime) return fakeos::realNow();
    ++s.clockReads;
    if (s.onClockRead) s.onClockRead(s.clockReads);  // e.g. the thread was preempted here
    // Reading the clock in a busy wait must move it, or the wait never ends.
    const double now = s.clock;
    fakeos::advance(s.clockReadSeconds);
    return now;
}

LocalTime localTime() {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    const fakeos::State& s = fakeos::state();
    const LocalTime& b = s.startTime;
    const double base = s.realTime ? 0.0 : s.clock - 1000.0;
    long long ms =
        std::llround(base * 1000.0) + b.millisecond + 1000LL * (b.second + 60LL * (b.minute + 60LL * b.hour));
    LocalTime t = b;
    const long long day = 86400000LL;
    t.day += static_cast<int>(ms / day);  // good enough within a test's month
    ms %= day;
    t.hour = static_cast<int>(ms / 3600000);
    t.minute = static_cast<int>(ms / 60000 % 60);
    t.second = static_cast<int>(ms / 1000 % 60);
    t.millisecond = static_cast<int>(ms % 1000);
    return t;
}

void pauseMs(std::int64_t ms) {
    std::function<void(std::int64_t)> hook;
    bool real = false;
    {
        std::lock_guard<std::recursive_mutex> g(fakeos::lock());
        fakeos::State& s = fakeos::state();
        s.pauses.push_back(ms);
        real = s.realTime;
        if (!real && ms > 0) fakeos::advance(static_cast<double>(ms) / 1000.0);
        hook = s.onPause;
    }
    if (real && ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    if (hook) hook(ms);
}

void pauseUntil(double deadline) {
    std::function<void(std::int64_t)> hook;
    bool real = false;
    double remaining = 0;
    std::int64_t recorded = 0;
    {
        std::lock_guard<std::recursive_mutex> g(fakeos::lock());
        fakeos::State& s = fakeos::state();
        real = s.realTime;
        const double now = real ? fakeos::realNow() : s.clock;
        remaining = deadline > now ? deadline - now : 0.0;
        // Recorded like a pause, in whole milliseconds (halves to even).
        recorded = static_cast<std::int64_t>(std::nearbyint(remaining * 1000.0));
        s.pauses.push_back(recorded);
        if (!real) fakeos::advance(remaining);
        hook = s.onPause;
    }
    if (real && remaining > 0) std::this_thread::sleep_for(std::chrono::duration<double>(remaining));
    if (hook) hook(recorded);
}

const char pathSeparator = '/';
const std::size_t longestPath = 4095;

bool directoryHasPlainFile(const std::string& dir) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (entry.is_regular_file(ec) && entry.path().filename().string()[0] != '.') return true;
    }
    return false;
}

bool makeDirectoryPath(const std::string& path) {
    if (path.size() > longestPath) return false;
    const std::size_t last = path.rfind('/');
    if (last == std::string::npos || last == 0) return true;
    std::error_code ec;
    std::filesystem::create_directories(path.substr(0, last), ec);
    return !ec;
}

// Log files are real files in the tests: they are really cut.
bool cutFile(std::FILE* file, std::uint64_t length) {
#ifdef _WIN32
    return _chsize_s(_fileno(file), static_cast<long long>(length)) == 0;
#else
    return ftruncate(fileno(file), static_cast<off_t>(length)) == 0;
#endif
}

void tellFailure(const std::string& text) {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    fakeos::state().failuresTold.push_back(text);
}

bool commandLineHasOptions() {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    return fakeos::state().commandLineHasOptions;
}

void tellUser(const std::string& text) {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    fakeos::state().toldUser.push_back(text);
}

void initCommonControls() {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    fakeos::state().initCommonControlsCalled = true;
}

int messageBox(const std::string& text, const std::string& caption, unsigned type) {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    fakeos::State& s = fakeos::state();
    s.messageBoxes.push_back({text, caption, type});
    if (s.onMessageBox) {
        const auto hook = s.onMessageBox;  // it may change the script, itself included
        hook(s.messageBoxes.back());
    }
    if (s.messageBoxAnswers.empty()) return 1;
    const int answer = s.messageBoxAnswers.front();
    s.messageBoxAnswers.erase(s.messageBoxAnswers.begin());
    return answer;
}

void minimiseWindowByTitle(const std::string& title) {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    fakeos::state().minimised.push_back(title);
}

bool consoleKeyEvent() {
    std::lock_guard<std::recursive_mutex> g(fakeos::lock());
    fakeos::State& s = fakeos::state();
    if (s.consoleKeys <= 0) return false;
    s.consoleKeys -= 1;
    return true;
}

void exitProcess(int status) {
    std::function<void(int)> hook;
    {
        std::lock_guard<std::recursive_mutex> g(fakeos::lock());
        hook = fakeos::state().exitHook;
    }
    if (hook) hook(status);
    throw fakeos::ExitCalled{status};
}

}  // namespace os
