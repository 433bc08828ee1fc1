/* Loads the built corvprobe library by name, as a program outside this
 * system would, and checks every export against the real system and child
 * processes it starts itself.
 *
 *   test_libprobe_driver [library name]
 *
 * Windows (also under Wine): LoadLibraryA + GetProcAddress; Linux: dlopen +
 * dlsym. Ends with "N passed, N failed" and a non-zero status on failure. */
#ifndef _WIN32
#define _GNU_SOURCE /* the POSIX calls below under strict C11 */
#endif
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "corvprobe.h"

#ifdef _WIN32
#include <windows.h>
#define LIBRARY_NAME "corvprobe.dll"
#define CHILD_NAME "cvp_child.exe"
#define LONG_CHILD_NAME "cvp_child_named_well_past_twenty_nine_bytes.exe"
#define SELF_NAME "test_libprobe_driver.exe"
#else
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
#define LIBRARY_NAME "libcorvprobe.so"
#define CHILD_NAME "cvp_child"
#define LONG_CHILD_NAME "cvp_child_named_well_past_twenty_nine_bytes"
#define SELF_NAME "test_libprobe_driver"
#endif

/* ---- the library's functions, resolved by name ------------------------- */

static int32_t(CVP_CALL* p_cvplist)(void);
static const char*(CVP_CALL* p_cvpnam)(int32_t);
static int32_t(CVP_CALL* p_cvpid)(int32_t);
static int32_t(CVP_CALL* p_cvpram)(int32_t);
static int32_t(CVP_CALL* p_cvpcpu)(int32_t);
static int32_t(CVP_CALL* p_cvcpu)(void);
static int32_t(CVP_CALL* p_cvram)(void);
static int32_t(CVP_CALL* p_cvusedram)(void);
static float(CVP_CALL* p_cvclock)(void);
static int32_t(CVP_CALL* p_cvsleep)(int32_t, int32_t);
static int32_t(CVP_CALL* p_cvpkill)(int32_t);

static int passed, failed;

static void check(int ok, const char* what, ...) {
    va_list args;
    va_start(args, what);
    if (ok) {
        ++passed;
    } else {
        ++failed;
        printf("FAILED: ");
        vprintf(what, args);
        printf("\n");
    }
    va_end(args);
}

/* ---- platform helpers ------------------------------------------------------ */

#ifdef _WIN32
typedef struct {
    PROCESS_INFORMATION info;
} child_t;

static void* library;
/* GetProcAddress gives a function pointer, which ISO C does not convert to
 * void*; the slots take its bytes, as they take dlsym's. */
_Static_assert(sizeof(FARPROC) == sizeof(void*), "a function's address fits a void*");
static void* find(const char* name) {
    const FARPROC function = GetProcAddress((HMODULE)library, name);
    void* address;
    memcpy(&address, &function, sizeof address);
    return address;
}
static int loadLibrary(const char* name) { return (library = (void*)LoadLibraryA(name)) != NULL; }

static double now(void) {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return (double)c.QuadPart / (double)f.QuadPart;
}

static int underWine(void) { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != NULL; }

static int32_t ownPid(void) { return (int32_t)GetCurrentProcessId(); }

static int startChild(child_t* child, const char* exe, const char* mode, const char* seconds) {
    char path[MAX_PATH], line[2 * MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    while (length > 0 && path[length - 1] != '\\' && path[length - 1] != '/') --length;
    path[length] = '\0';
    strncat(path, exe, sizeof path - strlen(path) - 1);
    snprintf(line, sizeof line, "\"%s\" %s %s", path, mode, seconds);
    STARTUPINFOA start;
    memset(&start, 0, sizeof start);
    start.cb = sizeof start;
    memset(child, 0, sizeof *child);
    return CreateProcessA(path, line, NULL, NULL, FALSE, 0, NULL, NULL, &start, &child->info) != 0;
}

static int32_t childPid(const child_t* child) { return (int32_t)child->info.dwProcessId; }

/* Waits up to `seconds` for the child to end; 1 when it ended with status 0
 * (what ending it through the library gives). */
static int childEnded(child_t* child, double seconds) {
    if (WaitForSingleObject(child->info.hProcess, (DWORD)(seconds * 1000)) != WAIT_OBJECT_0) return 0;
    DWORD code = 1;
    GetExitCodeProcess(child->info.hProcess, &code);
    /* Our handles keep the ended process's object, and so its PID, alive. */
    CloseHandle(child->info.hProcess);
    CloseHandle(child->info.hThread);
    child->info.hProcess = NULL;
    return code == 0;
}

/* Wine keeps an ended process's object for a moment after the last handle
 * closes; Windows drops it at once. */
static int pidGone(int32_t pid, double seconds) {
    const double until = now() + seconds;
    for (;;) {
        HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, (DWORD)pid);
        if (!h) return 1;
        CloseHandle(h);
        if (now() > until) return 0;
        Sleep(20);
    }
}

