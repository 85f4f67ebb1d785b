#include "pictures.h"

#include "board.h"

#include <algorithm>

namespace pellora {

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

int cardResourceId(int card, int scale) {
    const auto scaleIndex = std::find(kArtScales.begin(), kArtScales.end(), scale) - kArtScales.begin();
    if (card < 0 || card >= kCardCount || scaleIndex == static_cast<std::ptrdiff_t>(kArtScales.size())) return 0;
    return 2000 + 100 * static_cast<int>(scaleIndex) + card;
}

namespace {

// Appends to a fixed buffer; `ok` turns false once something does not fit.
class PathWriter {
public:
    PathWriter(char* out, std::size_t size) : out_(out), size_(size) {}
    PathWriter& operator<<(const char* text) {
        for (; ok_ && *text; ++text) {
            if (length_ + 1 >= size_) ok_ = false;
            else out_[length_++] = *text;
        }
        out_[ok_ ? length_ : 0] = '\0';
        return *this;
    }
    PathWriter& operator<<(int number) {
        char digits[12];
        std::size_t n = sizeof(digits);
        digits[--n] = '\0';
        do digits[--n] = static_cast<char>('0' + number % 10);
        while ((number /= 10) > 0 && n > 0);
        return *this << digits + n;
    }
    std::size_t length() const { return ok_ ? length_ : 0; }

private:
    char* out_;
    std::size_t size_;
    std::size_t length_ = 0;
    bool ok_ = true;
};

}  // namespace

std::size_t cardPicturePath(int card, int scale, char* out, std::size_t size) {
    if (!out || size == 0) return 0;
    out[0] = '\0';
    const CardPlace place = cardPlace(card);
    if (place.row == 0 || !isArtScale(scale)) return 0;
    PathWriter path(out, size);
    path << "cards/";
    if (scale != 100) path << scale << "/";
    if (isJokerCard(card)) path << "joker-" << (place.row == kBigJokerRow ? "big" : "small");
    else path << rankName(place.row) << "-" << suitWord(cardSuit(card));
    return (path << ".png").length();
}

}  // namespace pellora
