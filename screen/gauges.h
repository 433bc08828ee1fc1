// The gauge texts in the bottom bar.
#pragma once

#include <cstdint>
#include <string>

// "%.7g" of the widened value, with a trailing "." removed.
std::string clockText(float gigahertz);

void drawCpuGauge(std::int32_t load, float clockGHz);
void drawMemoryGauge(std::uint32_t memoryLoad, std::int32_t totalMB);
