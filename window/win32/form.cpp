#include "form.h"

#include "control_ids.h"
#include "card_pictures.h"
#include "dpi.h"
#include "placement.h"
#include "resource_ids.h"
#include "text.h"

#include <commctrl.h>
#include <strsafe.h>

#include <algorithm>
#include <cstring>

namespace pellora {

namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

std::size_t slot(int row, int element) { return static_cast<std::size_t>((row - 1) * 4 + element); }

bool isRankButton(int id) { return id >= IDC_COMMAND1 && id <= IDC_COMMAND15; }

DWORD controlStyle(ControlKind kind) {
    // Everything overlaps the group box, so every control clips its siblings.
    const DWORD common = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    switch (kind) {
        case ControlKind::GroupBox: return common | BS_GROUPBOX;
        case ControlKind::PushButton: return common | WS_TABSTOP | BS_PUSHBUTTON;
        case ControlKind::CheckBox: return common | WS_TABSTOP | BS_AUTOCHECKBOX;
    }
    return common;
}

unsigned long lastError() { return GetLastError(); }

}  // namespace

Form::Form(HINSTANCE instance, CardArt& art) : instance_(instance), art_(art) {}

Form::~Form() {
    if (hwnd_) DestroyWindow(hwnd_);
    for (HFONT font : {defaultFont_, rankFont_, jokerFont_})
        if (font) DeleteObject(font);
    for (HFONT font : retiredFonts_)
        if (font) DeleteObject(font);
    for (HICON icon : {bigIcon_, smallIcon_})
        if (icon) DestroyIcon(icon);
}

bool Form::registerClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    return RegisterClassExW(&wc) != 0;
}

RECT Form::frameFor(int dpi) const {
    RECT frame{0, 0, twipsToPixels(kClientWidthTwips, dpi), twipsToPixels(kClientHeightTwips, dpi)};
    adjustWindowRectForDpi(frame, kFormStyle, 0, dpi);
    return frame;
}

Rect Form::placement(int dpi) const {
    const int clientLeft = twipsToPixels(kDesignedLeftTwips, dpi);
    const int clientTop = twipsToPixels(kDesignedTopTwips, dpi);
    RECT frame = frameFor(dpi);
    OffsetRect(&frame, clientLeft, clientTop);

    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromPoint(POINT{clientLeft, clientTop}, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    return fitIntoWorkArea({frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top},
                           {work.left, work.top, work.right - work.left, work.bottom - work.top});
}

bool Form::create() {
    // Placed for the screen's dpi; OnCreate learns the dpi of the monitor the
    // window really landed on.
    const int screen = screenDpi();
    const Rect placed = placement(screen);
    HWND hwnd = CreateWindowExW(0, kFormClass, L"Pellora", kFormStyle, placed.left, placed.top, placed.width,
                                placed.height, nullptr, nullptr, instance_, this);
    if (!hwnd) {
        if (error_.empty()) error_ = Text(L"无法创建主窗口（错误 ") << lastError() << L"）";
        hwnd_ = nullptr;
        return false;
    }
    if (dpi_ != screen) {
        const Rect moved = placement(dpi_);
        SetWindowPos(hwnd_, nullptr, moved.left, moved.top, moved.width, moved.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    built_ = true;
    return true;
}

void Form::show(int showCommand) {
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
}

LRESULT CALLBACK Form::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = form->handleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) form->hwnd_ = nullptr;
    return result;
}

LRESULT Form::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate() ? 0 : -1;
        case WM_ACTIVATE: OnActivate(LOWORD(wParam) != WA_INACTIVE); return 0;
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_DPICHANGED: OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam)); return 0;
        case WM_GETDPISCALEDSIZE: return OnGetDpiScaledSize(static_cast<int>(wParam), *reinterpret_cast<SIZE*>(lParam));
        case WM_DESTROY: OnDestroy(); return 0;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Form::buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR subclassId,
                                  DWORD_PTR refData) {
    auto* form = reinterpret_cast<Form*>(refData);
    return form->handleButtonMessage(hwnd, static_cast<int>(subclassId), message, wParam, lParam);
}

