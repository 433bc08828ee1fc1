// The Linux process layer's kept descriptors against real processes: names
// that follow exec, instances that end or hand their pid on, descriptors that
// stay bounded, the cap, and figures exactly as /proc gives them.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "os/linux/descriptor_budget.h"
#include "os/linux/proc_read.h"
#include "os/linux/process_instances.h"
#include "os/os.h"

namespace {

// A child that waits for a byte on a pipe, then execs `program` (or, with
// an empty program, ends at once).
struct Child {
    pid_t pid = -1;
    int wake = -1;
};

Child startChild(const std::string& program) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[1]);
        char byte = 0;
        if (read(fds[0], &byte, 1) == 1 && !program.empty()) {
            execl(program.c_str(), program.c_str(), "30", static_cast<char*>(nullptr));
        }
        _exit(0);
    }
    close(fds[0]);
    return {pid, fds[1]};
}

void wakeChild(Child& child) {
    const char byte = 1;
    ASSERT_EQ(write(child.wake, &byte, 1), 1);
}

void endChild(Child& child) {
    if (child.pid <= 0) return;
    kill(child.pid, SIGKILL);
    waitpid(child.pid, nullptr, 0);
    close(child.wake);
    child.pid = -1;
}

std::string procText(pid_t pid, const char* leaf) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/" + leaf);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool waitForComm(pid_t pid, const std::string& comm) {
    for (int i = 0; i < 500; ++i) {
        if (procText(pid, "comm") == comm + "\n") return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// The name a fresh listing gives `pid`, or "(absent)".
std::string listedName(pid_t pid) {
    std::vector<os::ProcessInfo> list;
    EXPECT_TRUE(os::snapshotProcesses(list));
    for (const os::ProcessInfo& p : list) {
        if (p.pid == pid) return p.name;
    }
    return "(absent)";
}

int openDescriptorCount() {
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    while (dirent* e = readdir(dir)) count += e->d_name[0] != '.';
    closedir(dir);
    return count - 1;  // the listing's own
}

// A copy of sleep under a name the kernel cuts at 15 bytes.
std::string longNamedSleep() {
    const std::string dir = "/tmp/corv_reads_" + std::to_string(getpid());
    mkdir(dir.c_str(), 0700);
    const std::string path = dir + "/sleeper_named_past_fifteen";
    std::ifstream from("/bin/sleep", std::ios::binary);
    std::ofstream to(path, std::ios::binary);
    to << from.rdbuf();
    to.close();
    chmod(path.c_str(), 0700);
    return path;
}

TEST(ProcessReads, NamesFollowExec) {
    // Queried before the exec: the name comes from the next read of the
    // same instance, completed from the new command line.
    Child queried = startChild(longNamedSleep());
    EXPECT_EQ(listedName(queried.pid), "test_os_reads");
    EXPECT_TRUE(os::queryProcess(queried.pid).opened);
    wakeChild(queried);
    ASSERT_TRUE(waitForComm(queried.pid, "sleeper_named_p"));
    EXPECT_TRUE(os::queryProcess(queried.pid).opened);
    EXPECT_EQ(listedName(queried.pid), "sleeper_named_past_fifteen");

    // Not queried since the last listing: the next listing reads it itself.
    Child listed = startChild("/bin/sleep");
    EXPECT_EQ(listedName(listed.pid), "test_os_reads");
    wakeChild(listed);
    ASSERT_TRUE(waitForComm(listed.pid, "sleep"));
    EXPECT_EQ(listedName(listed.pid), "sleep");
    EXPECT_EQ(listedName(listed.pid), "sleep");

    endChild(queried);
    endChild(listed);
    const std::string copy = longNamedSleep();
    std::remove(copy.c_str());
    rmdir(copy.substr(0, copy.rfind('/')).c_str());
}

TEST(ProcessReads, FiguresAreExactlyWhatStatSays) {
    Child child = startChild("");  // blocked on its pipe: its figures stand still
    listedName(child.pid);
    for (int read = 0; read < 2; ++read) {  // through a new descriptor, then the kept one
        const std::string text = procText(child.pid, "stat");
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::vector<std::uint64_t> v(1);  // v[k] is field k + 2
        std::string word;
        while (fields >> word) v.push_back(std::strtoull(word.c_str(), nullptr, 10));
        ASSERT_GT(v.size(), 22u);
        const os::ProcessSample sample = os::queryProcess(child.pid);
        ASSERT_TRUE(sample.opened);
        const std::int64_t unitsPerTick = 10000000 / sysconf(_SC_CLK_TCK);
        EXPECT_EQ(sample.userTime, static_cast<std::int64_t>(v[14 - 2]) * unitsPerTick);
        EXPECT_EQ(sample.kernelTime, static_cast<std::int64_t>(v[15 - 2]) * unitsPerTick);
        EXPECT_EQ(sample.workingSetBytes, v[24 - 2] * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)));
        EXPECT_GT(sample.workingSetBytes, 0u);
    }
    endChild(child);
}