static void endChild(child_t* child) {
    if (!child->info.hProcess) return;
    TerminateProcess(child->info.hProcess, 0);
    WaitForSingleObject(child->info.hProcess, 5000);
    CloseHandle(child->info.hProcess);
    CloseHandle(child->info.hThread);
    child->info.hProcess = NULL;
}

static int stdinIsInteractive(void) {
    DWORD events = 0;
    return GetNumberOfConsoleInputEvents(GetStdHandle(STD_INPUT_HANDLE), &events) != 0;
}

static uint64_t totalMemoryBytes(void) {
    MEMORYSTATUSEX status;
    memset(&status, 0, sizeof status);
    status.dwLength = sizeof status;
    GlobalMemoryStatusEx(&status);
    return status.ullTotalPhys;
}
#else
typedef struct {
    pid_t pid;
    int reaped;
    int status;
} child_t;

static void* library;
static void* find(const char* name) { return dlsym(library, name); }
static int loadLibrary(const char* name) { return (library = dlopen(name, RTLD_NOW | RTLD_LOCAL)) != NULL; }

static double now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec * 1e-9;
}

static int underWine(void) { return 0; }
static int32_t ownPid(void) { return (int32_t)getpid(); }

static int startChild(child_t* child, const char* exe, const char* mode, const char* seconds) {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return 0;
    path[n] = '\0';
    char* slash = strrchr(path, '/');
    if (!slash) return 0;
    snprintf(slash + 1, sizeof path - (size_t)(slash + 1 - path), "%s", exe);
    memset(child, 0, sizeof *child);
    child->pid = fork();
    if (child->pid < 0) return 0;
    if (child->pid == 0) {
        char* args[] = {path, (char*)mode, (char*)seconds, NULL};
        execv(path, args);
        _exit(127);
    }
    return 1;
}

static int32_t childPid(const child_t* child) { return (int32_t)child->pid; }

static int waitChild(child_t* child, double seconds) {
    const double until = now() + seconds;
    while (!child->reaped) {
        if (waitpid(child->pid, &child->status, WNOHANG) == child->pid) {
            child->reaped = 1;
            break;
        }
        if (now() > until) return 0;
        struct timespec ts = {0, 10000000};
        nanosleep(&ts, NULL);
    }
    return 1;
}

/* 1 when the child ended within `seconds` by SIGKILL (what the library sends). */
static int childEnded(child_t* child, double seconds) {
    return waitChild(child, seconds) && WIFSIGNALED(child->status) && WTERMSIG(child->status) == SIGKILL;
}

static int pidGone(int32_t pid, double seconds) {
    (void)seconds;
    return kill((pid_t)pid, 0) != 0;
}

static void endChild(child_t* child) {
    if (child->pid <= 0 || child->reaped) return;
    kill(child->pid, SIGKILL);
    waitChild(child, 5.0);
}

static int stdinIsInteractive(void) { return isatty(STDIN_FILENO); }

static uint64_t totalMemoryBytes(void) {
    FILE* f = fopen("/proc/meminfo", "r");
    unsigned long long kb = 0;
    char line[256];
    while (f && fgets(line, sizeof line, f)) {
        if (sscanf(line, "MemTotal: %llu kB", &kb) == 1) break;
    }
    if (f) fclose(f);
    return (uint64_t)kb * 1024;
}
#endif

