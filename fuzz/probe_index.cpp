// The corvprobe library's table functions on the scripted OS: arbitrary
// process tables (long names, NULs, processes that cannot be opened, wild
// times), arbitrary call sequences and indices, against a model of the
// table and of the previous times that belong to each index.
//
// Input: operations until the input ends.
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "libprobe/corvprobe.h"
#include "libprobe/probe_state.h"
#include "tests/fake/fake_os.h"

namespace {

// Exact models in 128 bits, an extension of GCC and Clang.
__extension__ typedef __int128 Int128;

std::int64_t time64(fuzz::Input& in) {
    const std::uint8_t how = in.byte();
    switch (how % 8) {
        case 0: return std::numeric_limits<std::int64_t>::min() + (how >> 3);
        case 1: return std::numeric_limits<std::int64_t>::max() - (how >> 3);
        case 2: return in.i64();
        default: return static_cast<std::int64_t>(in.u32() % 100000000);
    }
}

// nearest(part * 100 / whole), halves to even, or nullopt-like -1 when the
// exact figure is too large to be told from its floating-point form.
std::int64_t exactPercent(std::int64_t part, std::int64_t whole) {
    if (whole == 0) return 0;
    Int128 scaled = static_cast<Int128>(part) * 100;
    if (scaled > std::numeric_limits<std::int64_t>::max() || scaled < std::numeric_limits<std::int64_t>::min())
        return 0;
    Int128 w = whole;
    if (w < 0) {
        w = -w;
        scaled = -scaled;
    }
    if (scaled < 0) return 0;
    if (w > (1 << 20) || scaled / w > (1 << 24)) return -1;
    const Int128 q = scaled / w, r = scaled % w;
    Int128 out = q;
    if (2 * r > w || (2 * r == w && (q & 1))) out = q + 1;
    return static_cast<std::int64_t>(out);
}

bool diff(std::int64_t a, std::int64_t b, std::int64_t& out) { return !__builtin_sub_overflow(a, b, &out); }
bool add(std::int64_t a, std::int64_t b, std::int64_t& out) { return !__builtin_add_overflow(a, b, &out); }

struct Listed {
    std::int32_t pid;
    std::string name;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    fakeos::reset();
    cvp::resetProbeState();

    std::vector<Listed> table;                             // the last cvplist, index k at k - 1
    std::vector<std::int64_t> prevKernel(1), prevUser(1);  // owned by the index
    os::SystemTimes prevSystem;
    std::int64_t systemDelta = 0;