TEST(ProcessReads, EndedInstanceReadsAsEndedAndGivesItsDescriptorBack) {
    Child child = startChild("");
    ASSERT_EQ(listedName(child.pid), "test_os_reads");
    ASSERT_TRUE(os::queryProcess(child.pid).opened);
    const int kept = linuxproc::keptDescriptorCount();
    const int open = openDescriptorCount();
    kill(child.pid, SIGKILL);
    waitpid(child.pid, nullptr, 0);
    const os::ProcessSample gone = os::queryProcess(child.pid);
    EXPECT_FALSE(gone.opened);
    EXPECT_EQ(gone.userTime + gone.kernelTime, 0);
    EXPECT_EQ(gone.workingSetBytes, 0u);
    EXPECT_EQ(linuxproc::keptDescriptorCount(), kept - 1);
    EXPECT_EQ(openDescriptorCount(), open - 1);
    EXPECT_EQ(listedName(child.pid), "(absent)");
    close(child.wake);
}

// Pid reuse can only be forced with the right to set the next pid.
bool startAtPid(pid_t pid, Child& child, const std::string& program) {
    for (int attempt = 0; attempt < 50; ++attempt) {
        std::ofstream next("/proc/sys/kernel/ns_last_pid");
        if (!next) return false;
        next << pid - 1;
        next.close();
        if (!next) return false;
        child = startChild(program);
        if (child.pid == pid) return true;
        endChild(child);
    }
    return false;
}

TEST(ProcessReads, ReusedPidShowsTheNewProcess) {
    Child first = startChild("/bin/sleep");
    wakeChild(first);
    ASSERT_TRUE(waitForComm(first.pid, "sleep"));
    const pid_t pid = first.pid;
    ASSERT_EQ(listedName(pid), "sleep");
    ASSERT_TRUE(os::queryProcess(pid).opened);  // the listing may now trust its name
    endChild(first);
    Child second;
    if (!startAtPid(pid, second, "")) GTEST_SKIP() << "cannot choose the next pid here";
    EXPECT_EQ(listedName(pid), "test_os_reads");
    EXPECT_TRUE(os::queryProcess(pid).opened);
    EXPECT_EQ(listedName(pid), "test_os_reads");
    endChild(second);
}

TEST(ProcessReads, DescriptorsStayBoundedOverChurnedProcesses) {
    listedName(getpid());
    const int unkept = openDescriptorCount() - linuxproc::keptDescriptorCount();
    for (int round = 0; round < 10; ++round) {
        std::vector<Child> children(30);
        for (Child& c : children) c = startChild("");
        std::vector<os::ProcessInfo> list;
        ASSERT_TRUE(os::snapshotProcesses(list));
        for (const os::ProcessInfo& p : list) os::queryProcess(p.pid);
        for (Child& c : children) endChild(c);
        if (round % 2 == 0) {  // ended but queried before the next listing
            for (const os::ProcessInfo& p : list) os::queryProcess(p.pid);
        }
    }
    std::vector<os::ProcessInfo> list;
    ASSERT_TRUE(os::snapshotProcesses(list));
    EXPECT_EQ(openDescriptorCount() - linuxproc::keptDescriptorCount(), unkept);
    EXPECT_LE(static_cast<std::size_t>(linuxproc::keptDescriptorCount()), list.size());
    EXPECT_EQ(linuxproc::rememberedInstanceCount(), list.size());
}

