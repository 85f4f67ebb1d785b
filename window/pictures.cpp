#include "pictures.h"

#include "layout.h"
#include "tally.h"

#include <algorithm>

namespace pellora {

Suit suitOfElement(int element) {
    switch (element) {
        case 0: return Suit::Diamond;
        case 1: return Suit::Club;
        case 2: return Suit::Heart;
        default: return Suit::Spade;
    }
}

const char* suitName(Suit suit) {
    switch (suit) {
        case Suit::Diamond: return "diamond";
        case Suit::Club: return "club";
        case Suit::Heart: return "heart";
        case Suit::Spade: return "spade";
    }
    return "";
}

CardName cardName(int row, int element) {
    if (!isValidRow(row) || element < 0 || element >= picturesInRow(row)) return {"", ""};
    if (isJokerRow(row)) return {"", rowCaption(row)};
    switch (suitOfElement(element)) {
        case Suit::Diamond: return {"方块", rowCaption(row)};
        case Suit::Club: return {"梅花", rowCaption(row)};
        case Suit::Heart: return {"红桃", rowCaption(row)};
        case Suit::Spade: break;
    }
    return {"黑桃", rowCaption(row)};
}

bool isRedPicture(int row, int element) {
    if (row == kBigJokerRow) return true;
    if (row == kSmallJokerRow) return false;
    const Suit s = suitOfElement(element);
    return s == Suit::Diamond || s == Suit::Heart;
}

bool isArtScale(int scale) { return std::find(kArtScales.begin(), kArtScales.end(), scale) != kArtScales.end(); }

int artScaleForDpi(int dpi) {
    // The largest scale with scale / 100 <= dpi / 96, in whole numbers.
    const auto fits = [dpi](int scale) { return scale * 96 <= dpi * 100; };
    const auto it = std::find_if(kArtScales.rbegin(), kArtScales.rend(), fits);
    return it == kArtScales.rend() ? kArtScales.front() : *it;
}

PictureSize cardPictureSize(int scale) {
    if (!isArtScale(scale)) return {0, 0};
    // Halves round up: 14 x 125 % is 17.5, drawn 18 wide.
    return {(kCardPictureWidth * scale + 50) / 100, (kCardPictureHeight * scale + 50) / 100};
}

}  // namespace pellora
