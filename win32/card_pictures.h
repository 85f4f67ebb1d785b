// The one window that shows all 54 card pictures, each in its cell: the art
// unscaled and centred, a one-pixel dark frame line around it; a played card
// leaves its whole cell empty. The pictures are drawn by this window, as a
// form draws its lightweight image controls, rather than being windows of
// their own: one window to make and paint at start-up, not 54.
#pragma once

#include <windows.h>

#include <array>

#include "base_window.h"
#include "board.h"
#include "pictures.h"

namespace pellora {

class Accessibility;
class CardArt;

class CardPictures : public BaseWindow<CardPictures> {
public:
    static constexpr const wchar_t* kClassName = L"PelloraCards";

    // Shows what `board` says is shown; a screen reader's requests go to
    // `accessibility`. Both must outlive the window.
    CardPictures(const Board& board, Accessibility& accessibility) : board_(board), accessibility_(accessibility) {}

    // A visible child of `parent` with the control id `id`, laid out as
    // layOut does. `name` is never drawn: screen readers say it.
    bool create(HWND parent, int id, const wchar_t* name, int dpi, const CardArt& art, int scale, HINSTANCE instance);
    // Places the cells for `dpi`, with `art`'s pictures at `scale`, and moves
    // the window to span them.
    void layOut(int dpi, const CardArt& art, int scale);
    // Has a card's cell drawn again, once the messages in hand are done.
    void repaint(int card) const;

    // A card's cell in the window's client area.
    const RECT& cell(int card) const { return cells_[static_cast<std::size_t>(card)].rect; }

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Cell {
        RECT rect{};
        int artLeft = 0;  // where its picture starts on the sheet
    };

    RECT placeCells(int dpi, const CardArt& art, int scale);
    void onPaint();
    void paintCell(HDC dc, HDC memory, int card) const;

    const Board& board_;
    Accessibility& accessibility_;
    std::array<Cell, kCardCount> cells_{};
    HBITMAP sheet_ = nullptr;  // the pictures, side by side; owned by the CardArt
    PictureSize artSize_{0, 0};
};

}  // namespace pellora
