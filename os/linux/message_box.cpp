// The message box on Linux: a small modal dialog of the program's own, drawn
// with Xlib on a display connection of its own, so that it neither depends on
// nor disturbs the monitor window's thread.
//
// Texts arrive in Windows-1252, like on Windows. The title is published both
// as WM_NAME (Latin-1) and _NET_WM_NAME (UTF-8); the body is drawn with a
// Unicode core font when the server has one, else with the Latin-1 "fixed".
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "os/os.h"
#include "os/windows_1252.h"

namespace {

constexpr unsigned TYPE_YES_NO = 0x04;
constexpr unsigned ICON_MASK = 0xF0;
constexpr unsigned ICON_ERROR = 0x10;
constexpr unsigned ICON_QUESTION = 0x20;
constexpr int ID_OK = 1;
constexpr int ID_YES = 6;
constexpr int ID_NO = 7;

// The layout; the end-to-end tests click the buttons by these figures.
constexpr int MARGIN = 16;
constexpr int ICON_SIZE = 32;
constexpr int BUTTON_WIDTH = 80;
constexpr int BUTTON_HEIGHT = 26;
constexpr int BUTTON_GAP = 12;
constexpr int MIN_WIDTH = 240;

// The character drawn for a byte (all lie below U+10000); an undefined
// byte, which no font draws, as '?'.
std::uint16_t codePoint(unsigned char byte) {
    if (windows1252::isUndefined(byte)) return '?';
    return static_cast<std::uint16_t>(windows1252::unicodeOf(byte));
}

// WM_NAME is Latin-1: keep what Latin-1 has, '?' for the rest.
std::string latin1FromCp1252(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        const unsigned char b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b <= 0x9F) c = '?';
    }
    return out;
}

// "\r\n", a lone "\r" and a lone "\n" each break a line, as on Windows.
std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

struct Button {
    std::string label;
    int result = 0;
    int x = 0, y = 0;
};

class Dialog {
  public:
    Dialog(Display* display, const std::string& text, const std::string& caption, unsigned type)
        : dpy_(display), type_(type) {
        lines_ = splitLines(text);
        if ((type & 0x0F) == TYPE_YES_NO) {
            buttons_ = {{"Ja", ID_YES}, {"Nein", ID_NO}};
            cancelResult_ = ID_NO;
        } else {
            buttons_ = {{"OK", ID_OK}};
            cancelResult_ = ID_OK;
        }
        loadFont();
        layout();
        create(caption);
    }
    ~Dialog() {
        if (font_) XFreeFont(dpy_, font_);
        if (gc_) XFreeGC(dpy_, gc_);
        if (window_) {
            giveFocusBack();
            XDestroyWindow(dpy_, window_);
        }
    }
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    int run();

  private:
    void loadFont();
    void giveFocusBack();
    void layout();
    void create(const std::string& caption);
    void paint();
    void drawString(int x, int y, const std::string& cp1252);
    int textWidth(const std::string& cp1252) const;
    int buttonAt(int x, int y) const;
    unsigned long colour(std::uint32_t rgb);

    Display* dpy_;
    unsigned type_;
    std::vector<std::string> lines_;
    std::vector<Button> buttons_;
    int cancelResult_ = ID_OK;
    XFontStruct* font_ = nullptr;
    bool unicodeFont_ = false;
    int lineHeight_ = 13;
    int width_ = 0, height_ = 0;
    int textLeft_ = MARGIN;
    Window window_ = 0;
    GC gc_ = nullptr;
    Atom deleteWindow_ = 0;
    int pressed_ = -1;
    Window previousFocus_ = None;
};

int ignoreXError(Display*, XErrorEvent*) { return 0; }

// As on Windows, the window that was active before the box is active again
// after it, window manager or not. Only if the box still has the focus: a
// focus the user moved elsewhere meanwhile stays where it is. The window may
// have gone in the meantime; that error is not worth ending the program for.
void Dialog::giveFocusBack() {
    if (previousFocus_ == None || previousFocus_ == PointerRoot) return;
    Window focus = None;
    int revert = 0;
    XGetInputFocus(dpy_, &focus, &revert);
    if (focus != window_) return;
    XSync(dpy_, False);
    const auto previousHandler = XSetErrorHandler(ignoreXError);
    XSetInputFocus(dpy_, previousFocus_, RevertToParent, CurrentTime);
    XSync(dpy_, False);
    XSetErrorHandler(previousHandler);
}

void Dialog::loadFont() {
    static const char* const unicodeFonts[] = {
        "-misc-fixed-medium-r-normal--13-*-*-*-*-*-iso10646-1",
        "-*-*-medium-r-normal--13-*-*-*-*-*-iso10646-1",
        "-*-*-*-*-*--*-*-*-*-*-*-iso10646-1",
    };
    for (const char* name : unicodeFonts) {
        font_ = XLoadQueryFont(dpy_, name);
        if (font_) {
            unicodeFont_ = true;
            break;
        }
    }
    if (!font_) font_ = XLoadQueryFont(dpy_, "fixed");
    if (font_) lineHeight_ = font_->ascent + font_->descent + 2;
}

