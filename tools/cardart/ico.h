// The icon file: images at 8 bits with a 256-colour palette and at 32 bits with
// alpha, each an uncompressed bitmap with a 1-bit AND mask.
#pragma once

#include "art.h"

#include <array>
#include <cstdint>
#include <vector>

namespace cardart {

struct PalettedImage {
    int width = 0;
    int height = 0;
    std::array<std::uint32_t, 256> palette{};  // 0x00RRGGBB; entry 0 is black, behind the mask
    std::vector<std::uint8_t> indices;          // row by row from the top
    std::vector<bool> transparent;              // the AND mask
};

// Reduces an image to 255 colours (median cut) plus the mask; alpha below
// half is transparent.
PalettedImage toPaletted(const Image& image);
// What the 8-bit entry shows, for looking at it.
Image fromPaletted(const PalettedImage& paletted);

struct IconImage {
    Image image;
    int bits;  // 8 or 32
};

std::vector<std::uint8_t> encodeIco(const std::vector<IconImage>& images);

}  // namespace cardart
