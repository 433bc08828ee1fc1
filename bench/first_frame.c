/* Start-up time of the windowed monitor: starts the program given on the
 * command line and watches the X display until the first complete frame is
 * on the screen. Two moments are reported, in ms after the fork:
 *   mapped - an 800 x 584 window is mapped;
 *   frame  - its pixels show the first list and the gauges: text pixels in
 *            the first and the last visible list row (row 1, and row 30 or
 *            the last process) and white gauge text in the bottom bar. The
 *            monitor draws the list and gauges in one screen batch, so these
 *            appear together.
 * The display is polled every 2 ms with XGetImage of the window; each poll
 * costs the watcher well under a millisecond, so it hardly delays the program
 * it watches. After printing "pid mapped frame" the watcher keeps the program
 * running until it ends or the watcher gets SIGTERM (it then ends the
 * program too).
 *   first_frame rows timeout_s program [args...]
 * rows is the number of list rows to expect (the visible ones, at most 30). */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double nowMs(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (double)ts.tv_sec * 1000.0 + (double)ts.tv_nsec / 1e6;
}

static Window findWindow(Display* d, Window w) {
    XWindowAttributes a;
    if (XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable && a.width == 800 && a.height == 584) return w;
    Window root, parent, *kids = NULL;
    unsigned n = 0;
    Window found = 0;
    if (XQueryTree(d, w, &root, &parent, &kids, &n)) {
        for (unsigned i = 0; i < n && !found; ++i) found = findWindow(d, kids[i]);
        if (kids) XFree(kids);
    }
    return found;
}

static int errorsSeen = 0;
static int onXError(Display* d, XErrorEvent* e) {
    (void)d;
    (void)e;
    ++errorsSeen; /* the window went away between two requests */
    return 0;
}

/* The band shows `ground` and something drawn on it. Both are needed: until
 * its first paint a window is black (or whatever the server left there), and
 * that differs from every colour of the frame without being one. */
static int bandHasInk(XImage* img, int x0, int x1, int y0, int y1, unsigned long ground) {
    int groundSeen = 0, inkSeen = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            if ((XGetPixel(img, x, y) & 0xFFFFFF) == ground) {
                groundSeen = 1;
            } else {
                inkSeen = 1;
            }
            if (groundSeen && inkSeen) return 1;
        }
    return 0;
}

static int frameComplete(Display* d, Window w, int rows) {
    XImage* img = XGetImage(d, w, 0, 0, 800, 584, AllPlanes, ZPixmap);
    if (!img) return 0;
    const unsigned long background = 0xE2E4EB, accent = 0x0000FF;
    int ok = bandHasInk(img, 80, 600, 16 * 1 + 25, 16 * 1 + 32, background);
    if (ok && rows > 1) ok = bandHasInk(img, 80, 600, 16 * rows + 25, 16 * rows + 32, background);
    if (ok) ok = bandHasInk(img, 8, 790, 572, 579, accent);
    XDestroyImage(img);
    return ok;
}

static pid_t child = 0;
static volatile sig_atomic_t stopping = 0;
static void onSignal(int sig) {
    (void)sig;
    stopping = 1;
}

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: first_frame rows timeout_s program [args...]\n");
        return 2;
    }
    const int rows = atoi(argv[1]);
    const double timeoutMs = atof(argv[2]) * 1000.0;
    Display* d = XOpenDisplay(NULL);
    if (!d) {
        fprintf(stderr, "first_frame: no display\n");
        return 2;
    }
    XSetErrorHandler(onXError);
    struct sigaction sa = {0};
    sa.sa_handler = onSignal;
    sigaction(SIGTERM, &sa, NULL);
    sigaction(SIGINT, &sa, NULL);

    const double t0 = nowMs();
    child = fork();
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        execv(argv[3], argv + 3);
        _exit(127);
    }
    if (child < 0) return 2;

    double mapped = -1, frame = -1;
    Window w = 0;
    struct timespec step = {0, 2000000};
    while (!stopping && nowMs() - t0 < timeoutMs && waitpid(child, NULL, WNOHANG) == 0) {
        if (!w) {
            w = findWindow(d, DefaultRootWindow(d));
            if (w) mapped = nowMs() - t0;
        }
        if (w && frameComplete(d, w, rows)) {
            frame = nowMs() - t0;
            break;
        }
        nanosleep(&step, NULL);
    }
    printf("%d %.1f %.1f\n", (int)child, mapped, frame);
    fflush(stdout);
    XCloseDisplay(d);

    struct timespec idle = {0, 50000000};
    while (!stopping && waitpid(child, NULL, WNOHANG) == 0) nanosleep(&idle, NULL);
    kill(child, SIGTERM);
    waitpid(child, NULL, 0);
    return frame >= 0 ? 0 : 1;
}
