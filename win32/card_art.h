// The 54 card pictures at each drawn scale, decoded from the program's own
// resources (PNG) into one bitmap a scale, ready to blit. A scale is decoded
// the first time it is needed and kept: start-up decodes only the one it shows.
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

    // All the pictures drawn for `scale`, side by side in card order (card
    // c's at c times its width); null for a scale that does not exist or is
    // not loaded. One bitmap, not 54: one allocation to make and one to
    // select when painting.
    HBITMAP sheet(int scale) const;

private:
    std::array<Bitmap, kArtScales.size()> sheets_{};  // by scale
};

}  // namespace pellora
