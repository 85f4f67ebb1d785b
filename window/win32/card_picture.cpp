#include "card_picture.h"

namespace pellora {

namespace {

void onPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT cell;
    GetClientRect(hwnd, &cell);
    auto art = reinterpret_cast<HBITMAP>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    BITMAP info{};
    const bool hasArt = art && GetObjectW(art, sizeof(info), &info) != 0;

    // The art with its frame line, centred: at 96 dpi they fill the cell
    // exactly; above, the cell grows in twips steps and the art in its drawn
    // scales, so a margin of the group box's background may be left around.
    RECT frame = cell;
    if (hasArt) {
        const int width = info.bmWidth + 2, height = info.bmHeight + 2;
        frame.left = (cell.right - width) / 2;
        frame.top = (cell.bottom - height) / 2;
        frame.right = frame.left + width;
        frame.bottom = frame.top + height;
        if (!EqualRect(&frame, &cell)) FillRect(dc, &cell, GetSysColorBrush(COLOR_BTNFACE));
    }
    FrameRect(dc, &frame, GetSysColorBrush(COLOR_BTNTEXT));
    RECT inside = frame;
    InflateRect(&inside, -1, -1);
    FillRect(dc, &inside, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (hasArt) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, art);
        BitBlt(dc, inside.left, inside.top, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK cardPictureProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE: SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams)); break;
        case WM_ERASEBKGND: return 1;  // WM_PAINT covers every pixel
        case WM_PAINT: onPaint(hwnd); return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

bool registerCardPictureClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = cardPictureProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kCardPictureClass;
    return RegisterClassExW(&wc) != 0;
}

HWND createCardPicture(HWND parent, int id, const RECT& cell, HBITMAP art, HINSTANCE instance) {
    return CreateWindowExW(0, kCardPictureClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, cell.left,
                           cell.top, cell.right - cell.left, cell.bottom - cell.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, art);
}

void setCardPictureArt(HWND picture, HBITMAP art) {
    SetWindowLongPtrW(picture, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(art));
    InvalidateRect(picture, nullptr, FALSE);
}

}  // namespace pellora