/* ---- checks -------------------------------------------------------------- */

static int32_t indexOf(int32_t pid, int32_t count) {
    for (int32_t i = 1; i <= count; ++i) {
        if (p_cvpid(i) == pid) return i;
    }
    return 0;
}

static int resolveAll(void) {
    void** slots[] = {(void**)&p_cvplist, (void**)&p_cvpnam,  (void**)&p_cvpid,  (void**)&p_cvpram,
                      (void**)&p_cvpcpu,  (void**)&p_cvcpu,   (void**)&p_cvram,  (void**)&p_cvusedram,
                      (void**)&p_cvclock, (void**)&p_cvsleep, (void**)&p_cvpkill};
    const char* names[] = {"cvplist", "cvpnam",    "cvpid",   "cvpram",  "cvpcpu", "cvcpu",
                           "cvram",   "cvusedram", "cvclock", "cvsleep", "cvpkill"};
    int all = 1;
    for (int i = 0; i < 11; ++i) {
        void* address = find(names[i]);
        check(address != NULL, "export %s is found by name", names[i]);
        memcpy(slots[i], &address, sizeof address);
        all = all && address != NULL;
    }
    return all;
}

static void checkOutOfRange(int32_t count, const char* when) {
    const int32_t indices[] = {INT32_MIN, -1, 0, count + 1, count + 1000, INT32_MAX};
    for (int i = 0; i < 6; ++i) {
        const char* name = p_cvpnam(indices[i]);
        check(name != NULL && name[0] == '\0', "%s: cvpnam(%d) is an empty text", when, indices[i]);
        check(p_cvpid(indices[i]) == 0, "%s: cvpid(%d) == 0", when, indices[i]);
        check(p_cvpram(indices[i]) == 0, "%s: cvpram(%d) == 0", when, indices[i]);
        check(p_cvpcpu(indices[i]) == 0, "%s: cvpcpu(%d) == 0", when, indices[i]);
    }
}

static void checkNames(int32_t count, int32_t selfIndex, int32_t childIndex, int32_t longIndex) {
    int allShort = 1;
    for (int32_t i = 1; i <= count; ++i) allShort = allShort && strlen(p_cvpnam(i)) <= 29;
    check(allShort, "every name has at most 29 bytes");
    check(strcmp(p_cvpnam(childIndex), CHILD_NAME) == 0, "child's name: '%s'", p_cvpnam(childIndex));
    check(strncmp(p_cvpnam(longIndex), LONG_CHILD_NAME, 29) == 0 && strlen(p_cvpnam(longIndex)) == 29,
          "long name cut to 29 bytes: '%s'", p_cvpnam(longIndex));
    check(strncmp(p_cvpnam(selfIndex), SELF_NAME, strlen(SELF_NAME)) == 0, "own name: '%s'", p_cvpnam(selfIndex));
}

static void burn(double seconds) {
    volatile double x = 1.0;
    const double until = now() + seconds;
    while (now() < until) x = x * 1.0000001 + 0.5;
}

/* Shares at a steady pace of 250 ms. Natively a process spinning on one
 * processor shows a clear share; under Wine the times of other processes
 * read 0, so there only our own spinning can show. */
