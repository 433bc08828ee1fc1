// Xlib, loaded when it is first called instead of when the program starts.
//
// A headless session never draws, yet linking libX11 maps it and its
// dependencies (libxcb, libXau, libXdmcp, ...) into every run: about half a
// megabyte of resident memory, and a logger that cannot start at all on a
// machine without the X libraries. The program therefore links against the
// definitions below, which open libX11 on the first call and forward to it.
// Without the library, XOpenDisplay reports no display (the window and the
// message boxes then behave as with no X server) and nothing else is called.
//
// Each definition repeats Xlib's own declaration, which the headers check.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <dlfcn.h>

namespace {

void* library() {
    static void* const handle = [] {
        void* h = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        return h != nullptr ? h : dlopen("libX11.so", RTLD_NOW | RTLD_LOCAL);
    }();
    return handle;
}

void* symbol(const char* name) {
    void* h = library();
    return h != nullptr ? dlsym(h, name) : nullptr;
}

}  // namespace

// One line per Xlib function, kept as a table (clang-format would wrap it).
// clang-format off
// A function the library lacks answers as Xlib does for "nothing": 0, null.
#define FORWARD(ret, name, params, args)                                  \
    extern "C" ret name params {                                          \
        using Result = ret;                                               \
        using Fn = Result(*) params;                                      \
        static const Fn fn = reinterpret_cast<Fn>(symbol(#name));         \
        if (fn == nullptr) return Result();                               \
        return fn args;                                                   \
    }

FORWARD(XClassHint*, XAllocClassHint, (), ())
FORWARD(int, XAllocColor, (Display* a0, Colormap a1, XColor* a2), (a0, a1, a2))
FORWARD(XSizeHints*, XAllocSizeHints, (), ())
FORWARD(XWMHints*, XAllocWMHints, (), ())
FORWARD(int, XChangeProperty, (Display* a0, Window a1, Atom a2, Atom a3, int a4, int a5, const unsigned char* a6, int a7), (a0, a1, a2, a3, a4, a5, a6, a7))
FORWARD(int, XCheckTypedWindowEvent, (Display* a0, Window a1, int a2, XEvent* a3), (a0, a1, a2, a3))
FORWARD(int, XClearWindow, (Display* a0, Window a1), (a0, a1))
FORWARD(int, XCloseDisplay, (Display* a0), (a0))
FORWARD(Cursor, XCreateFontCursor, (Display* a0, unsigned int a1), (a0, a1))
FORWARD(GC, XCreateGC, (Display* a0, Drawable a1, unsigned long a2, XGCValues* a3), (a0, a1, a2, a3))
FORWARD(XImage*, XCreateImage, (Display* a0, Visual* a1, unsigned int a2, int a3, int a4, char* a5, unsigned int a6, unsigned int a7, int a8, int a9), (a0, a1, a2, a3, a4, a5, a6, a7, a8, a9))
FORWARD(Window, XCreateWindow, (Display* a0, Window a1, int a2, int a3, unsigned int a4, unsigned int a5, unsigned int a6, int a7, unsigned int a8, Visual* a9, unsigned long a10, XSetWindowAttributes* a11), (a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11))
FORWARD(int, XDefineCursor, (Display* a0, Window a1, Cursor a2), (a0, a1, a2))
FORWARD(int, XDestroyWindow, (Display* a0, Window a1), (a0, a1))
FORWARD(int, XDisplayKeycodes, (Display* a0, int* a1, int* a2), (a0, a1, a2))
FORWARD(int, XDrawRectangle, (Display* a0, Drawable a1, GC a2, int a3, int a4, unsigned int a5, unsigned int a6), (a0, a1, a2, a3, a4, a5, a6))
FORWARD(int, XEventsQueued, (Display* a0, int a1), (a0, a1))
FORWARD(int, XFillArc, (Display* a0, Drawable a1, GC a2, int a3, int a4, unsigned int a5, unsigned int a6, int a7, int a8), (a0, a1, a2, a3, a4, a5, a6, a7, a8))
FORWARD(int, XFillRectangle, (Display* a0, Drawable a1, GC a2, int a3, int a4, unsigned int a5, unsigned int a6), (a0, a1, a2, a3, a4, a5, a6))
FORWARD(int, XFlush, (Display* a0), (a0))
FORWARD(int, XFree, (void* a0), (a0))
FORWARD(int, XFreeFont, (Display* a0, XFontStruct* a1), (a0, a1))
FORWARD(int, XFreeGC, (Display* a0, GC a1), (a0, a1))
FORWARD(int, XGetInputFocus, (Display* a0, Window* a1, int* a2), (a0, a1, a2))
FORWARD(Window, XGetSelectionOwner, (Display* a0, Atom a1), (a0, a1))
FORWARD(int, XGetWindowAttributes, (Display* a0, Window a1, XWindowAttributes* a2), (a0, a1, a2))
FORWARD(int, XGetWindowProperty, (Display* a0, Window a1, Atom a2, long a3, long a4, int a5, Atom a6, Atom* a7, int* a8, unsigned long* a9, unsigned long* a10, unsigned char** a11), (a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10, a11))
FORWARD(int, XIconifyWindow, (Display* a0, Window a1, int a2), (a0, a1, a2))
FORWARD(int, XInitImage, (XImage* a0), (a0))
FORWARD(int, XInitThreads, (), ())
FORWARD(Atom, XInternAtom, (Display* a0, const char* a1, int a2), (a0, a1, a2))
FORWARD(XFontStruct*, XLoadQueryFont, (Display* a0, const char* a1), (a0, a1))
FORWARD(KeySym, XLookupKeysym, (XKeyEvent* a0, int a1), (a0, a1))
FORWARD(int, XLookupString, (XKeyEvent* a0, char* a1, int a2, KeySym* a3, XComposeStatus* a4), (a0, a1, a2, a3, a4))
FORWARD(int, XMapRaised, (Display* a0, Window a1), (a0, a1))
FORWARD(int, XMoveWindow, (Display* a0, Window a1, int a2, int a3), (a0, a1, a2, a3))
FORWARD(int, XNextEvent, (Display* a0, XEvent* a1), (a0, a1))
FORWARD(Display*, XOpenDisplay, (const char* a0), (a0))
FORWARD(int, XPending, (Display* a0), (a0))
FORWARD(int, XPutBackEvent, (Display* a0, XEvent* a1), (a0, a1))
FORWARD(int, XPutImage, (Display* a0, Drawable a1, GC a2, XImage* a3, int a4, int a5, int a6, int a7, unsigned int a8, unsigned int a9), (a0, a1, a2, a3, a4, a5, a6, a7, a8, a9))
FORWARD(int, XQueryKeymap, (Display* a0, char a1[32]), (a0, a1))
FORWARD(int, XQueryPointer, (Display* a0, Window a1, Window* a2, Window* a3, int* a4, int* a5, int* a6, int* a7, unsigned int* a8), (a0, a1, a2, a3, a4, a5, a6, a7, a8))
FORWARD(int, XQueryTree, (Display* a0, Window a1, Window* a2, Window* a3, Window** a4, unsigned int* a5), (a0, a1, a2, a3, a4, a5))
FORWARD(int, XRaiseWindow, (Display* a0, Window a1), (a0, a1))
FORWARD(int, XRefreshKeyboardMapping, (XMappingEvent* a0), (a0))
FORWARD(int, XSendEvent, (Display* a0, Window a1, int a2, long a3, XEvent* a4), (a0, a1, a2, a3, a4))
FORWARD(int, XSetClassHint, (Display* a0, Window a1, XClassHint* a2), (a0, a1, a2))
FORWARD(XErrorHandler, XSetErrorHandler, (XErrorHandler a0), (a0))
FORWARD(int, XSetFont, (Display* a0, GC a1, Font a2), (a0, a1, a2))
FORWARD(int, XSetForeground, (Display* a0, GC a1, unsigned long a2), (a0, a1, a2))
FORWARD(XIOErrorHandler, XSetIOErrorHandler, (XIOErrorHandler a0), (a0))
FORWARD(int, XSetInputFocus, (Display* a0, Window a1, int a2, Time a3), (a0, a1, a2, a3))
FORWARD(int, XSetTransientForHint, (Display* a0, Window a1, Window a2), (a0, a1, a2))
FORWARD(int, XSetWMHints, (Display* a0, Window a1, XWMHints* a2), (a0, a1, a2))
FORWARD(void, XSetWMNormalHints, (Display* a0, Window a1, XSizeHints* a2), (a0, a1, a2))
FORWARD(int, XSetWMProtocols, (Display* a0, Window a1, Atom* a2, int a3), (a0, a1, a2, a3))
FORWARD(int, XStoreName, (Display* a0, Window a1, const char* a2), (a0, a1, a2))
FORWARD(int, XSync, (Display* a0, int a1), (a0, a1))
FORWARD(int, XTranslateCoordinates, (Display* a0, Window a1, Window a2, int a3, int a4, int* a5, int* a6, Window* a7), (a0, a1, a2, a3, a4, a5, a6, a7))
FORWARD(KeySym, XkbKeycodeToKeysym, (Display * a0, KeyCode a1, int a2, int a3), (a0, a1, a2, a3))
FORWARD(int, XkbSetDetectableAutoRepeat, (Display* a0, int a1, int* a2), (a0, a1, a2))
FORWARD(int, XDrawString16, (Display* a0, Drawable a1, GC a2, int a3, int a4, const XChar2b* a5, int a6), (a0, a1, a2, a3, a4, a5, a6))
FORWARD(int, XTextWidth16, (XFontStruct* a0, const XChar2b* a1, int a2), (a0, a1, a2))
// clang-format on
