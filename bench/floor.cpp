// The floors Pellora is measured against, built with the same compiler, flags
// and runtime as Pellora.exe, each opening one window with Pellora's frame,
// client size and place.
//
// pellora_floor, the bare floor: the least a Win32 program of the kind can do,
// an empty window. A left click or a right press toggles a dark card-sized
// rectangle where Pellora's "K" card sits, so click-to-paint has a floor too.
//
// pellora_floor_controls, the controls floor (PELLORA_CONTROLS_FLOOR): what any
// program that shows what Pellora's window shows pays before doing any work of
// its own. Pellora's manifest and InitCommonControls; its icon at the title
// bar's two sizes, loaded from the same icon file at exactly those sizes; the
// eighteen controls of the layout table, in their places and fonts, made in
// tab order with the group box last; the first of them in tab order ("A")
// made the default button and given the focus when the window is activated,
// as a dialog does; the 54 picture cells as plain rectangles (frame line,
// white inside) in one window above the group box; the dialog manager's
// keyboard handling in the message loop. Nothing is decoded and there is no
// tally.
#include <windows.h>
#ifdef PELLORA_CONTROLS_FLOOR
#include <commctrl.h>

#include <algorithm>
#include <array>
#endif

#include "layout.h"

namespace {

constexpr const wchar_t* kClass = L"PelloraFloor";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kDpi = 96;

RECT toRect(const pellora::Rect& twips) {
    const pellora::Rect px = pellora::toPixels(twips, kDpi);
    return RECT{px.left, px.top, px.right(), px.bottom()};
}

#ifdef PELLORA_CONTROLS_FLOOR

constexpr const wchar_t* kCellsClass = L"PelloraFloorCells";

// Captions and font faces are UTF-8 in the table; 64 characters is plenty.
struct Wide {
    explicit Wide(const char* utf8) {
        if (utf8) MultiByteToWideChar(CP_UTF8, 0, utf8, -1, text, 64);
    }
    wchar_t text[64] = {};
};

HFONT makeFont(pellora::FontRole role) {
    if (role == pellora::FontRole::Default) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) return nullptr;
        return CreateFontIndirectW(&metrics.lfMessageFont);
    }
    const pellora::FontSpec& wanted = pellora::fontSpec(role);
    LOGFONTW font{};
    font.lfHeight = -MulDiv(wanted.decipoints, kDpi, 720);
    font.lfWeight = wanted.weight;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(font.lfFaceName, Wide(wanted.face).text, LF_FACESIZE);
    return CreateFontIndirectW(&font);
}

DWORD styleOf(pellora::ControlKind kind, bool firstFocus) {
    const DWORD common = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    switch (kind) {
        case pellora::ControlKind::GroupBox: return common | BS_GROUPBOX;
        case pellora::ControlKind::PushButton:
            return common | WS_TABSTOP | (firstFocus ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        case pellora::ControlKind::CheckBox: return common | WS_TABSTOP | BS_AUTOCHECKBOX;
    }
    return common;
}

HWND firstFocus;  // "A", the first control in tab order

bool createControl(HWND parent, std::size_t index, const HFONT (&fonts)[3]) {
    const pellora::ControlSpec& entry = pellora::controlTable()[index];
    const RECT r = toRect(entry.twips);
    const bool first = !firstFocus && entry.kind != pellora::ControlKind::GroupBox;
    HWND control = CreateWindowExW(0, WC_BUTTONW, Wide(entry.caption).text, styleOf(entry.kind, first), r.left,
                                   r.top, r.right - r.left, r.bottom - r.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + index)), nullptr, nullptr);
    if (!control) return false;
    if (first) firstFocus = control;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts[static_cast<int>(entry.font)]), FALSE);
    return true;
}

RECT cellsArea() {
    RECT area{};
    for (const auto& cell : pellora::pictureTable()) {
        const RECT r = toRect(cell.twips);
        UnionRect(&area, &area, &r);
    }
    return area;
}

void paintCells(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
    const RECT area = cellsArea();
    for (const auto& cell : pellora::pictureTable()) {
        RECT r = toRect(cell.twips);
        OffsetRect(&r, -area.left, -area.top);
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNTEXT));
        InflateRect(&r, -1, -1);
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK cellsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: paintCells(hwnd); return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HFONT fonts[3];  // by FontRole; they live as long as the process

bool createContents(HWND parent, HINSTANCE instance) {
    for (pellora::FontRole role : {pellora::FontRole::Default, pellora::FontRole::Rank, pellora::FontRole::Joker})
        if (!(fonts[static_cast<int>(role)] = makeFont(role))) return false;

    // New child windows go below their siblings, and the dialog manager tabs
    // from the top: the controls in tab order, the cells, the group box last.
    const auto& table = pellora::controlTable();
    std::array<std::size_t, pellora::kControlCount> order{};
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&table](std::size_t a, std::size_t b) { return table[a].tab < table[b].tab; });
    for (std::size_t index : order)
        if (table[index].kind != pellora::ControlKind::GroupBox && !createControl(parent, index, fonts)) return false;
    const RECT area = cellsArea();
    if (!CreateWindowExW(0, kCellsClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, area.left, area.top,
                         area.right - area.left, area.bottom - area.top, parent, nullptr, instance, nullptr))
        return false;
    for (std::size_t index : order)
        if (table[index].kind == pellora::ControlKind::GroupBox && !createControl(parent, index, fonts)) return false;
    return true;
}

#else

bool marked = false;

RECT markRect() {
    for (const auto& cell : pellora::pictureTable())
        if (cell.row == 13 && cell.element == 0) return toRect(cell.twips);
    return RECT{};
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

#endif

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
#ifdef PELLORA_CONTROLS_FLOOR
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE || !firstFocus) break;
            SetFocus(firstFocus);
            return 0;
#else
        case WM_LBUTTONUP: toggle(hwnd); return 0;
        case WM_RBUTTONDOWN: toggle(hwnd); return 0;
        case WM_PAINT: paint(hwnd); return 0;
#endif
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool registerClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HBRUSH background, HICON icon = nullptr,
                   HICON smallIcon = nullptr) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    HICON icon = nullptr, smallIcon = nullptr;
#ifdef PELLORA_CONTROLS_FLOOR
    InitCommonControls();
    if (!registerClass(instance, kCellsClass, cellsProc, nullptr)) return 1;
    // Icon group 1 of floor_controls.rc, Pellora's icon file.
    auto loadIcon = [instance](int metric) {
        const int size = GetSystemMetrics(metric);
        return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
    };
    icon = loadIcon(SM_CXICON);
    smallIcon = loadIcon(SM_CXSMICON);
    if (!icon || !smallIcon) return 1;
#endif
    if (!registerClass(instance, kClass, windowProc, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), icon, smallIcon))
        return 1;

    const int left = pellora::twipsToPixels(pellora::kDesignedLeftTwips, kDpi);
    const int top = pellora::twipsToPixels(pellora::kDesignedTopTwips, kDpi);
    RECT frame{left, top, left + pellora::twipsToPixels(pellora::kClientWidthTwips, kDpi),
               top + pellora::twipsToPixels(pellora::kClientHeightTwips, kDpi)};
    AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
    HWND hwnd = CreateWindowExW(0, kClass, L"Floor", kStyle, frame.left, frame.top, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
#ifdef PELLORA_CONTROLS_FLOOR
    if (!createContents(hwnd, instance)) return 1;
#endif
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
#ifdef PELLORA_CONTROLS_FLOOR
        if (IsDialogMessageW(hwnd, &message)) continue;
#endif
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