static void checkShares(int32_t selfIndex, int32_t busyIndex, int32_t sleepIndex) {
    p_cvcpu();
    p_cvpcpu(selfIndex);
    p_cvpcpu(busyIndex);
    p_cvpcpu(sleepIndex);
    int32_t busySum = 0, busyMax = 0, selfSum = 0, selfMax = 0, sleepMax = 0;
    for (int round = 0; round < 4; ++round) {
        burn(0.25);
        const int32_t load = p_cvcpu();
        check(load >= 0 && load <= 100, "system load %d %% within 0..100", load);
        const int32_t self = p_cvpcpu(selfIndex), busy = p_cvpcpu(busyIndex), sleeping = p_cvpcpu(sleepIndex);
        selfSum += self;
        busySum += busy;
        selfMax = self > selfMax ? self : selfMax;
        busyMax = busy > busyMax ? busy : busyMax;
        sleepMax = sleeping > sleepMax ? sleeping : sleepMax;
    }
    printf("shares over 4 rounds: self avg %d max %d, busy child avg %d max %d, sleeping child max %d\n", selfSum / 4,
           selfMax, busySum / 4, busyMax, sleepMax);
    check(selfSum / 4 >= 5 && selfMax <= 110, "own spinning share is plausible (avg %d, max %d)", selfSum / 4, selfMax);
    if (underWine()) {
        check(busyMax >= 0 && busyMax <= 110, "busy child under Wine: %d within 0..110", busyMax);
    } else {
        check(busySum / 4 >= 5 && busyMax <= 110, "busy child's share is plausible (avg %d, max %d)", busySum / 4,
              busyMax);
        check(sleepMax <= 3, "sleeping child's share is about 0 (max %d)", sleepMax);
    }
}

static void checkMemory(int32_t selfIndex, int32_t childIndex) {
    const int32_t total = p_cvram(), used = p_cvusedram();
    const uint64_t bytes = totalMemoryBytes();
    uint64_t kb = bytes / 1024;
    const uint64_t rest = bytes % 1024;
    if (rest > 512 || (rest == 512 && (kb & 1))) ++kb;
    check((uint64_t)total == kb, "cvram %d == total memory %llu KB", total, (unsigned long long)kb);
    check(used > 0 && used <= total, "cvusedram %d within 0..cvram", used);
    const int32_t own = p_cvpram(selfIndex), child = p_cvpram(childIndex);
    check(own > 100 && own < total, "own working set %d KB is plausible", own);
    if (underWine()) {
        check(child >= 0 && child < total, "child's working set under Wine: %d KB", child);
    } else {
        check(child > 0 && child < own * 4, "child's working set %d KB is plausible", child);
    }
}

static void checkClock(void) {
    const double start = now();
    const float ghz = p_cvclock();
    const double took = now() - start;
    const double hundredths = (double)ghz * 100.0;
    const double whole = (double)(long)(hundredths + 0.5);
    check(ghz >= 0.2f && ghz <= 10.0f, "cvclock %.4f GHz is plausible", (double)ghz);
    check(hundredths - whole < 1e-3 && whole - hundredths < 1e-3, "cvclock %.6f is a multiple of 0.01", (double)ghz);
    check(took >= 0.009, "cvclock took %.4f s (at least 10 ms)", took);
#if defined(__i386__)
    /* The float comes back in the x87's ST(0): read as a double it must
       still be a float (unless the figure is one a float holds exactly,
       such as 2.5, this tells a rounded result from an unrounded one). */
    {
        double(CVP_CALL* volatile wide)(void) = (double(CVP_CALL*)(void))(void (*)(void))p_cvclock;
        const double seen = wide();
        check(seen == (double)(float)seen, "cvclock %.17g read as a double is a float", seen);
    }
#endif
}

static double timedSleep(int32_t ms, int32_t kind, int32_t* result) {
    const double start = now();
    *result = p_cvsleep(ms, kind);
    return now() - start;
}

static void checkSleep(void) {
    int32_t r = 0;
    double took = timedSleep(-5, 0, &r);
    check(r == 1 && took < 0.09, "cvsleep(-5, 0) returns 1 at once (%.3f s)", took);
    took = timedSleep(100, 7, &r);
    check(r == 1 && took < 0.09, "cvsleep(100, 7) returns 1 at once (%.3f s)", took);
    took = timedSleep(-1, 1, &r);
    check(r == 1 && took < 0.09, "cvsleep(-1, 1) returns 1 at once (%.3f s)", took);
    took = timedSleep(120, 1, &r);
    check(r == 1 && took >= 0.1 && took < 5.0, "cvsleep(120, 1) waited ~120 ms (%.3f s)", took);
    if (stdinIsInteractive()) {
        printf("standard input is interactive: a key could end cvsleep(120, 0), not timed here\n");
    } else {
        took = timedSleep(120, 0, &r);
        check(r == 1 && took >= 0.1 && took < 5.0, "cvsleep(120, 0) without a console waited (%.3f s)", took);
    }
}

