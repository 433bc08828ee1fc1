/* The least work a monitor can do for the same figures: every 0.8 s, on
 * absolute deadlines, one open/read/close of /proc/<pid>/stat per process
 * plus /proc/stat and /proc/meminfo. A yardstick for the cycle cost of
 * Corvane and its peers.
 *   minimal_reader [cycles]     (default: run until killed) */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static char buffer[4096];

static void slurp(const char* path) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    while (read(fd, buffer, sizeof buffer) > 0) {}
    close(fd);
}

static void cycle(void) {
    slurp("/proc/stat");
    slurp("/proc/meminfo");
    DIR* dir = opendir("/proc");
    if (!dir) return;
    struct dirent* e;
    while ((e = readdir(dir)) != NULL) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
        char path[300];
        snprintf(path, sizeof path, "/proc/%s/stat", e->d_name);
        slurp(path);
    }
    closedir(dir);
}

int main(int argc, char** argv) {
    const long cycles = argc > 1 ? atol(argv[1]) : -1;
    struct timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (long k = 0; cycles < 0 || k < cycles; ++k) {
        cycle();
        next.tv_nsec += 800000000L;
        if (next.tv_nsec >= 1000000000L) {
            next.tv_nsec -= 1000000000L;
            next.tv_sec += 1;
        }
        /* An absolute deadline: the work and any oversleep do not add up. */
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL) != 0) {}
    }
    return 0;
}
