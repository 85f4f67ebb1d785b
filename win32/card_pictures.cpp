#include "card_pictures.h"

namespace pellora {

namespace {

// One cell: the art with its frame line, centred. At 96 dpi they fill the
// cell exactly; above, the cell grows in twips steps and the art in its drawn
// scales, so a margin of the background may be left around.
void paintCell(HDC dc, HDC memory, const CardCell& cell) {
    BITMAP info{};
    const bool hasArt = cell.art && memory && GetObjectW(cell.art, sizeof(info), &info) != 0;
    if (!cell.visible || !hasArt) {
        FillRect(dc, &cell.rect, GetSysColorBrush(COLOR_BTNFACE));
        if (!cell.visible) return;
    }
    RECT frame = cell.rect;
    if (hasArt) {
        const int width = info.bmWidth + 2, height = info.bmHeight + 2;
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
    HGDIOBJ old = SelectObject(memory, cell.art);
    BitBlt(dc, inside.left, inside.top, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
}

void onPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    const auto* cells = reinterpret_cast<const CardCells*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (cells) {
        // Around and between the cells, the group box's background; each
        // pixel is painted once, so nothing flickers.
        const int saved = SaveDC(dc);
        for (const CardCell& cell : *cells)
            if (!IsRectEmpty(&cell.rect)) ExcludeClipRect(dc, cell.rect.left, cell.rect.top, cell.rect.right, cell.rect.bottom);
        FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
        RestoreDC(dc, saved);

        HDC memory = CreateCompatibleDC(dc);
        RECT overlap;
        for (const CardCell& cell : *cells)
            if (!IsRectEmpty(&cell.rect) && IntersectRect(&overlap, &cell.rect, &ps.rcPaint)) paintCell(dc, memory, cell);
        if (memory) DeleteDC(memory);
    } else {
        FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK cardPicturesProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE: SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams)); break;
        case WM_ERASEBKGND: return 1;  // WM_PAINT covers every pixel
        case WM_PAINT: onPaint(hwnd); return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

bool registerCardPicturesClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = cardPicturesProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kCardPicturesClass;
    return RegisterClassExW(&wc) != 0;
}

HWND createCardPictures(HWND parent, int id, const RECT& area, const CardCells* cells, const wchar_t* name,
                        HINSTANCE instance) {
    return CreateWindowExW(0, kCardPicturesClass, name, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, area.left, area.top,
                           area.right - area.left, area.bottom - area.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                           const_cast<CardCells*>(cells));  // read only, through GWLP_USERDATA
}

void repaintCardCell(HWND window, const CardCell& cell) { InvalidateRect(window, &cell.rect, FALSE); }

}  // namespace pellora