TEST(ProcessReads, BeyondTheCapProcessesAreReadAfresh) {
    listedName(getpid());
    const int cap = linuxproc::keptDescriptorCount() + 3;
    linuxproc::setDescriptorCapForTesting(cap);
    std::vector<Child> children(10);
    for (Child& c : children) c = startChild("");
    const int unkept = openDescriptorCount() - linuxproc::keptDescriptorCount();
    for (int cycle = 0; cycle < 2; ++cycle) {
        for (const Child& c : children) EXPECT_EQ(listedName(c.pid), "test_os_reads");
        for (const Child& c : children) {
            const os::ProcessSample s = os::queryProcess(c.pid);
            EXPECT_TRUE(s.opened);
            EXPECT_GT(s.workingSetBytes, 0u);
        }
        // Other processes on the machine may end and free slots meanwhile.
        EXPECT_LE(linuxproc::keptDescriptorCount(), cap);
        EXPECT_GE(linuxproc::keptDescriptorCount(), 3);
        EXPECT_EQ(openDescriptorCount() - linuxproc::keptDescriptorCount(), unkept);  // none left open
    }
    for (Child& c : children) endChild(c);
    listedName(getpid());
    EXPECT_LT(linuxproc::keptDescriptorCount(), cap);
    linuxproc::setDescriptorCapForTesting(-1);
}

TEST(ProcessReads, RefusedDescriptorsShedKeptOnesAndReadingGoesOn) {
    // More new processes than descriptors left below the limit.
    std::vector<Child> children(30);
    for (Child& c : children) c = startChild("");
    // In a child of its own, whose limit is then far below the cap.
    const pid_t pid = fork();
    if (pid == 0) {
        linuxproc::setDescriptorCapForTesting(100000);
        rlimit low{};
        getrlimit(RLIMIT_NOFILE, &low);
        low.rlim_cur = static_cast<rlim_t>(openDescriptorCount() + 20);
        if (setrlimit(RLIMIT_NOFILE, &low) != 0) _exit(2);
        std::vector<os::ProcessInfo> list;
        for (int cycle = 0; cycle < 3; ++cycle) {
            if (!os::snapshotProcesses(list) || list.size() < 25) _exit(3);
            for (const os::ProcessInfo& p : list) os::queryProcess(p.pid);
        }
        for (const Child& c : children) {
            if (listedName(c.pid) != "test_os_reads" || !os::queryProcess(c.pid).opened) _exit(4);
        }
        if (linuxproc::keptDescriptorCount() > linuxproc::descriptorCap()) _exit(5);
        std::FILE* spare = std::fopen("/dev/null", "r");  // room is left for others
        _exit(spare ? 0 : 7);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    for (Child& c : children) endChild(c);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(ProcessReads, LineBreaksInANameAreShownAsQuestionMarks) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[1]);
        prctl(PR_SET_NAME, "two\nlines\r", 0, 0, 0);
        char byte = 0;
        (void)!read(fds[0], &byte, 1);
        _exit(0);
    }
    close(fds[0]);
    Child child{pid, fds[1]};
    ASSERT_TRUE(waitForComm(pid, "two\nlines\r"));
    EXPECT_EQ(listedName(pid), "two?lines?");
    endChild(child);
}

// Kernel threads as /proc shows them now (their flags never change).
std::vector<pid_t> kernelThreads() {
    std::vector<pid_t> found;
    DIR* dir = opendir("/proc");
    while (dirent* e = dir ? readdir(dir) : nullptr) {
        const pid_t pid = static_cast<pid_t>(std::atol(e->d_name));
        if (pid <= 0) continue;
        const std::string line = procText(pid, "stat");
        linuxproc::StatFields f;
        if (linuxproc::parseStat(line.data(), line.size(), f) && (f.flags & linuxproc::KERNEL_THREAD_FLAG)) {
            found.push_back(pid);
        }
    }
    if (dir) closedir(dir);
    return found;
}

