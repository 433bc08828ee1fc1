// The PNG helper: what it writes reads back as the same pixels.
#include "tests/support/png_writer.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "screen/surface.h"
#include "screen/window_backend.h"

namespace {

std::vector<std::uint32_t> readPng(const std::string& path, int& width, int& height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    std::vector<std::uint32_t> out;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return out;
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        out.push_back(std::uint32_t(rgb[i]) << 16 | std::uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
    return out;
}

std::string tempPath(const char* name) { return ::testing::TempDir() + name; }

}  // namespace

TEST(PngWriter, PixelsReadBackUnchanged) {
    const std::vector<std::uint32_t> pixels = {0xE2E4EB, 0x0000FF, 0xFFFFFF, 0x000000, 0xFFFF00, 0xEE0000};
    const std::string path = tempPath("corv_png_3x2.png");
    ASSERT_TRUE(writePng(path, pixels.data(), 3, 2));
    int w = 0, h = 0;
    EXPECT_EQ(readPng(path, w, h), pixels);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 2);
    std::remove(path.c_str());
}

TEST(PngWriter, RefusesBadInput) {
    const std::uint32_t one = 0;
    EXPECT_FALSE(writePng(tempPath("x.png"), nullptr, 1, 1));
    EXPECT_FALSE(writePng(tempPath("x.png"), &one, 0, 1));
    EXPECT_FALSE(writePng("/nonexistent-dir/for/sure/x.png", &one, 1, 1));
}

TEST(PngWriter, TheSurfaceAsItIs) {
    surface::reset();
    ASSERT_TRUE(openWindow(800, 584));
    fillBox(10, 20, 30, 40, 0x123456);
    const std::string path = tempPath("corv_png_surface.png");
    ASSERT_TRUE(writeSurfacePng(path));
    int w = 0, h = 0;
    const auto back = readPng(path, w, h);
    ASSERT_EQ(back.size(), 800u * 584u);
    EXPECT_EQ(back[20 * 800 + 10], 0x123456u);
    EXPECT_EQ(back[41 * 800 + 10], 0u);
    surface::reset();
    std::remove(path.c_str());
}
