/*
 * corvprobe — process and machine measurements as eleven plain C functions.
 *
 * The library is a DLL on Windows (corvprobe.dll, 32- and 64-bit) and a
 * shared object on Linux (libcorvprobe.so). Every function takes and returns
 * 32-bit integers (cvclock returns a float, cvpnam a pointer). On 32-bit
 * Windows every function is __cdecl: the caller pushes the arguments from
 * right to left and removes them again; the float of cvclock comes back in
 * ST(0). Elsewhere the platform's standard C calling convention applies.
 *
 * Calling order:
 *   1. cvplist() refills the library's process table and returns n; the
 *      indices 1..n are valid until the next cvplist().
 *   2. cvpnam, cvpid, cvpram, cvpcpu take such an index.
 *   3. For CPU shares call cvcpu() once, then cvpcpu() for the indices you
 *      want, and repeat both at one steady pace: a share relates the process's
 *      CPU time since its previous cvpcpu() to the system time between the
 *      last two cvcpu() calls.
 *   4. cvram, cvusedram, cvclock, cvsleep and cvpkill need no table.
 *
 * Indices outside 1..n (0, negative, past the end, or any index before the
 * first cvplist) are never used to touch the table: cvpnam returns a pointer
 * to an empty text, cvpid, cvpram and cvpcpu return 0 and change nothing.
 *
 * The library takes no lock. cvplist, cvpnam, cvpid, cvpram, cvpcpu and
 * cvcpu share the library's tables: call them from one thread at a time.
 * No function reports an error; a figure that cannot be measured is 0.
 */
#ifndef CORVPROBE_H
#define CORVPROBE_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define CVP_CALL __cdecl
#else
#define CVP_CALL
#endif

#if defined(CORVPROBE_BUILDING) && !defined(_WIN32)
#define CVP_API __attribute__((visibility("default")))
#else
#define CVP_API /* Windows exports come from corvprobe.def */
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Takes a process snapshot and refills the table in the system's order.
 * Returns the number of processes n (0 when no snapshot can be taken). */
CVP_API int32_t CVP_CALL cvplist(void);

/* Executable file name of process `index`: at most 29 bytes, zero-terminated,
 * in the system's ANSI code page; a longer name is cut to its first 29 bytes.
 * The text lives in the library: do not free it. It changes with the next
 * cvplist(), and the address may move when a cvplist() finds more processes
 * than the one before. Out of range: a pointer to an empty text. */
CVP_API const char* CVP_CALL cvpnam(int32_t index);

/* Process identifier of process `index` from the last cvplist(); 0 out of range. */
CVP_API int32_t CVP_CALL cvpid(int32_t index);

/* Working set (resident memory) of process `index` in KB, rounded to the
 * nearest (halves to even). 0 for a process that has ended or cannot be
 * opened, and out of range. */
CVP_API int32_t CVP_CALL cvpram(int32_t index);

/* CPU share of process `index` in percent, rounded to the nearest (halves to
 * even): its CPU time since the previous cvpcpu() of this index, relative to
 * the system time between the last two cvcpu() calls (the first cvcpu()
 * measures from system start). 0 before any cvcpu(), when no system time
 * passed between the last two, for a process that cannot be opened (its
 * index then measures from process start next time), for a negative result,
 * and out of range. The first call for an index
 * measures from the process's start and can be far above 100. The previous
 * time belongs to the index: after cvplist() moved another process there,
 * the next call measures it against the old one's time. */
CVP_API int32_t CVP_CALL cvpcpu(int32_t index);

/* System CPU load in percent since the previous call, rounded to the nearest
 * (halves to even). The first call measures from system start; two calls
 * within one tick of the system clock return 0. */
CVP_API int32_t CVP_CALL cvcpu(void);

/* Total physical memory in KB. */
CVP_API int32_t CVP_CALL cvram(void);

/* Used physical memory in KB: total minus available, each in KB. */
CVP_API int32_t CVP_CALL cvusedram(void);

/* CPU clock in GHz from the time-stamp counter over a 10 ms busy wait,
 * truncated to 0.01 GHz (never rounded up). Takes at least 10 ms and keeps
 * one processor busy meanwhile. */
CVP_API float CVP_CALL cvclock(void);

/* A pause; always returns 1.
 *   kind 0: ends early at a key press in the console (Windows) or the
 *           terminal on standard input (Linux) of the calling process.
 *           ms = -1 waits for a key, looking every 50 ms; any other negative
 *           ms returns at once; 0..99 is one plain pause; 100 or more is
 *           watched in 50 ms steps. Keys read while watching are consumed.
 *           Without a console or terminal no key ever comes (so ms = -1
 *           then waits for ever); neither does it to a process in the
 *           terminal's background.
 *   kind 1: a plain pause of ms milliseconds; a negative ms does not pause.
 *   other kinds: no pause. */
CVP_API int32_t CVP_CALL cvsleep(int32_t ms, int32_t kind);

/* Ends the process with identifier `pid` (not a table index) at once
 * (Windows: TerminateProcess with exit code 0; Linux: SIGKILL). Returns 1
 * when it was ended, 0 otherwise; pid <= 0 is always refused. */
CVP_API int32_t CVP_CALL cvpkill(int32_t pid);

#ifdef __cplusplus
}
#endif

#endif /* CORVPROBE_H */
