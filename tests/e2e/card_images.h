// The card art as the files under assets/cards hold it, at one drawn scale,
// decoded here with WIC, independently of the copy compiled into Pellora.exe.
#pragma once

#include "screen.h"

#include <array>
#include <string>
#include <vector>

// The card pictures' size at 100 %.
constexpr int kArtWidth = 14;
constexpr int kArtHeight = 28;

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // row by row
    Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};
using CardImage = Image;

// Decodes an image file; on failure `error` says why.
bool decodeImage(const std::wstring& path, Image& image, std::string& error);

class CardImages {
public:
    // Decodes all 54 pictures drawn for `scale` (per cent) and checks their
    // size; on failure `error` names the file.
    bool load(const std::wstring& assetsFolder, int scale, std::string& error);
    bool load(const std::wstring& assetsFolder, std::string& error) { return load(assetsFolder, 100, error); }
    const CardImage& of(int card) const { return images_[static_cast<std::size_t>(card)]; }
    int scale() const { return scale_; }

private:
    int scale_ = 0;
    std::array<CardImage, 54> images_;  // by card (pictureTable()[card])
};
