#include "tests/support/png_writer.h"

#include <png.h>

#include <vector>

#include "screen/surface.h"
#include "screen/window_backend.h"

bool writePng(const std::string& path, const std::uint32_t* pixels, int width, int height) {
    if (pixels == nullptr || width <= 0 || height <= 0) return false;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (std::size_t i = 0; i < static_cast<std::size_t>(width) * static_cast<std::size_t>(height); ++i) {
        rgb[3 * i] = static_cast<std::uint8_t>(pixels[i] >> 16);
        rgb[3 * i + 1] = static_cast<std::uint8_t>(pixels[i] >> 8);
        rgb[3 * i + 2] = static_cast<std::uint8_t>(pixels[i]);
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    const int ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr);
    png_image_free(&image);
    return ok != 0;
}

bool writeSurfacePng(const std::string& path) {
    std::vector<std::uint32_t> all(static_cast<std::size_t>(SURFACE_WIDTH) * SURFACE_HEIGHT);
    for (int y = 0; y < SURFACE_HEIGHT; ++y)
        for (int x = 0; x < SURFACE_WIDTH; ++x)
            all[static_cast<std::size_t>(y) * SURFACE_WIDTH + static_cast<std::size_t>(x)] = surface::pixel(x, y);
    return writePng(path, all.data(), SURFACE_WIDTH, SURFACE_HEIGHT);
}