TEST(ProcessReads, KernelThreadsAreNotListedSoTheListOpensOnPrograms) {
    const std::vector<pid_t> threads = kernelThreads();
    if (threads.empty()) GTEST_SKIP() << "no kernel threads visible here (a process namespace of its own)";
    // The first listing reads every entry; the second takes what it
    // remembers: neither shows a kernel thread.
    for (int round = 0; round < 2; ++round) {
        std::vector<os::ProcessInfo> list;
        ASSERT_TRUE(os::snapshotProcesses(list));
        for (const os::ProcessInfo& p : list) {
            EXPECT_EQ(std::count(threads.begin(), threads.end(), p.pid), 0) << p.pid << " " << p.name;
        }
        // The list's first screen, 30 rows, is programs; this one among them.
        ASSERT_GE(list.size(), 1u);
        EXPECT_TRUE(std::any_of(list.begin(), list.end(), [](const os::ProcessInfo& p) { return p.pid == getpid(); }));
    }
    EXPECT_EQ(listedName(2), "(absent)") << "pid 2 starts the kernel's threads";
}

TEST(ProcessReads, ParsesNamesWithParenthesesAndBlanks) {
    const char line[] =
        "42 (a) (b c) S 1 42 42 0 -1 2097216 5 0 0 0 17 23 0 0 20 0 1 0 9876 1000000 321 "
        "18446744073709551615 1 1 0 0 0 0 0 0 0 0 0 0 17 1 0 0\n";
    linuxproc::StatFields f;
    ASSERT_TRUE(linuxproc::parseStat(line, sizeof line - 1, f));
    EXPECT_EQ(f.comm, "a) (b c");
    EXPECT_EQ(f.flags, 2097216u);
    EXPECT_NE(f.flags & linuxproc::KERNEL_THREAD_FLAG, 0u);
    EXPECT_EQ(f.utimeTicks, 17u);
    EXPECT_EQ(f.stimeTicks, 23u);
    EXPECT_EQ(f.startTicks, 9876u);
    EXPECT_EQ(f.rssPages, 321u);
    const char cut[] = "42 (a) S 1 42 42 0 -1 2097216 5 0 0 0 17 23\n";
    EXPECT_FALSE(linuxproc::parseStat(cut, sizeof cut - 1, f));
}

// The descriptor policy in fresh processes: the program raises its soft
// limit, the library leaves its host's alone and keeps few descriptors.
std::string runProbe(const std::string& args) {
    std::string output;
    std::FILE* pipe = popen((std::string(DESCRIPTOR_PROBE) + " " + args).c_str(), "r");
    if (!pipe) return output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) output += buffer;
    pclose(pipe);
    return output;
}

TEST(ProcessReads, ProgramRaisesItsLimitTheLibraryDoesNot) {
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
    if (limit.rlim_max < 1024) GTEST_SKIP() << "hard descriptor limit below 1024";
    // More processes than the library may keep descriptors for.
    std::vector<Child> children(80);
    for (Child& c : children) c = startChild("");
    const long raised = static_cast<long>(std::min<rlim_t>(limit.rlim_max, 65536));
    const std::string program = runProbe("program");
    long programSoft = 0;
    int programKept = 0;
    ASSERT_EQ(std::sscanf(program.c_str(), "soft %ld kept %d", &programSoft, &programKept), 2) << program;
    EXPECT_EQ(programSoft, raised);
    EXPECT_GT(programKept, 80);
    const std::string library = runProbe(std::string("library ") + CORVPROBE_PATH);
    int soft = 0, kept = 0, listed = 0, left = -1;
    ASSERT_EQ(std::sscanf(library.c_str(), "soft %d kept %d listed %d left %d", &soft, &kept, &listed, &left), 4)
        << library;
    EXPECT_EQ(left, 0);  // unloading closed them all
    EXPECT_EQ(soft, 512);
    EXPECT_GT(listed, 80);
    EXPECT_EQ(kept, 512 / 8 + 2);  // the cap, and /proc/stat and /proc/meminfo
    for (Child& c : children) endChild(c);
}

}  // namespace
