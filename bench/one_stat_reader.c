/* The least work that logs one process: /proc/stat and one /proc/<pid>/stat,
 * each kept open and read with pread, on absolute deadlines. The yardstick
 * of a headless session's cost per pass.
 *   one_stat_reader <pid> <interval ms> <passes> */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: %s <pid> <interval ms> <passes>\n", argv[0]);
        return 2;
    }
    char path[64];
    snprintf(path, sizeof path, "/proc/%s/stat", argv[1]);
    const long intervalNs = atol(argv[2]) * 1000000L;
    const long passes = atol(argv[3]);
    const int system = open("/proc/stat", O_RDONLY | O_CLOEXEC);
    const int process = open(path, O_RDONLY | O_CLOEXEC);
    if (system < 0 || process < 0) return 1;
    static char buffer[8192];
    struct timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (long k = 0; k < passes; ++k) {
        if (pread(system, buffer, sizeof buffer, 0) <= 0 || pread(process, buffer, sizeof buffer, 0) <= 0) return 1;
        next.tv_nsec += intervalNs;
        while (next.tv_nsec >= 1000000000L) {
            next.tv_nsec -= 1000000000L;
            next.tv_sec += 1;
        }
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, NULL) != 0) {}
    }
    return 0;
}