LRESULT CALLBACK Form::picturesProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR subclassId,
                                    DWORD_PTR refData) {
    (void)subclassId;
    return reinterpret_cast<Form*>(refData)->handlePicturesMessage(hwnd, message, wParam, lParam);
}

LRESULT Form::handlePicturesMessage(HWND pictures, UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    switch (message) {
        case WM_GETOBJECT: {
            const LRESULT object = accessibility_.answerPictures(pictures, wParam, lParam, handled);
            if (handled) return object;
            break;
        }
        case WM_NCDESTROY: RemoveWindowSubclass(pictures, picturesProc, IDC_PICTURES); break;
    }
    return DefSubclassProc(pictures, message, wParam, lParam);
}

LRESULT Form::handleButtonMessage(HWND button, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    bool handled = false;
    switch (message) {
        // A screen reader asks a rank button how many of its cards remain.
        case WM_GETOBJECT: {
            if (!isRankButton(id)) break;
            const LRESULT object = accessibility_.answerButton(button, id - IDC_COMMAND_BASE, wParam, lParam, handled);
            if (handled) return object;
            break;
        }
        // A quick second press arrives as a double-click: it still counts.
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK: if (isRankButton(id)) { OnRankButtonRightPress(id - IDC_COMMAND_BASE); return 0; } break;
        case WM_SETFOCUS: OnButtonFocus(button, true); break;
        case WM_KILLFOCUS: OnButtonFocus(button, false); break;
        case WM_NCDESTROY: RemoveWindowSubclass(button, buttonProc, static_cast<UINT_PTR>(id)); break;
    }
    return DefSubclassProc(button, message, wParam, lParam);
}

bool Form::OnCreate() {
    dpi_ = dpiForWindow(hwnd_);
    if (!loadIcons() || !createFonts() || !loadArt()) return false;
    // A new child window goes to the bottom of its siblings, and the dialog
    // manager tabs from the top: so the controls are made in their tab order,
    // then the pictures, and last the group box, underneath everything it
    // surrounds. No restacking afterwards.
    if (!createControlsInTabOrder() || !createPictures() || !createGroupBox()) return false;
    lastFocus_ = control(IDC_COMMAND1);
    return true;
}

void Form::OnDpiChanged(int dpi, const RECT& suggested) {
    // Moved to a monitor of another dpi, or the user changed the scale: lay
    // everything out anew, as if the window had opened there.
    dpi_ = dpi;
    bool adapted = loadIcons();
    adapted = createFonts() && adapted;
    adapted = loadArt() && adapted;
    if (!adapted) {
        // Only a damaged program file gets here; say so, and keep what is shown.
        Text text(L"Pellora 无法适应新的显示缩放：");
        text << error_.c_str() << L"。";
        MessageBoxW(hwnd_, text.c_str(), L"Pellora", MB_OK | MB_ICONWARNING);
    }
    layOut();
    SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd_, nullptr, TRUE);
}

bool Form::OnGetDpiScaledSize(int dpi, SIZE& size) const {
    // The client area is a whole number of twips: ask for exactly that, not
    // for the current size scaled.
    const RECT frame = frameFor(dpi);
    size.cx = frame.right - frame.left;
    size.cy = frame.bottom - frame.top;
    return true;
}

bool Form::loadIcons() {
    // The title bar and the task bar want the icon at the window's own dpi.
    HICON big = loadIconForSize(instance_, IDI_PELLORA, systemMetricForDpi(SM_CXICON, dpi_));
    HICON small = loadIconForSize(instance_, IDI_PELLORA, systemMetricForDpi(SM_CXSMICON, dpi_));
    if (!big || !small) {
        if (big) DestroyIcon(big);
        if (small) DestroyIcon(small);
        return fail(Text(L"无法载入窗口图标（图标组 ") << IDI_PELLORA << L"，错误 " << lastError() << L"）");
    }
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    for (HICON old : {bigIcon_, smallIcon_})
        if (old) DestroyIcon(old);
    bigIcon_ = big;
    smallIcon_ = small;
    return true;
}

bool Form::loadArt() {
    const int scale = artScaleForDpi(dpi_);
    Text error;
    if (!art_.load(instance_, scale, error)) return fail(error);
    artScale_ = scale;
    return true;
}

