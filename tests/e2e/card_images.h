// The card art as the files under assets/cards hold it, decoded here with
// WIC, independently of the copy compiled into Pellora.exe.
#pragma once

#include "screen.h"

#include <array>
#include <string>
#include <vector>

constexpr int kArtWidth = 14;
constexpr int kArtHeight = 28;

struct CardImage {
    std::vector<Rgb> pixels;  // kArtWidth * kArtHeight, row by row
    Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y * kArtWidth + x)]; }
};

class CardImages {
public:
    // Decodes all 54 pictures; on failure `error` names the file.
    bool load(const std::wstring& assetsFolder, std::string& error);
    const CardImage& of(int row, int element) const;

private:
    std::array<CardImage, 60> images_;  // (row - 1) * 4 + element
};
