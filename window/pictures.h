// The card pictures as files: the drawn scales, their sizes, and where each
// card's art lies under assets/.
#pragma once

#include <array>
#include <cstddef>
#include <string>

namespace pellora {

// The card pictures are drawn natively at these display scales, in per cent
// of 96 dpi; 100 is the 14 x 28 set.
constexpr std::array<int, 7> kArtScales = {100, 125, 150, 175, 200, 250, 300};
constexpr int kCardPictureWidth = 14;   // at 100 %
constexpr int kCardPictureHeight = 28;

bool isArtScale(int scale);
// The art to show at `dpi`: the largest drawn scale not above dpi / 96; 100
// below 96 dpi, where nothing smaller exists.
int artScaleForDpi(int dpi);

struct PictureSize {
    int width;
    int height;
};
// round(14 s) x round(28 s) for a drawn scale; 0 x 0 for any other.
PictureSize cardPictureSize(int scale);

// Relative to assets/: "cards/K-diamond.png" at 100, "cards/150/K-diamond.png"
// at 150, "cards/joker-big.png"; written into `out` (always terminated).
// Returns its length, 0 (and an empty text) for a card or scale that does not
// exist or a path longer than `size`. No string type: Pellora.exe uses it.
std::size_t cardPicturePath(int card, int scale, char* out, std::size_t size);
// The same as a string, for the tools, the tests and the Linux program.
std::string cardPicturePath(int card, int scale);
// Only the file's name: "K-diamond.png", "joker-small.png".
std::string cardPictureFile(int card);

// Pellora.exe carries each card picture as an RCDATA resource with this id;
// 0 for a card or scale that has none. The art generator lists every
// picture's id and path in kCardPictureList for the build.
int cardResourceId(int card, int scale);
constexpr const char* kCardPictureList = "cards/index.txt";

// The icon, relative to assets/.
constexpr const char* kIconFile = "pellora.ico";

}  // namespace pellora