int Dialog::textWidth(const std::string& text) const {
    if (!font_) return static_cast<int>(text.size()) * 6;
    std::vector<XChar2b> wide;
    for (const char c : text) {
        std::uint16_t cp = codePoint(static_cast<unsigned char>(c));
        if (!unicodeFont_ && cp > 0xFF) cp = '?';
        wide.push_back(XChar2b{static_cast<unsigned char>(cp >> 8), static_cast<unsigned char>(cp & 0xFF)});
    }
    return XTextWidth16(font_, wide.data(), static_cast<int>(wide.size()));
}

void Dialog::drawString(int x, int y, const std::string& text) {
    std::vector<XChar2b> wide;
    for (const char c : text) {
        std::uint16_t cp = codePoint(static_cast<unsigned char>(c));
        if (!unicodeFont_ && cp > 0xFF) cp = '?';
        wide.push_back(XChar2b{static_cast<unsigned char>(cp >> 8), static_cast<unsigned char>(cp & 0xFF)});
    }
    XDrawString16(dpy_, window_, gc_, x, y, wide.data(), static_cast<int>(wide.size()));
}

void Dialog::layout() {
    const bool icon = (type_ & ICON_MASK) != 0;
    textLeft_ = MARGIN + (icon ? ICON_SIZE + MARGIN : 0);
    int textW = 0;
    for (const std::string& line : lines_) textW = std::max(textW, textWidth(line));
    const int textH = static_cast<int>(lines_.size()) * lineHeight_;
    const int buttonsW =
        static_cast<int>(buttons_.size()) * BUTTON_WIDTH + (static_cast<int>(buttons_.size()) - 1) * BUTTON_GAP;
    width_ = std::max({MIN_WIDTH, textLeft_ + textW + MARGIN, buttonsW + 2 * MARGIN});
    // A text that no screen can show stays bounded: the window is cut, not grown.
    width_ = std::min(width_, 4000);
    const int bodyH = std::max(textH, icon ? ICON_SIZE : 0);
    height_ = std::min(MARGIN + bodyH + MARGIN + BUTTON_HEIGHT + MARGIN, 3000);
    int x = (width_ - buttonsW) / 2;
    for (Button& b : buttons_) {
        b.x = x;
        b.y = height_ - MARGIN - BUTTON_HEIGHT;
        x += BUTTON_WIDTH + BUTTON_GAP;
    }
}

unsigned long Dialog::colour(std::uint32_t rgb) {
    XColor c{};
    c.red = static_cast<unsigned short>(((rgb >> 16) & 0xFF) * 257);
    c.green = static_cast<unsigned short>(((rgb >> 8) & 0xFF) * 257);
    c.blue = static_cast<unsigned short>((rgb & 0xFF) * 257);
    c.flags = DoRed | DoGreen | DoBlue;
    const int screen = DefaultScreen(dpy_);
    if (XAllocColor(dpy_, DefaultColormap(dpy_, screen), &c)) return c.pixel;
    return (rgb & 0x808080) ? WhitePixel(dpy_, screen) : BlackPixel(dpy_, screen);
}

