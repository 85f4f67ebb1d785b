// The card pictures decode to exactly the pixels cairo (libpng) reads from the
// same files, which are the pixels the art tool drew; damaged files give an
// error, never a crash or a read out of bounds (this also runs under ASan/UBSan).
#include "card_png.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using pellora::PngPixels;

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Premultiplied 0xAARRGGBB, as cairo keeps pixels, for a straight RGBA pixel.
std::uint32_t cairoPixel(const std::uint8_t* rgba) {
    const unsigned a = rgba[3];
    auto mul = [a](unsigned c) {
        const unsigned t = c * a + 0x80;
        return ((t >> 8) + t) >> 8;
    };
    return a << 24 | mul(rgba[0]) << 16 | mul(rgba[1]) << 8 | mul(rgba[2]);
}

void expectSamePixels(const std::filesystem::path& file, const PngPixels& ours) {
    cairo_surface_t* surface = cairo_image_surface_create_from_png(file.c_str());
    ASSERT_EQ(cairo_surface_status(surface), CAIRO_STATUS_SUCCESS) << file;
    const int width = cairo_image_surface_get_width(surface), height = cairo_image_surface_get_height(surface);
    const bool alpha = cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32;
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    EXPECT_EQ(ours.width(), width) << file;
    EXPECT_EQ(ours.height(), height) << file;
    int wrong = 0;
    for (int y = 0; y < height && ours.width() == width && ours.height() == height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint32_t theirs;
            std::memcpy(&theirs, data + y * stride + x * 4, 4);
            if (!alpha) theirs |= 0xFF000000u;  // cairo leaves RGB24's top byte undefined
            const std::uint32_t mine = cairoPixel(ours.rgba() + (y * width + x) * 4);
            if (mine != theirs && ++wrong <= 3)
                ADD_FAILURE() << file << ": pixel " << x << ", " << y << " is " << std::hex << mine << ", cairo reads "
                              << theirs;
        }
    EXPECT_EQ(wrong, 0) << file;
    cairo_surface_destroy(surface);
}

TEST(CardPng, EveryCommittedPictureDecodesAsCairoReadsIt) {
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(PELLORA_ASSETS_DIR "/cards")) {
        if (entry.path().extension() != ".png") continue;
        ++files;
        const Bytes file = readFile(entry.path());
        const PngPixels pixels(file.data(), file.size());
        ASSERT_TRUE(pixels.ok()) << entry.path() << ": " << pixels.failure();
        EXPECT_EQ(pixels.failure(), nullptr);
        expectSamePixels(entry.path(), pixels);
    }
    EXPECT_EQ(files, 54 * 7);  // every card at every drawn scale
}

void expectRefused(const Bytes& file, const std::string& what) {
    const PngPixels pixels(file.data(), file.size());
    EXPECT_FALSE(pixels.ok()) << what;
    EXPECT_EQ(pixels.rgba(), nullptr) << what;
    EXPECT_EQ(pixels.width(), 0) << what;
    ASSERT_NE(pixels.failure(), nullptr) << what;
    EXPECT_STRNE(pixels.failure(), "") << what;
}

TEST(CardPng, RefusesDamagedFiles) {
    const Bytes good = readFile(PELLORA_ASSETS_DIR "/cards/K-heart.png");
    ASSERT_GT(good.size(), 33U);
    // Any cut before IEND's checksum, which stb_image does not read.
    for (std::size_t n = 0; n < good.size() - 4; ++n)
        expectRefused(Bytes(good.begin(), good.begin() + static_cast<long>(n)), "cut to " + std::to_string(n));

    Bytes notPng = good;
    notPng[1] = 'J';
    expectRefused(notPng, "signature");

    const PngPixels nothing(nullptr, 100);
    EXPECT_FALSE(nothing.ok());
    EXPECT_NE(nothing.failure(), nullptr);
}

cairo_status_t appendTo(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<Bytes*>(closure)->insert(static_cast<Bytes*>(closure)->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

Bytes blankPng(int width, int height) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    Bytes file;
    EXPECT_EQ(cairo_surface_write_to_png_stream(surface, appendTo, &file), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);
    return file;
}

TEST(CardPng, RefusesPicturesWiderOrTallerThan1024) {
    const Bytes widest = blankPng(1024, 1), tallest = blankPng(1, 1024);
    EXPECT_TRUE(PngPixels(widest.data(), widest.size()).ok());
    EXPECT_TRUE(PngPixels(tallest.data(), tallest.size()).ok());
    expectRefused(blankPng(1025, 1), "1025 pixels wide");
    expectRefused(blankPng(1, 1025), "1025 pixels high");
}

}  // namespace
