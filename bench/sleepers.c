/* Holds N extra sleeping processes for the benchmarks: forks them, prints
 * "ready" once they all exist, and on SIGTERM, SIGINT or SIGHUP kills and
 * reaps every one. Each sleeper also dies with
 * this process (PR_SET_PDEATHSIG), so even a SIGKILL leaves nothing behind.
 *   sleepers N */
#define _GNU_SOURCE
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

static volatile sig_atomic_t stopping = 0;

static void onSignal(int sig) {
    (void)sig;
    stopping = 1;
}

int main(int argc, char** argv) {
    const int count = argc > 1 ? atoi(argv[1]) : 0;
    pid_t* pids = calloc(count > 0 ? (size_t)count : 1, sizeof *pids);
    if (!pids) return 1;
    struct sigaction sa = {0};
    sa.sa_handler = onSignal;
    sigaction(SIGTERM, &sa, NULL);
    sigaction(SIGINT, &sa, NULL);
    sigaction(SIGHUP, &sa, NULL);

    const pid_t parent = getpid();
    int made = 0;
    for (; made < count && !stopping; ++made) {
        const pid_t pid = fork();
        if (pid < 0) break;
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent) _exit(0);
            for (;;) pause();
        }
        pids[made] = pid;
    }
    printf("ready %d\n", made);
    fflush(stdout);

    /* The handlers are in place before the first fork, so a signal that
     * arrived meanwhile is seen here; sigsuspend closes the gap between the
     * test and the wait. */
    sigset_t blocked, old;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGTERM);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGHUP);
    sigprocmask(SIG_BLOCK, &blocked, &old);
    while (!stopping) sigsuspend(&old);
    for (int i = 0; i < made; ++i) kill(pids[i], SIGKILL);
    for (int i = 0; i < made; ++i) waitpid(pids[i], NULL, 0);
    free(pids);
    return made == count ? 0 : 1;
}
