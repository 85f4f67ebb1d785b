// Which picture shows which card: file names of the art under assets/.
#pragma once

#include <array>
#include <string>

namespace pellora {

enum class Suit { Diamond, Club, Heart, Spade };  // element 0..3 of every rank row

// Element 0..3 of a rank row -> suit.
Suit suitOfElement(int element);
const char* suitName(Suit suit);  // "diamond", "club", "heart", "spade"
// The card's name as a screen reader says it: the suit, then the rank, in
// Chinese ("方块K", "黑桃10"); the jokers are "大王" and "小王". UTF-8, in two
// parts, so that no string type is needed: `suit` is empty for a joker, and
// both are empty for a picture that does not exist.
struct CardName {
    const char* suit;
    const char* rank;
};
CardName cardName(int row, int element);
// The accessible description of a rank or joker button: "剩 3 张" (3 left)
// is kRemainingBefore, the number, kRemainingAfter.
constexpr const char* kRemainingBefore = "剩 ";
constexpr const char* kRemainingAfter = " 张";

// True for the red cards: diamonds, hearts and the big joker.
bool isRedPicture(int row, int element);

// "A-diamond.png" ... "K-spade.png", "joker-big.png", "joker-small.png";
// empty for a picture that does not exist.
std::string cardPictureFile(int row, int element);

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
// at 150; empty for a picture or scale that does not exist.
std::string cardPicturePath(int row, int element, int scale);

// Folder of the card pictures and the icon, relative to assets/.
constexpr const char* kCardPictureFolder = "cards";
constexpr const char* kIconFile = "pellora.ico";

}  // namespace pellora
