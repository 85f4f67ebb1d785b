// The card pictures' file names. Kept apart from pictures.cpp: only the
// tools, the tests and the Linux program read the art from files, and
// Pellora.exe, which reads it from its resources, then links no string code.
#include "pictures.h"

#include "layout.h"
#include "tally.h"

namespace pellora {

std::string cardPictureFile(int row, int element) {
    if (!isValidRow(row) || element < 0 || element >= picturesInRow(row)) return {};
    if (row == kBigJokerRow) return "joker-big.png";
    if (row == kSmallJokerRow) return "joker-small.png";
    return std::string(rowCaption(row)) + "-" +
           suitName(suitOfElement(element)) + ".png";
}

std::string cardPicturePath(int row, int element, int scale) {
    const std::string file = cardPictureFile(row, element);
    if (file.empty() || !isArtScale(scale)) return {};
    std::string path = std::string(kCardPictureFolder) + "/";
    if (scale != 100) path += std::to_string(scale) + "/";
    return path + file;
}

}  // namespace pellora
