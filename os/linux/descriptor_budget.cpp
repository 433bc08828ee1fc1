#include "os/linux/descriptor_budget.h"

#include <dlfcn.h>
#include <sys/auxv.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace linuxproc {

namespace {

constexpr rlim_t PROGRAM_LIMIT_CEILING = 65536;
constexpr int PROGRAM_RESERVE = 256;
constexpr int LIBRARY_CAP = 128;

std::once_flag policyOnce;
std::atomic<int> cap{0};
std::atomic<int> kept{0};

int policyCap() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
    if (runsInMainProgram()) {
        const rlim_t wanted = std::min(limit.rlim_max, PROGRAM_LIMIT_CEILING);
        if (limit.rlim_cur < wanted) {
            rlimit raised = limit;
            raised.rlim_cur = wanted;
            if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
        }
        const rlim_t soft = std::min(limit.rlim_cur, PROGRAM_LIMIT_CEILING);
        return std::max(0, static_cast<int>(soft) - PROGRAM_RESERVE);
    }
    const rlim_t soft = std::min(limit.rlim_cur, rlim_t{1} << 20);
    return std::min(LIBRARY_CAP, static_cast<int>(soft / 8));
}

void settlePolicy() {
    std::call_once(policyOnce, [] { cap.store(policyCap()); });
}

}  // namespace

bool runsInMainProgram() {
    // The main program's headers lie in its own image; compare the image
    // that holds them with the one that holds this function. A library is
    // always known to the dynamic loader: code it cannot place belongs to a
    // statically linked program.
    Dl_info self{}, program{};
    if (!dladdr(reinterpret_cast<const void*>(&runsInMainProgram), &self)) return true;
    const void* headers = reinterpret_cast<const void*>(getauxval(AT_PHDR));
    if (!headers || !dladdr(headers, &program)) return false;
    return self.dli_fbase == program.dli_fbase;
}

bool takeDescriptor() {
    settlePolicy();
    int now = kept.load();
    do {
        if (now >= cap.load()) return false;
    } while (!kept.compare_exchange_weak(now, now + 1));
    return true;
}

void returnDescriptor() { kept.fetch_sub(1); }

void shrinkDescriptorCap() {
    settlePolicy();
    cap.store(std::max(0, kept.load() - PROGRAM_RESERVE / 4));
}

int keptDescriptorCount() { return kept.load(); }

int descriptorCap() {
    settlePolicy();
    return cap.load();
}

void setDescriptorCapForTesting(int value) {
    settlePolicy();
    cap.store(value >= 0 ? value : policyCap());
}

}  // namespace linuxproc
