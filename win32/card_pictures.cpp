#include "card_pictures.h"

#include "accessibility.h"
#include "card_art.h"
#include "handles.h"
#include "layout.h"

namespace pellora {

bool CardPictures::create(HWND parent, int id, const wchar_t* name, int dpi, const CardArt& art, int scale,
                          HINSTANCE instance) {
    const RECT area = placeCells(dpi, art, scale);
    return createWindow(0, name, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, area, parent, id, instance) != nullptr;
}

RECT CardPictures::placeCells(int dpi, const CardArt& art, int scale) {
    // The window spans the cells and no more; each cell keeps the pixels it
    // would have as a control of the form.
    RECT area{};
    for (const PictureCell& cell : pictureTable()) {
        const Rect px = toPixels(cell.twips, dpi);
        const RECT rect{px.left, px.top, px.right(), px.bottom()};
        UnionRect(&area, &area, &rect);
    }
    sheet_ = art.sheet(scale);
    artSize_ = cardPictureSize(scale);
    for (const PictureCell& cell : pictureTable()) {
        const Rect px = toPixels(cell.twips, dpi);
        Cell& placed = cells_[static_cast<std::size_t>(cell.card)];
        placed.rect = RECT{px.left - area.left, px.top - area.top, px.right() - area.left, px.bottom() - area.top};
        placed.artLeft = artSize_.width * cell.card;
    }
    return area;
}

void CardPictures::layOut(int dpi, const CardArt& art, int scale) {
    const RECT area = placeCells(dpi, art, scale);
    if (!hwnd()) return;
    SetWindowPos(hwnd(), nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd(), nullptr, FALSE);
}

void CardPictures::repaint(int card) const {
    if (hwnd() && card >= 0 && card < kCardCount) InvalidateRect(hwnd(), &cell(card), FALSE);
}

LRESULT CardPictures::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: return 1;  // WM_PAINT covers every pixel
        case WM_PAINT: onPaint(); return 0;
        case WM_GETOBJECT: {
            bool handled = false;
            const LRESULT object = accessibility_.answerPictures(hwnd(), wParam, lParam, handled);
            if (handled) return object;
            break;
        }
    }
    return defaultAnswer(message, wParam, lParam);
}

// One cell: the art with its frame line, centred. At 96 dpi they fill the
// cell exactly; above, the cell grows in twips steps and the art in its drawn
// scales, so a margin of the background may be left around.
void CardPictures::paintCell(HDC dc, HDC memory, int card) const {
    const Cell& cell = cells_[static_cast<std::size_t>(card)];
    const bool shown = board_.isShown(card);
    const bool hasArt = sheet_ && memory;
    if (!shown || !hasArt) {
        FillRect(dc, &cell.rect, GetSysColorBrush(COLOR_BTNFACE));
        if (!shown) return;
    }
    RECT frame = cell.rect;
    if (hasArt) {
        const int width = artSize_.width + 2, height = artSize_.height + 2;
        frame.left = cell.rect.left + (cell.rect.right - cell.rect.left - width) / 2;
        frame.top = cell.rect.top + (cell.rect.bottom - cell.rect.top - height) / 2;
        frame.right = frame.left + width;
        frame.bottom = frame.top + height;
        if (!EqualRect(&frame, &cell.rect)) FillRect(dc, &cell.rect, GetSysColorBrush(COLOR_BTNFACE));
    }
    FrameRect(dc, &frame, GetSysColorBrush(COLOR_BTNTEXT));
    RECT inside = frame;
    InflateRect(&inside, -1, -1);
    if (!hasArt) {
        FillRect(dc, &inside, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        return;
    }
    BitBlt(dc, inside.left, inside.top, artSize_.width, artSize_.height, memory, cell.artLeft, 0, SRCCOPY);
}

void CardPictures::onPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd(), &ps);
    // Around and between the cells, the group box's background; each pixel
    // is painted once, so nothing flickers.
    const int saved = SaveDC(dc);
    for (const Cell& cell : cells_) ExcludeClipRect(dc, cell.rect.left, cell.rect.top, cell.rect.right, cell.rect.bottom);
    FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
    RestoreDC(dc, saved);

    const MemoryDc memory(CreateCompatibleDC(dc));
    const HGDIOBJ old = memory && sheet_ ? SelectObject(memory.get(), sheet_) : nullptr;
    RECT overlap;
    for (int card = 0; card < kCardCount; ++card)
        if (IntersectRect(&overlap, &cell(card), &ps.rcPaint)) paintCell(dc, old ? memory.get() : nullptr, card);
    if (old) SelectObject(memory.get(), old);
    EndPaint(hwnd(), &ps);
}

}  // namespace pellora