    std::size_t ops = 0;
    while (!in.done() && ++ops < 500) {
        const std::uint8_t op = in.byte() % 10;
        const std::int32_t n = static_cast<std::int32_t>(table.size());
        switch (op) {
            case 0: {
                std::vector<fakeos::Process>& processes = fakeos::state().processes;
                processes.clear();
                const int count = in.byte() % 70;
                for (int k = 0; k < count; ++k) {
                    fakeos::Process p;
                    p.pid = in.edgyInt(0, 70000);
                    p.name = in.text(60);
                    p.openable = in.byte() % 5 != 0;
                    p.kernelTime = time64(in);
                    p.userTime = time64(in);
                    p.workingSetBytes = in.byte() % 4 == 0 ? in.u64() : in.u32();
                    processes.push_back(p);
                }
                fakeos::state().snapshotFails = in.byte() % 10 == 0;
                [[fallthrough]];
            }
            case 1: {
                const std::int32_t previous = n;
                table.clear();
                if (!fakeos::state().snapshotFails) {
                    for (const fakeos::Process& p : fakeos::state().processes) {
                        table.push_back({p.pid, p.name});
                        const std::size_t k = table.size();
                        // Grown one step at a time past the previous count:
                        // what still fits is kept, what is new is zero.
                        if (static_cast<std::int32_t>(k) > previous) {
                            prevKernel.resize(k + 1);
                            prevUser.resize(k + 1);
                        }
                    }
                }
                FUZZ_CHECK(cvplist() == static_cast<std::int32_t>(table.size()));
                break;
            }
            case 2: {
                const std::int32_t index = in.edgyInt(-2, n + 3);
                const char* name = cvpnam(index);
                FUZZ_CHECK(name != nullptr);
                if (index >= 1 && index <= n) {
                    const std::string& full = table[static_cast<std::size_t>(index - 1)].name;
                    std::string want = full.substr(0, 29);
                    want = want.substr(0, want.find('\0'));
                    FUZZ_CHECK(std::memchr(name, 0, 30) != nullptr);
                    FUZZ_CHECK(std::strlen(name) <= 29 && want == name);
                } else {
                    FUZZ_CHECK(name[0] == '\0');
                }
                break;
            }
            case 3: {
                const std::int32_t index = in.edgyInt(-2, n + 3);
                const bool valid = index >= 1 && index <= n;
                FUZZ_CHECK(cvpid(index) == (valid ? table[static_cast<std::size_t>(index - 1)].pid : 0));
                break;
            }
            case 4: {
                const std::int32_t index = in.edgyInt(-2, n + 3);
                std::int64_t want = 0;
                if (index >= 1 && index <= n) {
                    const fakeos::Process* p = fakeos::find(table[static_cast<std::size_t>(index - 1)].pid);
                    if (p && p->openable) {
                        const std::uint64_t q = p->workingSetBytes >> 10, r = p->workingSetBytes & 1023;
                        std::uint64_t kb = q + ((r > 512 || (r == 512 && (q & 1))) ? 1 : 0);
                        want = kb > 2147483647u ? 2147483647 : static_cast<std::int64_t>(kb);
                    }
                }
                FUZZ_CHECK(cvpram(index) == want);
                break;
            }
            case 5: {
                const std::int32_t index = in.edgyInt(-2, n + 3);
                const std::int32_t share = cvpcpu(index);
                FUZZ_CHECK(share >= 0);
                if (index < 1 || index > n) {
                    FUZZ_CHECK(share == 0);
                    break;
                }
                const std::size_t at = static_cast<std::size_t>(index);
                const fakeos::Process* p = fakeos::find(table[at - 1].pid);
                const std::int64_t kernel = p && p->openable ? p->kernelTime : 0;
                const std::int64_t user = p && p->openable ? p->userTime : 0;
                std::int64_t dk = 0, du = 0, used = 0, want = 0;
                if (diff(kernel, prevKernel[at], dk) && diff(user, prevUser[at], du) && add(dk, du, used)) {
                    want = exactPercent(used, systemDelta);
                }
                if (want > 2147483647) want = 0;
                if (want >= 0) FUZZ_CHECK(share == want);
                prevKernel[at] = kernel;
                prevUser[at] = user;
                break;
            }
            case 6: {
                os::SystemTimes now{time64(in), time64(in), time64(in)};
                const bool fails = in.byte() % 8 == 0;
                fakeos::state().systemTimes = now;
                fakeos::state().systemTimesFail = fails;
                if (fails) now = os::SystemTimes{};
                std::int64_t di = 0, dk = 0, du = 0, delta = 0, busy = 0, want = 0;
                if (diff(now.idle, prevSystem.idle, di) && diff(now.kernel, prevSystem.kernel, dk) &&
                    diff(now.user, prevSystem.user, du) && add(dk, du, delta) && diff(delta, di, busy)) {
                    want = exactPercent(busy, delta);
                } else {
                    delta = 0;
                }
                if (want > 2147483647) want = 0;
                const std::int32_t load = cvcpu();
                FUZZ_CHECK(load >= 0);
                if (want >= 0) FUZZ_CHECK(load == want);
                systemDelta = delta;
                prevSystem = now;
                break;
            }
            case 7: {
                // A listed process moves on: new times, new working set, or gone from reach.
                std::vector<fakeos::Process>& processes = fakeos::state().processes;
                if (processes.empty()) break;
                fakeos::Process& p = processes[in.byte() % processes.size()];
                p.kernelTime = time64(in);
                p.userTime = time64(in);
                p.workingSetBytes = in.u64() >> (in.byte() % 64);
                p.openable = in.byte() % 4 != 0;
                break;
            }
            default: {
                const std::int32_t pid = in.edgyInt(-2, 70000);
                const bool exists = fakeos::find(pid) != nullptr;
                FUZZ_CHECK(cvpkill(pid) == (pid > 0 && exists ? 1 : 0));
                break;
            }
        }
    }
    return 0;
}
