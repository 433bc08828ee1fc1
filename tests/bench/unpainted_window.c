/* An 800 x 584 window that is mapped and never painted: what the monitor's
 * window is for a moment after it appears. The start-up watcher must not
 * take it for a frame. Runs until it is killed. */
#include <X11/Xlib.h>
#include <unistd.h>

int main(void) {
    Display* d = XOpenDisplay(NULL);
    if (!d) return 2;
    Window w = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 800, 584, 0, 0, BlackPixel(d, DefaultScreen(d)));
    XMapWindow(d, w);
    XFlush(d);
    for (;;) pause();
}
