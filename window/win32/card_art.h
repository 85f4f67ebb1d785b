// The 54 card pictures, decoded once at start from the program's own
// resources (PNG) into bitmaps ready to blit.
#pragma once

#include <windows.h>

#include <array>
#include <string>

namespace pellora {

class CardArt {
public:
    static constexpr int kWidth = 14;
    static constexpr int kHeight = 28;

    CardArt() = default;
    ~CardArt();
    CardArt(const CardArt&) = delete;
    CardArt& operator=(const CardArt&) = delete;

    // Decodes every picture. On failure returns false and `error` names the
    // picture and what went wrong; the pictures decoded so far are released.
    bool load(HINSTANCE instance, std::wstring& error);

    // The picture of a row's element; null for a picture that does not exist.
    HBITMAP bitmap(int row, int element) const;

private:
    void release();

    std::array<HBITMAP, 15 * 4> bitmaps_{};
};

}  // namespace pellora
