#include "probe/cpu_load.h"

#include "figures/rounding.h"
#include "os/os.h"
#include "probe/time_arithmetic.h"
#include "state/monitor_state.h"

CpuLoad cpuLoadFromDeltas(std::int64_t dIdle, std::int64_t dKernel, std::int64_t dUser) {
    CpuLoad out;
    out.systemTimeDelta = timearith::plus(dKernel, dUser);
    const std::int64_t busy = timearith::times100(timearith::minus(out.systemTimeDelta, dIdle));
    out.load = rounding::sharePercent(busy, out.systemTimeDelta);
    return out;
}

std::int32_t measureCpuLoad() {
    MonitorState& s = monitorState;
    os::SystemTimes now;
    os::systemTimes(now);  // a failed query leaves three zeros, which flow on
    const CpuLoad figures = cpuLoadFromDeltas(timearith::minus(now.idle, s.prevSystemIdleTime),
                                              timearith::minus(now.kernel, s.prevSystemKernelTime),
                                              timearith::minus(now.user, s.prevSystemUserTime));
    s.systemTimeDelta = figures.systemTimeDelta;
    s.prevSystemIdleTime = now.idle;
    s.prevSystemKernelTime = now.kernel;
    s.prevSystemUserTime = now.user;
    return figures.load;
}
