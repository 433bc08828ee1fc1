// The library's measurements: CPU load and shares, memory, clock, ending a
// process.
#include "libprobe/corvprobe.h"
#include "libprobe/probe_figures.h"
#include "libprobe/probe_state.h"
#include "os/cycle_window.h"

using namespace cvp;

extern "C" {

CVP_API int32_t CVP_CALL cvcpu(void) {
    os::SystemTimes now;
    if (!os::systemTimes(now)) now = os::SystemTimes{};
    std::int64_t dIdle = 0, dKernel = 0, dUser = 0, delta = 0;
    const bool fits = difference(now.idle, probePrevSystemTimes.idle, dIdle) &&
                      difference(now.kernel, probePrevSystemTimes.kernel, dKernel) &&
                      difference(now.user, probePrevSystemTimes.user, dUser) && sum(dKernel, dUser, delta);
    std::int64_t busy = 0;
    std::int32_t load = 0;
    if (fits && difference(delta, dIdle, busy)) {
        load = percentOf(busy, delta);
    } else {
        delta = 0;  // times that cannot be told apart: nothing measurable passed
    }
    probeSystemTimeDelta = delta;
    probePrevSystemTimes = now;
    return load;
}

CVP_API int32_t CVP_CALL cvpcpu(int32_t index) {
    if (!validIndex(index)) return 0;
    const std::size_t at = static_cast<std::size_t>(index);
    const os::ProcessSample sample = sampleOfIndex(at);
    const std::int64_t kernel = sample.opened ? sample.kernelTime : 0;
    const std::int64_t user = sample.opened ? sample.userTime : 0;
    std::int64_t dKernel = 0, dUser = 0, used = 0;
    std::int32_t share = 0;
    if (difference(kernel, probePrevKernelTime[at], dKernel) && difference(user, probePrevUserTime[at], dUser) &&
        sum(dKernel, dUser, used)) {
        share = percentOf(used, probeSystemTimeDelta);
    }
    probeTable[at].cpuPercent = share;
    probePrevKernelTime[at] = kernel;
    probePrevUserTime[at] = user;
    return share;
}

CVP_API int32_t CVP_CALL cvpram(int32_t index) {
    if (!validIndex(index)) return 0;
    const std::size_t at = static_cast<std::size_t>(index);
    const os::ProcessSample sample = sampleOfIndex(at);
    // The whole working set: on 64-bit systems it may pass 4 GiB.
    const std::int32_t kb = sample.opened ? kilobytes(sample.workingSetBytes) : 0;
    probeTable[at].ramKB = kb;
    return kb;
}

CVP_API int32_t CVP_CALL cvram(void) {
    os::MemoryStatus status;
    if (!os::memoryStatus(status)) status = os::MemoryStatus{};
    return kilobytes(status.totalBytes);
}

CVP_API int32_t CVP_CALL cvusedram(void) {
    os::MemoryStatus status;
    if (!os::memoryStatus(status)) status = os::MemoryStatus{};
    return usedKilobytes(status.totalBytes, status.availableBytes);
}

CVP_API float CVP_CALL cvclock(void) {
    const os::CycleWindow window = os::countCyclesOverTenMilliseconds();
    // The low 32 bits wrap; their difference as a signed value does not care.
    const std::int32_t ticks = static_cast<std::int32_t>(window.after - window.before);
    return gigahertzFromTicks(ticks);
}

CVP_API int32_t CVP_CALL cvpkill(int32_t pid) {
    // 0 and negative values name no single process (on Linux they would
    // address process groups, or every process the caller may signal).
    if (pid <= 0) return 0;
    return os::terminateProcess(pid) ? 1 : 0;
}

}  // extern "C"
