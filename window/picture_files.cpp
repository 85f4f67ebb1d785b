// The card pictures' paths as strings. Kept apart from pictures.cpp: only the
// tools, the tests and the Linux program want them so, and Pellora.exe, which
// reads its art from its resources, then links no string code.
#include "pictures.h"

namespace pellora {

std::string cardPicturePath(int card, int scale) {
    char path[64];
    return cardPicturePath(card, scale, path, sizeof(path)) ? std::string(path) : std::string();
}

std::string cardPictureFile(int card) {
    const std::string path = cardPicturePath(card, 100);
    return path.empty() ? path : path.substr(path.find('/') + 1);
}

}  // namespace pellora
