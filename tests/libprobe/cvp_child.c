/* A process for the library's tests to find, measure and end:
 *   cvp_child busy SECONDS   spins on one processor
 *   cvp_child sleep SECONDS  sleeps */
#ifndef _WIN32
#define _GNU_SOURCE /* the POSIX calls below under strict C11 */
#endif
#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
static double now(void) {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return (double)c.QuadPart / (double)f.QuadPart;
}
static void nap(void) { Sleep(50); }
#else
#include <time.h>
static double now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec + (double)ts.tv_nsec * 1e-9;
}
static void nap(void) {
    struct timespec ts = {0, 50000000};
    nanosleep(&ts, NULL);
}
#endif

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    const int busy = strcmp(argv[1], "busy") == 0;
    const double end = now() + atof(argv[2]);
    volatile unsigned long spin = 0;
    while (now() < end) {
        if (busy) {
            for (int i = 0; i < 100000; ++i) spin = spin + 1;
        } else {
            nap();
        }
    }
    return 0;
}
