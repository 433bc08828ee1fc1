// The gauge texts in the bottom bar.
#pragma once

#include <cstdint>

void drawCpuGauge(std::int32_t load, float clockGHz);
void drawMemoryGauge(std::uint32_t memoryLoad, std::int32_t totalMB);