#ifndef _WIN32
/* Kind 0 on a real terminal: a pseudo-terminal becomes the standard input
 * and controlling terminal of a child in a session of its own. The parent
 * types once the child says it is watching. The child's exit status holds
 * one bit per failed expectation. */
enum {
    TTY_NO_KEY_ENDED_EARLY = 1,
    TTY_KEY_NOT_SEEN = 2,
    TTY_MODE_CHANGED = 4,
    TTY_KEY_LEFT_OVER = 8,
    TTY_BACKGROUND_STOPPED = 16,
    TTY_SETUP = 64
};

static int terminalChild(const char* slave, int ready) {
    setsid();
    const int tty = open(slave, O_RDWR); /* the first terminal a session leader opens becomes its own */
    if (tty < 0 || dup2(tty, STDIN_FILENO) < 0) return TTY_SETUP;
    struct termios before, after;
    if (tcgetattr(STDIN_FILENO, &before) != 0 || !(before.c_lflag & ICANON)) return TTY_SETUP;
    int result = 0;
    double start = now();
    p_cvsleep(200, 0);
    if (now() - start < 0.18) result |= TTY_NO_KEY_ENDED_EARLY;
    if (write(ready, "r", 1) != 1) return TTY_SETUP;
    start = now();
    p_cvsleep(-1, 0); /* ended by the parent's key, or by the parent's timeout */
    if (now() - start > 4.0) result |= TTY_KEY_NOT_SEEN;
    if (tcgetattr(STDIN_FILENO, &after) != 0 || after.c_lflag != before.c_lflag ||
        after.c_cc[VMIN] != before.c_cc[VMIN] || after.c_cc[VTIME] != before.c_cc[VTIME]) {
        result |= TTY_MODE_CHANGED;
    }
    start = now();
    p_cvsleep(150, 0); /* the key was consumed: this one runs its length */
    if (now() - start < 0.13) result |= TTY_KEY_LEFT_OVER;
    if (write(ready, "b", 1) != 1) return TTY_SETUP;

    /* A process outside the terminal's foreground neither stops nor sees keys. */
    const pid_t background = fork();
    if (background == 0) {
        setpgid(0, 0);
        start = now();
        p_cvsleep(300, 0);
        _exit(now() - start < 0.28 ? 1 : 0);
    }
    int status = 0;
    pid_t waited = 0;
    const double until = now() + 5.0;
    while ((waited = waitpid(background, &status, WNOHANG | WUNTRACED)) == 0 && now() < until) usleep(10000);
    if (waited != background || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        result |= TTY_BACKGROUND_STOPPED;
        kill(background, SIGKILL);
        waitpid(background, &status, 0);
    }
    return result;
}

static void checkTerminalKeys(void) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    int ready[2];
    if (master < 0) {
        printf("no pseudo-terminals on this machine: terminal key test skipped\n");
        return;
    }
    if (grantpt(master) != 0 || unlockpt(master) != 0 || pipe(ready) != 0) {
        check(0, "pseudo-terminal for the key test");
        return;
    }
    child_t child;
    memset(&child, 0, sizeof child);
    char slave[256];
    snprintf(slave, sizeof slave, "%s", ptsname(master));
    child.pid = fork();
    if (child.pid == 0) _exit(terminalChild(slave, ready[1]));
    char signal_byte = 0;
    int typed = 0;
    if (read(ready[0], &signal_byte, 1) == 1) {
        usleep(150000);
        typed = write(master, "k", 1) == 1; /* a key, no Enter */
        if (read(ready[0], &signal_byte, 1) == 1) {
            usleep(50000);
            (void)!write(master, "q", 1); /* pending while the background process looks */
        }
    }
    if (!waitChild(&child, 10.0)) {
        endChild(&child);
        check(0, "terminal child finished");
    } else {
        const int bits = WIFEXITED(child.status) ? WEXITSTATUS(child.status) : 255;
        check(typed && bits == 0, "key on the terminal ends cvsleep(-1, 0) and leaves its mode (failures %d)", bits);
    }
    close(master);
    close(ready[0]);
    close(ready[1]);
}

