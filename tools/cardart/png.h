// A small PNG writer with fixed output: no interlace and no optional chunks,
// the data deflated by zlib at fixed settings, so the bytes depend on nothing
// but the pixels and the zlib version.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cardart {

// `pixels` holds 0xAARRGGBB, unpremultiplied, row by row from the top.
// 8-bit RGB, or RGBA with `withAlpha`, deflated quickly: for large pictures
// that are looked at, not stored.
std::vector<std::uint8_t> encodePng(int width, int height, const std::vector<std::uint32_t>& pixels,
                                    bool withAlpha);

// The smallest PNG of an opaque picture, losslessly: grey when every pixel
// is grey, or a palette of at most 256 colours, at the fewest bits per pixel
// that hold it and with the row filters that deflate best. Throws
// std::invalid_argument for a coloured picture of more than 256 colours.
std::vector<std::uint8_t> encodeCompactPng(int width, int height, const std::vector<std::uint32_t>& pixels);

// Writes the bytes or throws std::runtime_error naming the path.
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace cardart
