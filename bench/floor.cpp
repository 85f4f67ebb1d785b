// The floor Pellora is measured against: the least a Win32 program of the same
// kind can do. One empty window with Pellora's frame, client size and place,
// built with the same compiler, flags and runtime. A left click or a right
// press toggles one dark card-sized rectangle where Pellora's "K" card sits,
// so that click-to-paint has a floor too.
//
// Built twice: bare, and as pellora_floor_controls with Pellora's manifest,
// loading the common controls 6 as Pellora does before its first window.
#include <windows.h>
#ifdef PELLORA_FLOOR_COMMON_CONTROLS
#include <commctrl.h>
#endif

#include "layout.h"

namespace {

constexpr const wchar_t* kClass = L"PelloraFloor";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
bool marked = false;

RECT markRect() {
    const pellora::PictureCell* cell = nullptr;
    for (const auto& c : pellora::pictureTable())
        if (c.row == 13 && c.element == 0) cell = &c;
    const pellora::Rect px = pellora::toPixels(cell->twips, 96);
    return RECT{px.left, px.top, px.right(), px.bottom()};
}

void toggle(HWND hwnd) {
    marked = !marked;
    const RECT r = markRect();
    InvalidateRect(hwnd, &r, TRUE);
}

void paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (marked) {
        const RECT r = markRect();
        FillRect(dc, &r, GetSysColorBrush(COLOR_BTNTEXT));
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONUP: toggle(hwnd); return 0;
        case WM_RBUTTONDOWN: toggle(hwnd); return 0;
        case WM_PAINT: paint(hwnd); return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
#ifdef PELLORA_FLOOR_COMMON_CONTROLS
    InitCommonControls();
#endif
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    if (!RegisterClassExW(&wc)) return 1;

    const int left = pellora::twipsToPixels(pellora::kDesignedLeftTwips, 96);
    const int top = pellora::twipsToPixels(pellora::kDesignedTopTwips, 96);
    RECT frame{left, top, left + pellora::twipsToPixels(pellora::kClientWidthTwips, 96),
               top + pellora::twipsToPixels(pellora::kClientHeightTwips, 96)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    HWND hwnd = CreateWindowExW(0, kClass, L"Floor", kStyle, frame.left, frame.top, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