void Form::OnActivate(bool active) {
    // As a dialog does: the focus leaves with the window and comes back with it.
    if (!active) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
        return;
    }
    if (lastFocus_) SetFocus(lastFocus_);
}

void Form::OnCommand(int id, int notifyCode) {
    if (notifyCode != BN_CLICKED) return;
    // Enter reaches us as IDOK when the dialog manager does not see the focused
    // button as the default one (Wine, for one): it still clicks that button.
    if (id == IDOK) id = focusedPushButton();
    if (isRankButton(id)) OnRankButtonClick(id - IDC_COMMAND_BASE);
    else if (id == IDC_COMMAND17) OnResetClick();
    else if (id == IDC_CHECK1) OnStayOnTopClick();
}

int Form::focusedPushButton() const {
    HWND focus = GetFocus();
    if (!focus || GetParent(focus) != hwnd_) return 0;
    const int id = GetDlgCtrlID(focus);
    return isRankButton(id) || id == IDC_COMMAND17 ? id : 0;
}

void Form::OnDestroy() {
    // Closing, by whatever means, ends the program; nothing is asked or kept.
    if (built_) PostQuitMessage(0);
}

void Form::OnRankButtonClick(int row) {
    if (const auto assignment = tally_.play(row)) apply(*assignment);
}

void Form::OnRankButtonRightPress(int row) {
    if (const auto assignment = tally_.undo(row)) apply(*assignment);
}

void Form::OnResetClick() {
    for (const Assignment& assignment : tally_.reset()) apply(assignment);
}

