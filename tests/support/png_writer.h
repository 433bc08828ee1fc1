// Writes pictures as PNG files, for tests and tools (Linux builds only).
#pragma once

#include <cstdint>
#include <string>

// `pixels` holds width*height 0x00RRGGBB values, rows top to bottom.
bool writePng(const std::string& path, const std::uint32_t* pixels, int width, int height);

// The drawing surface's framebuffer as it is now.
bool writeSurfacePng(const std::string& path);
