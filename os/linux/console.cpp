// Key events on the terminal that is the calling process's standard input.
//
// A terminal in canonical mode hands over nothing before Enter, so each look
// switches canonical mode off for the moment of one non-blocking read and
// puts the settings back at once. A process that is not in the terminal's
// foreground does not look at all: reading or retuning the terminal from the
// background would stop it (and disturb the job that owns the terminal).
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include "os/console_key_count.h"
#include "os/os.h"

namespace os {

namespace {

// Each byte the terminal delivers counts as one key event.
std::uint32_t readWaitingBytes(int fd) {
    std::uint32_t bytes = 0;
    char buffer[256];
    for (int reads = 0; reads < 16; ++reads) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 0) <= 0 || !(p.revents & POLLIN)) break;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        bytes += static_cast<std::uint32_t>(n);
        if (static_cast<std::size_t>(n) < sizeof buffer) break;
    }
    return bytes;
}

std::uint32_t readTerminalKeys() {
    const int fd = STDIN_FILENO;
    if (!isatty(fd)) return 0;
    if (tcgetpgrp(fd) != getpgrp()) return 0;

    // Should the process move to the background meanwhile, the calls below
    // fail instead of stopping it.
    sigset_t quiet, before;
    sigemptyset(&quiet);
    sigaddset(&quiet, SIGTTIN);
    sigaddset(&quiet, SIGTTOU);
    pthread_sigmask(SIG_BLOCK, &quiet, &before);

    std::uint32_t keys = 0;
    termios saved{};
    if (tcgetattr(fd, &saved) == 0) {
        bool changed = false;
        if (saved.c_lflag & ICANON) {
            termios look = saved;
            look.c_lflag &= ~static_cast<tcflag_t>(ICANON);
            look.c_cc[VMIN] = 0;
            look.c_cc[VTIME] = 0;
            changed = tcsetattr(fd, TCSANOW, &look) == 0;
            if (!changed) {
                pthread_sigmask(SIG_SETMASK, &before, nullptr);
                return 0;  // canonical input would not be readable key by key
            }
        }
        keys = readWaitingBytes(fd);
        if (changed) tcsetattr(fd, TCSANOW, &saved);
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return keys;
}

}  // namespace

bool consoleKeyEvent() {
    static ConsoleKeyCount keys;
    return keys.takeOne(readTerminalKeys);
}

}  // namespace os