void Form::OnStayOnTopClick() {
    const LRESULT value = SendMessageW(control(IDC_CHECK1), BM_GETCHECK, 0, 0);
    SetWindowPos(hwnd_, value == BST_CHECKED ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void Form::OnButtonFocus(HWND button, bool focused) {
    // The focused push button is the default one, so Enter clicks it as in a dialog.
    SendMessageW(button, BM_SETSTYLE, focused ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

bool Form::createFonts() {
    NONCLIENTMETRICSW metrics;
    if (!nonClientMetricsForDpi(metrics, dpi_))
        return fail(Text(L"无法读取系统的对话框字体（错误 ") << lastError() << L"）");

    auto makeFont = [this](FontRole role) {
        const FontSpec& entry = fontSpec(role);
        LOGFONTW font{};
        font.lfHeight = -MulDiv(entry.decipoints, dpi_, 720);
        font.lfWeight = entry.weight;
        font.lfCharSet = DEFAULT_CHARSET;
        const Text face = Text().utf8(entry.face);
        StringCchCopyW(font.lfFaceName, LF_FACESIZE, face.c_str());
        return CreateFontIndirectW(&font);
    };
    HFONT fonts[] = {CreateFontIndirectW(&metrics.lfMessageFont), makeFont(FontRole::Rank), makeFont(FontRole::Joker)};
    if (!fonts[0] || !fonts[1] || !fonts[2]) {
        for (HFONT font : fonts)
            if (font) DeleteObject(font);
        return fail(Text(L"无法创建按钮的字体"));
    }
    // The old fonts go once the controls use the new ones (layOut).
    retiredFonts_ = {defaultFont_, rankFont_, jokerFont_};
    defaultFont_ = fonts[0];
    rankFont_ = fonts[1];
    jokerFont_ = fonts[2];
    return true;
}

HFONT Form::fontFor(FontRole role) const {
    switch (role) {
        case FontRole::Rank: return rankFont_;
        case FontRole::Joker: return jokerFont_;
        case FontRole::Default: break;
    }
    return defaultFont_;
}

bool Form::createControlsInTabOrder() {
    std::array<std::size_t, kControlCount> order{};
    std::size_t count = 0;
    for (std::size_t i = 0; i < controlTable().size(); ++i)
        if (controlTable()[i].kind != ControlKind::GroupBox) order[count++] = i;
    std::sort(order.begin(), order.begin() + static_cast<std::ptrdiff_t>(count),
              [](std::size_t a, std::size_t b) { return controlTable()[a].tab < controlTable()[b].tab; });
    for (std::size_t k = 0; k < count; ++k)
        if (!createControl(order[k])) return false;
    return true;
}

bool Form::createGroupBox() {
    for (std::size_t i = 0; i < controlTable().size(); ++i)
        if (controlTable()[i].kind == ControlKind::GroupBox && !createControl(i)) return false;
    return true;
}

bool Form::createControl(std::size_t index) {
    const ControlSpec& entry = controlTable()[index];
    const Rect px = toPixels(entry.twips, dpi_);
    const int id = entry.id;
    const Text caption = Text().utf8(entry.caption);
    HWND hwnd = CreateWindowExW(0, WC_BUTTONW, caption.c_str(), controlStyle(entry.kind), px.left, px.top, px.width,
                                px.height, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                                nullptr);
    if (!hwnd)
        return fail(Text(L"无法创建控件 ").utf8(entry.name) << L"（“" << caption.c_str() << L"”，错误 " << lastError()
                                                         << L"）");
    controls_[index] = hwnd;
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(entry.font)), FALSE);
    if (entry.kind == ControlKind::PushButton &&
        !SetWindowSubclass(hwnd, buttonProc, static_cast<UINT_PTR>(id), reinterpret_cast<DWORD_PTR>(this)))
        return fail(Text(L"无法接管控件 ").utf8(entry.name) << L" 的鼠标输入");
    return true;
}

RECT Form::placeCells() {
    // The window of the pictures spans their cells and no more; each cell
    // keeps the pixels it would have as a control of the form.
    RECT area{};
    for (const PictureCell& cell : pictureTable()) {
        const Rect px = toPixels(cell.twips, dpi_);
        const RECT rect{px.left, px.top, px.right(), px.bottom()};
        UnionRect(&area, &area, &rect);
    }
    for (const PictureCell& cell : pictureTable()) {
        const Rect px = toPixels(cell.twips, dpi_);
        CardCell& placed = cells_[slot(cell.row, cell.element)];
        placed.rect = RECT{px.left - area.left, px.top - area.top, px.right() - area.left, px.bottom() - area.top};
        placed.art = art_.bitmap(artScale_, cell.row, cell.element);
    }
    return area;
}

bool Form::createPictures() {
    const RECT area = placeCells();
    // Named as the group box that holds them: "剩牌", the cards that remain.
    const Text name = Text().utf8(findControl("Frame1")->caption);
    pictures_ = createCardPictures(hwnd_, IDC_PICTURES, area, &cells_, name.c_str(), instance_);
    if (!pictures_) return fail(Text(L"无法创建牌面图片的窗口（错误 ") << lastError() << L"）");
    if (!SetWindowSubclass(pictures_, picturesProc, IDC_PICTURES, reinterpret_cast<DWORD_PTR>(this)))
        return fail(Text(L"无法让读屏软件读到牌面图片的窗口"));
    return true;
}

void Form::layOut() {
    for (std::size_t i = 0; i < controlTable().size(); ++i) {
        const ControlSpec& entry = controlTable()[i];
        const Rect px = toPixels(entry.twips, dpi_);
        SetWindowPos(controls_[i], nullptr, px.left, px.top, px.width, px.height, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(entry.font)), TRUE);
    }
    for (HFONT& font : retiredFonts_) {
        if (font) DeleteObject(font);
        font = nullptr;
    }
    const RECT area = placeCells();
    SetWindowPos(pictures_, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(pictures_, nullptr, FALSE);
}

void Form::apply(const Assignment& assignment) {
    if (assignment.element < 0 || assignment.element >= picturesInRow(assignment.row)) return;
    CardCell& cell = cells_[slot(assignment.row, assignment.element)];
    const bool visible = assignment.state == Visibility::Visible;
    if (cell.visible == visible) return;
    cell.visible = visible;
    repaintCardCell(pictures_, cell);
    accessibility_.pictureChanged(pictures_, control(IDC_COMMAND_BASE + assignment.row), assignment.row,
                                  assignment.element, visible);
}

bool Form::fail(const Text& what) {
    error_ = what;
    return false;
}

}  // namespace pellora
