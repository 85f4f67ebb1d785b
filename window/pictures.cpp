#include "pictures.h"

#include "tally.h"

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

bool isRedPicture(int row, int element) {
    if (row == kBigJokerRow) return true;
    if (row == kSmallJokerRow) return false;
    const Suit s = suitOfElement(element);
    return s == Suit::Diamond || s == Suit::Heart;
}

std::string cardPictureFile(int row, int element) {
    if (!isValidRow(row) || element < 0 || element >= picturesInRow(row)) return {};
    if (row == kBigJokerRow) return "joker-big.png";
    if (row == kSmallJokerRow) return "joker-small.png";
    return std::string(rankRows()[static_cast<std::size_t>(row - 1)].caption) + "-" +
           suitName(suitOfElement(element)) + ".png";
}

}  // namespace pellora