void Dialog::create(const std::string& caption) {
    int revert = 0;
    XGetInputFocus(dpy_, &previousFocus_, &revert);
    const int screen = DefaultScreen(dpy_);
    const Window root = RootWindow(dpy_, screen);
    const int left = (DisplayWidth(dpy_, screen) - width_) / 2;
    const int top = (DisplayHeight(dpy_, screen) - height_) / 2;

    XSetWindowAttributes attrs{};
    attrs.background_pixel = colour(0xF0F0F0);
    attrs.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
    window_ = XCreateWindow(dpy_, root, left, top, static_cast<unsigned>(width_), static_cast<unsigned>(height_), 0,
                            CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attrs);

    const std::string latin1 = latin1FromCp1252(caption);
    XStoreName(dpy_, window_, latin1.c_str());
    const std::string utf8 = windows1252::toDisplayUtf8(caption);
    const Atom utf8String = XInternAtom(dpy_, "UTF8_STRING", False);
    XChangeProperty(dpy_, window_, XInternAtom(dpy_, "_NET_WM_NAME", False), utf8String, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));

    // No owner window: a dialog transient for the whole screen, kept above.
    XSetTransientForHint(dpy_, window_, root);
    const Atom dialogType = XInternAtom(dpy_, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(dpy_, window_, XInternAtom(dpy_, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&dialogType), 1);
    const Atom states[2] = {XInternAtom(dpy_, "_NET_WM_STATE_MODAL", False),
                            XInternAtom(dpy_, "_NET_WM_STATE_ABOVE", False)};
    XChangeProperty(dpy_, window_, XInternAtom(dpy_, "_NET_WM_STATE", False), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(states), 2);

    XSizeHints* hints = XAllocSizeHints();
    if (hints) {
        hints->flags = PPosition | USPosition | PMinSize | PMaxSize;
        hints->x = left;
        hints->y = top;
        hints->min_width = hints->max_width = width_;
        hints->min_height = hints->max_height = height_;
        XSetWMNormalHints(dpy_, window_, hints);
        XFree(hints);
    }
    XWMHints* wm = XAllocWMHints();
    if (wm) {
        wm->flags = InputHint | StateHint;
        wm->input = True;
        wm->initial_state = NormalState;
        XSetWMHints(dpy_, window_, wm);
        XFree(wm);
    }
    XClassHint* cls = XAllocClassHint();
    if (cls) {
        char name[] = "corvane-dialog";
        char klass[] = "Corvane";
        cls->res_name = name;
        cls->res_class = klass;
        XSetClassHint(dpy_, window_, cls);
        XFree(cls);
    }
    deleteWindow_ = XInternAtom(dpy_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(dpy_, window_, &deleteWindow_, 1);

    gc_ = XCreateGC(dpy_, window_, 0, nullptr);
    if (font_) XSetFont(dpy_, gc_, font_->fid);
    XMapRaised(dpy_, window_);
}

void Dialog::paint() {
    XClearWindow(dpy_, window_);
    const int ascent = font_ ? font_->ascent : 10;
    const unsigned icon = type_ & ICON_MASK;
    if (icon) {
        const unsigned long fill = colour(icon == ICON_ERROR ? 0xD01010 : 0x1060D0);
        XSetForeground(dpy_, gc_, fill);
        XFillArc(dpy_, window_, gc_, MARGIN, MARGIN, ICON_SIZE, ICON_SIZE, 0, 360 * 64);
        XSetForeground(dpy_, gc_, colour(0xFFFFFF));
        const std::string mark = icon == ICON_QUESTION ? "?" : (icon == ICON_ERROR ? "X" : "!");
        drawString(MARGIN + (ICON_SIZE - textWidth(mark)) / 2, MARGIN + (ICON_SIZE + ascent) / 2 - 1, mark);
    }
    XSetForeground(dpy_, gc_, colour(0x000000));
    int y = MARGIN + ascent;
    for (const std::string& line : lines_) {
        drawString(textLeft_, y, line);
        y += lineHeight_;
    }
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const Button& b = buttons_[i];
        XSetForeground(dpy_, gc_, colour(static_cast<int>(i) == pressed_ ? 0xC8C8C8 : 0xE1E1E1));
        XFillRectangle(dpy_, window_, gc_, b.x, b.y, BUTTON_WIDTH, BUTTON_HEIGHT);
        // The first button is the default one (Enter): a blue outline.
        XSetForeground(dpy_, gc_, colour(i == 0 ? 0x0078D7 : 0xADADAD));
        XDrawRectangle(dpy_, window_, gc_, b.x, b.y, BUTTON_WIDTH - 1, BUTTON_HEIGHT - 1);
        XSetForeground(dpy_, gc_, colour(0x000000));
        drawString(b.x + (BUTTON_WIDTH - textWidth(b.label)) / 2, b.y + (BUTTON_HEIGHT + ascent) / 2 - 1, b.label);
    }
    XFlush(dpy_);
}

int Dialog::buttonAt(int x, int y) const {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const Button& b = buttons_[i];
        if (x >= b.x && x < b.x + BUTTON_WIDTH && y >= b.y && y < b.y + BUTTON_HEIGHT) return static_cast<int>(i);
    }
    return -1;
}

int Dialog::run() {
    for (;;) {
        XEvent ev;
        XNextEvent(dpy_, &ev);
        switch (ev.type) {
            case MapNotify:
                // Without a window manager nobody else gives the dialog the keyboard.
                XSetInputFocus(dpy_, window_, RevertToParent, CurrentTime);
                break;
            case Expose:
                if (ev.xexpose.count == 0) paint();
                break;
            case KeyPress: {
                const KeySym key = XLookupKeysym(&ev.xkey, 0);
                if (key == XK_Return || key == XK_KP_Enter) return buttons_.front().result;
                if (key == XK_Escape) return cancelResult_;
                break;
            }
            case ButtonPress:
                if (ev.xbutton.button == Button1) {
                    pressed_ = buttonAt(ev.xbutton.x, ev.xbutton.y);
                    paint();
                }
                break;
            case ButtonRelease:
                if (ev.xbutton.button == Button1) {
                    const int hit = buttonAt(ev.xbutton.x, ev.xbutton.y);
                    const int was = pressed_;
                    pressed_ = -1;
                    if (hit >= 0 && hit == was) return buttons_[static_cast<std::size_t>(hit)].result;
                    paint();
                }
                break;
            case ClientMessage:
                if (static_cast<Atom>(ev.xclient.data.l[0]) == deleteWindow_) return cancelResult_;
                break;
            default: break;
        }
    }
}

int noAnswer(unsigned type) { return (type & 0x0F) == TYPE_YES_NO ? ID_NO : ID_OK; }

}  // namespace

namespace os {

int messageBox(const std::string& text, const std::string& caption, unsigned type) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return noAnswer(type);
    int answer;
    {
        Dialog dialog(display, text, caption, type);
        answer = dialog.run();
    }
    XCloseDisplay(display);
    return answer;
}

}  // namespace os
