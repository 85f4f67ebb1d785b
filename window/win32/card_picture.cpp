#include "card_picture.h"

namespace pellora {

namespace {

void onPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT cell;
    GetClientRect(hwnd, &cell);
    FrameRect(dc, &cell, GetSysColorBrush(COLOR_BTNTEXT));
    RECT inside = cell;
    InflateRect(&inside, -1, -1);
    // Only larger than the art above 96 dpi; the art itself is never scaled.
    FillRect(dc, &inside, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    auto art = reinterpret_cast<HBITMAP>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    BITMAP info;
    if (art && GetObjectW(art, sizeof(info), &info)) {
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

}  // namespace pellora
