// The 54 card pictures at each drawn scale, decoded from the program's own
// resources (PNG) into bitmaps ready to blit. A scale is decoded the first
// time it is needed and kept: start-up decodes only the one it shows.
#pragma once

#include <windows.h>

#include <array>

#include "pictures.h"
#include "text.h"

namespace pellora {

class CardArt {
public:
    CardArt() = default;
    ~CardArt();
    CardArt(const CardArt&) = delete;
    CardArt& operator=(const CardArt&) = delete;

    // Decodes the 54 pictures drawn for `scale` (one of kArtScales), unless
    // that is done already. On failure returns false
    // and `error` names the picture and what went wrong; that scale's pictures
    // decoded so far are released.
    bool load(HINSTANCE instance, int scale, Text& error);
    bool loaded(int scale) const;

    // The picture of a row's element at `scale`; null for a picture or scale
    // that does not exist or is not loaded.
    HBITMAP bitmap(int scale, int row, int element) const;

private:
    using ScaleSet = std::array<HBITMAP, 15 * 4>;  // by (row - 1) * 4 + element
    void release(ScaleSet& set);

    std::array<ScaleSet, kArtScales.size()> scales_{};
};

}  // namespace pellora
