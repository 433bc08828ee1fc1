// Runs the process layer in a fresh process with a soft descriptor limit of
// 512 and prints what became of the limit and how many descriptors stayed
// open:
//   descriptor_probe program        the layer linked into this program
//   descriptor_probe library PATH   the layer inside libcorvprobe, loaded and
//                                   unloaded again
#include <dirent.h>
#include <dlfcn.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "os/os.h"

namespace {

int openDescriptorCount() {
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    while (dirent* e = readdir(dir)) count += e->d_name[0] != '.';
    closedir(dir);
    return count - 1;
}

long softLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    return static_cast<long>(limit.rlim_cur);
}

}  // namespace

int main(int argc, char** argv) {
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = 512;
    if (argc < 2 || setrlimit(RLIMIT_NOFILE, &limit) != 0) return 2;
    if (std::strcmp(argv[1], "program") == 0) {
        const int before = openDescriptorCount();
        // The first descriptor kept settles the policy.
        std::vector<os::ProcessInfo> list;
        os::snapshotProcesses(list);
        std::printf("soft %ld kept %d\n", softLimit(), openDescriptorCount() - before);
        return 0;
    }
    if (std::strcmp(argv[1], "library") == 0 && argc == 3) {
        void* library = dlopen(argv[2], RTLD_NOW);
        if (!library) return 3;
        using Count = std::int32_t (*)();
        using Index = std::int32_t (*)(std::int32_t);
        auto cvplist = reinterpret_cast<Count>(dlsym(library, "cvplist"));
        auto cvpcpu = reinterpret_cast<Index>(dlsym(library, "cvpcpu"));
        auto cvcpu = reinterpret_cast<Count>(dlsym(library, "cvcpu"));
        auto cvusedram = reinterpret_cast<Count>(dlsym(library, "cvusedram"));
        if (!cvplist || !cvpcpu || !cvcpu || !cvusedram) return 4;
        const int before = openDescriptorCount();
        std::int32_t n = 0;
        for (int cycle = 0; cycle < 3; ++cycle) {
            cvcpu();
            cvusedram();
            n = cvplist();
            for (std::int32_t i = 1; i <= n; ++i) cvpcpu(i);
        }
        const int kept = openDescriptorCount() - before;
        dlclose(library);
        std::printf("soft %ld kept %d listed %d left %d\n", softLimit(), kept, n, openDescriptorCount() - before);
        return 0;
    }
    return 2;
}
