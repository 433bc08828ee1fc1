/* Lists every process with its CPU share and working set, twice a second
 * for five rounds, using corvprobe.
 *   cc list_processes.c $(pkg-config --cflags --libs corvprobe)   (Linux)
 *   i686-w64-mingw32-gcc list_processes.c -I<prefix>/include -L<prefix>/lib -lcorvprobe
 */
#include <stdio.h>

#include "corvprobe.h"

int main(void) {
    printf("%d KB of %d KB in use, CPU at %.2f GHz\n", cvusedram(), cvram(), cvclock());
    cvcpu(); /* starts the measuring interval */
    for (int round = 0; round < 5; ++round) {
        int32_t n = cvplist();
        cvsleep(500, 1);
        printf("CPU load %d %%\n", cvcpu());
        for (int32_t i = 1; i <= n; ++i) {
            /* The first round measures each process from its start. */
            printf("%6d  %-29s %4d %% %8d KB\n", cvpid(i), cvpnam(i), cvpcpu(i), cvpram(i));
        }
    }
    return 0;
}
