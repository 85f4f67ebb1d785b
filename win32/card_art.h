// The 54 card pictures at each drawn scale, decoded from the program's own
// resources (PNG) into bitmaps ready to blit. A scale is decoded the first
// time it is needed and kept: start-up decodes only the one it shows.
#pragma once

#include <windows.h>

#include <array>

#include "handles.h"
#include "pictures.h"
#include "tally.h"
#include "text.h"

namespace pellora {

class CardArt {
public:
    CardArt() = default;
    CardArt(const CardArt&) = delete;
    CardArt& operator=(const CardArt&) = delete;

    // Decodes the 54 pictures drawn for `scale` (one of kArtScales), unless
    // that is done already. On failure returns false and `error` names the
    // picture and what went wrong; nothing of that scale is kept.
    bool load(HINSTANCE instance, int scale, Text& error);
    bool loaded(int scale) const;

    // A card's picture at `scale`; null for a card or scale that does not
    // exist or is not loaded.
    HBITMAP bitmap(int scale, int card) const;

private:
    using ScaleSet = std::array<Bitmap, kCardCount>;  // by card
    std::array<ScaleSet, kArtScales.size()> scales_{};
};

}  // namespace pellora