/* cvpkill(0) would reach the caller's whole process group if it went to
 * kill(): try it in a child that is a group of its own. */
static void checkKillRefusesGroup(void) {
    child_t child;
    memset(&child, 0, sizeof child);
    child.pid = fork();
    if (child.pid == 0) {
        setpgid(0, 0);
        _exit(p_cvpkill(0) == 0 ? 0 : 1);
    }
    check(waitChild(&child, 5.0) && WIFEXITED(child.status) && WEXITSTATUS(child.status) == 0,
          "cvpkill(0) returns 0 and signals no process group");
}
#endif

static void checkKill(child_t* victim, int32_t victimIndex) {
    const int32_t pid = childPid(victim);
    check(p_cvpkill(pid) == 1, "cvpkill(child %d) == 1", pid);
    check(childEnded(victim, 5.0), "the child ended");
    check(pidGone(pid, 5.0), "the child's PID is gone");
    check(p_cvpram(victimIndex) == 0, "cvpram of the ended child == 0");
    check(p_cvpkill(pid) == 0, "cvpkill(ended child %d) == 0", pid);
    check(p_cvpkill(0x7FFFFFF0) == 0, "cvpkill(missing pid) == 0");
#ifdef _WIN32
    check(p_cvpkill(0) == 0 && p_cvpkill(-1) == 0, "cvpkill(0) and cvpkill(-1) == 0");
#else
    checkKillRefusesGroup();
#endif
}

int main(int argc, char** argv) {
    setvbuf(stdout, NULL, _IONBF, 0);
    const char* name = argc > 1 ? argv[1] : LIBRARY_NAME;
    if (!loadLibrary(name)) {
        printf("cannot load %s\n0 passed, 1 failed\n", name);
        return 1;
    }
    if (!resolveAll()) {
        printf("%d passed, %d failed\n", passed, failed);
        return 1;
    }
    printf("loaded %s%s\n", name, underWine() ? " under Wine" : "");

    checkOutOfRange(0, "before any cvplist");

    child_t busy, sleeping, longName;
    const int started = startChild(&busy, CHILD_NAME, "busy", "30") &&
                        startChild(&sleeping, CHILD_NAME, "sleep", "30") &&
                        startChild(&longName, LONG_CHILD_NAME, "sleep", "30");
    check(started, "child processes started");
    if (started) {
        p_cvsleep(300, 1); /* let them get going */
        const int32_t count = p_cvplist();
        const int32_t self = indexOf(ownPid(), count), busyIndex = indexOf(childPid(&busy), count);
        const int32_t sleepIndex = indexOf(childPid(&sleeping), count), longIndex = indexOf(childPid(&longName), count);
        check(count > 3, "cvplist found %d processes", count);
        check(self && busyIndex && sleepIndex && longIndex, "own and children's PIDs are in the list (%d %d %d %d)",
              self, busyIndex, sleepIndex, longIndex);
        if (self && busyIndex && sleepIndex && longIndex) {
            checkNames(count, self, sleepIndex, longIndex);
            check(p_cvpcpu(busyIndex) == 0, "cvpcpu before any cvcpu == 0");

            int zeroSeen = 0;
            for (int attempt = 0; attempt < 5 && !zeroSeen; ++attempt) {
                p_cvcpu();
                zeroSeen = p_cvcpu() == 0 && p_cvpcpu(busyIndex) == 0;
            }
            check(zeroSeen, "cvcpu twice at once gives 0, and cvpcpu right after too");

            checkShares(self, busyIndex, sleepIndex);
            checkMemory(self, sleepIndex);
            checkKill(&sleeping, sleepIndex);
        }
        checkOutOfRange(count, "after cvplist");
    }
    endChild(&busy);
    endChild(&sleeping);
    endChild(&longName);

    checkClock();
    checkSleep();
#ifndef _WIN32
    checkTerminalKeys();
#endif

    printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
