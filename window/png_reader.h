// Reads the card pictures' PNG files without any platform image library, so
// the Windows program needs neither COM nor WIC to start. Reads grey and
// palette pictures at 1, 2, 4 or 8 bits and 8-bit RGB and RGBA; not
// interlaced. Hostile input gives an error, never a read or write out of bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pellora {

// Wider or taller pictures are refused: the largest card is far smaller, and
// the cap keeps a forged header from asking for gigabytes.
constexpr int kPngMaxSide = 1024;

struct PngImage {
    int width = 0;
    int height = 0;
    // Top-down rows of straight (not premultiplied) R, G, B, A bytes;
    // A is 255 for pictures without alpha.
    std::vector<std::uint8_t> rgba;
};

// Decodes `size` bytes at `data` into `image`. Returns an empty string on
// success, else what is wrong with the file (and `image` is left empty).
std::string readPng(const std::uint8_t* data, std::size_t size, PngImage& image);

}  // namespace pellora
