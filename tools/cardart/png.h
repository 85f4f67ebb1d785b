// A small PNG writer with fixed output: 8-bit RGB or RGBA, no interlace, stored
// (uncompressed) deflate blocks and no optional chunks, so the bytes depend on
// nothing but the pixels, not on the zlib or libpng version at hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cardart {

// `pixels` holds 0xAARRGGBB, unpremultiplied, row by row from the top.
std::vector<std::uint8_t> encodePng(int width, int height, const std::vector<std::uint32_t>& pixels,
                                    bool withAlpha);

// Writes the bytes or throws std::runtime_error naming the path.
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace cardart
