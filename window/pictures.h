// Which picture shows which card: file names of the art under assets/.
#pragma once

#include <string>

namespace pellora {

enum class Suit { Diamond, Club, Heart, Spade };  // element 0..3 of every rank row

// Element 0..3 of a rank row -> suit.
Suit suitOfElement(int element);
const char* suitName(Suit suit);  // "diamond", "club", "heart", "spade"
// True for the red cards: diamonds, hearts and the big joker.
bool isRedPicture(int row, int element);

// "A-diamond.png" ... "K-spade.png", "joker-big.png", "joker-small.png";
// empty for a picture that does not exist.
std::string cardPictureFile(int row, int element);

// Folder of the card pictures and the icon, relative to assets/.
constexpr const char* kCardPictureFolder = "cards";
constexpr const char* kIconFile = "pellora.ico";

}  // namespace pellora
