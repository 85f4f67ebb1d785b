#include "form.h"

#include "control_ids.h"
#include "dpi.h"
#include "placement.h"
#include "resource_ids.h"

#include <commctrl.h>
#include <strsafe.h>

#include <algorithm>
#include <climits>
#include <utility>

namespace pellora {

namespace {

constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// The row of a rank or joker button's id; 0 for any other control.
int rowOfButton(int id) {
    return id >= IDC_FIRST_ROW_BUTTON && id <= IDC_LAST_ROW_BUTTON ? id - IDC_ROW_BUTTON_BASE : 0;
}

// "A", first in tab order: the window gives it the focus when it opens.
constexpr int kFirstFocusRow = 1;

DWORD controlStyle(ControlKind kind, bool firstFocus) {
    // Everything overlaps the group box, so every control clips its siblings.
    const DWORD common = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    switch (kind) {
        case ControlKind::GroupBox: return common | BS_GROUPBOX;
        // The focused push button is the default one (OnButtonFocus): the
        // first to have the focus is made so, not restyled as it opens.
        case ControlKind::PushButton: return common | WS_TABSTOP | (firstFocus ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        case ControlKind::CheckBox: return common | WS_TABSTOP | BS_AUTOCHECKBOX;
    }
    return common;
}

unsigned long lastError() { return GetLastError(); }

// The keyboard's right button: the menu key, or Shift+F10.
bool isPutBackKey(WPARAM key) { return key == VK_APPS || (key == VK_F10 && GetKeyState(VK_SHIFT) < 0); }

constexpr LPARAM kKeyWasDown = 1 << 30;  // a key's auto-repeat

bool isPushButton(int id) { return rowOfButton(id) || id == IDC_RESET; }

// Windows sends the dpi messages on the window's own thread, for a dpi
// between 100 % and 500 %, with lParam pointing at its data. Anything else
// is forged: it gets the default answer and touches nothing.
bool isSystemDpiMessage(int dpi, LPARAM lParam) {
    constexpr int kLowestDpi = 96, kHighestDpi = 480;
    return lParam && dpi >= kLowestDpi && dpi <= kHighestDpi && sentByOwnThread();
}

}  // namespace

Form::Form(HINSTANCE instance, CardArt& art)
    : instance_(instance), art_(art), accessibility_(pictures_, board_), pictures_(board_, accessibility_) {}

Form::~Form() { destroyWindow(); }

bool Form::registerClasses(HINSTANCE instance, Text& error) {
    // The form's class carries the icons for the screen's dpi, which the
    // window shows from its first paint on. Setting them on the window
    // instead (WM_SETICON) costs more under Wine: it turns each one into the
    // X window's icon property at once, both sizes every time. They last as
    // long as the program.
    const int dpi = screenDpi();
    HICON big = loadIconForSize(instance, IDI_PELLORA, systemMetricForDpi(SM_CXICON, dpi));
    HICON small = loadIconForSize(instance, IDI_PELLORA, systemMetricForDpi(SM_CXSMICON, dpi));
    if (!big || !small) {
        error = Text(L"无法载入窗口图标（图标组 ") << IDI_PELLORA << L"，错误 " << lastError() << L"）";
        return false;
    }
    if (registerClass(instance, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), big, small) &&
        CardPictures::registerClass(instance, nullptr))
        return true;
    error = Text(L"无法注册窗口类（错误 ") << lastError() << L"）";
    return false;
}

HFONT Form::Fonts::of(FontRole role) const {
    switch (role) {
        case FontRole::Rank: return rank.get();
        case FontRole::Joker: return joker.get();
        case FontRole::Default: break;
    }
    return normal.get();
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
    const RECT place{placed.left, placed.top, placed.right(), placed.bottom()};
    if (!createWindow(0, L"Pellora", kFormStyle, place, nullptr, 0, instance_)) {
        if (error_.empty()) error_ = Text(L"无法创建主窗口（错误 ") << lastError() << L"）";
        return false;
    }
    if (dpi_ != screen) {
        // Opened on a monitor of another dpi: icons of its own, not the class's.
        if (!loadIcons()) return false;
        const Rect moved = placement(dpi_);
        SetWindowPos(hwnd(), nullptr, moved.left, moved.top, moved.width, moved.height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    built_ = true;
    return true;
}

void Form::show(int showCommand) {
    ShowWindow(hwnd(), showCommand);
    UpdateWindow(hwnd());
}

LRESULT Form::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate() ? 0 : -1;
        case WM_ACTIVATE: OnActivate(LOWORD(wParam) != WA_INACTIVE); return 0;
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_DPICHANGED:
            if (LOWORD(wParam) != HIWORD(wParam) || !isSystemDpiMessage(HIWORD(wParam), lParam)) return 0;
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_GETDPISCALEDSIZE:
            if (!isSystemDpiMessage(static_cast<int>(wParam), lParam)) return FALSE;
            return OnGetDpiScaledSize(static_cast<int>(wParam), *reinterpret_cast<SIZE*>(lParam));
        case WM_DESTROY: OnDestroy(); return 0;
    }
    return defaultAnswer(message, wParam, lParam);
}

LRESULT CALLBACK Form::buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!form) return DefWindowProcW(hwnd, message, wParam, lParam);
    return form->handleButtonMessage(hwnd, GetDlgCtrlID(hwnd), message, wParam, lParam);
}

LRESULT Form::handleButtonMessage(HWND button, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    const int row = rowOfButton(id);
    bool handled = false;
    switch (message) {
        // A screen reader asks a rank button how many of its cards remain.
        case WM_GETOBJECT: {
            if (!row) break;
            const LRESULT object = accessibility_.answerButton(button, row, wParam, lParam, handled);
            if (handled) return object;
            break;
        }
        // A quick second press arrives as a double-click: it still counts.
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK: if (row) { board_.undo(row); return 0; } break;
        // The keys themselves, once per press as the mouse; not the
        // WM_CONTEXTMENU that may follow a key or a right release, which would
        // put a second card back and which any program can send. Kept from the
        // default handling, where F10 would open the window menu on release.
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (!row || !isPutBackKey(wParam)) break;
            if (!(lParam & kKeyWasDown)) board_.undo(row);
            return 0;
        case WM_MOUSEMOVE: if (row && !tipsTried_) createTips(MSG{button, message, wParam, lParam, 0, {}}); break;
        case WM_SETFOCUS: if (isPushButton(id)) OnButtonFocus(button, true); break;
        case WM_KILLFOCUS: if (isPushButton(id)) OnButtonFocus(button, false); break;
        // The controls are built, and go only with the form: these come from
        // someone else, and the control's own procedure must not see them
        // (it would free its state, or build it anew). Nor is a child closed.
        case WM_NCCREATE:
        case WM_CREATE:
        case WM_CLOSE: return 0;
        case WM_DESTROY:
        case WM_NCDESTROY: if (!destroyingForReal()) return 0; break;
    }
    return CallWindowProcW(buttonClassProc_, button, message, wParam, lParam);
}

LRESULT CALLBACK Form::tipsProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR subclassId,
                                DWORD_PTR refData) {
    // The system hands every WINDOWPOS over itself, from any sender: the
    // pointer is always good to use.
    if (message == WM_WINDOWPOSCHANGING) reinterpret_cast<const Form*>(refData)->placeTip(*reinterpret_cast<WINDOWPOS*>(lParam));
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, tipsProc, subclassId);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

bool Form::OnCreate() {
    dpi_ = dpiForWindow(hwnd());
    Fonts fonts;
    if (!makeFonts(fonts) || !loadArt()) return false;
    fonts_ = std::move(fonts);
    // A new child window goes to the bottom of its siblings, and the dialog
    // manager tabs from the top: so the controls are made in their tab order,
    // then the pictures, and last the group box, underneath everything it
    // surrounds. No restacking afterwards.
    if (!createControlsInTabOrder() || !createPictures() || !createGroupBox()) return false;
    lastFocus_ = rowButtons_[kFirstFocusRow];
    return true;
}

void Form::OnDpiChanged(int dpi, const RECT& suggested) {
    // Moved to a monitor of another dpi, or the user changed the scale: lay
    // everything out anew, as if the window had opened there.
    dpi_ = dpi;
    Fonts fonts;
    bool adapted = loadIcons();
    adapted = makeFonts(fonts) && adapted;
    adapted = loadArt() && adapted;
    if (!adapted) {
        // Only a damaged program file gets here; say so, and keep what is shown.
        Text text(L"Pellora 无法适应新的显示缩放：");
        text << error_.c_str() << L"。";
        MessageBoxW(hwnd(), text.c_str(), L"Pellora", MB_OK | MB_ICONWARNING);
    }
    if (fonts.normal) {
        // The controls take the new fonts before the old ones go.
        std::swap(fonts_, fonts);
    }
    layOut();
    SetWindowPos(hwnd(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hwnd(), nullptr, TRUE);
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
    Icon big(loadIconForSize(instance_, IDI_PELLORA, systemMetricForDpi(SM_CXICON, dpi_)));
    Icon small(loadIconForSize(instance_, IDI_PELLORA, systemMetricForDpi(SM_CXSMICON, dpi_)));
    if (!big || !small)
        return fail(Text(L"无法载入窗口图标（图标组 ") << IDI_PELLORA << L"，错误 " << lastError() << L"）");
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
    return true;
}

bool Form::loadArt() {
    const int scale = artScaleForDpi(dpi_);
    Text error;
    if (!art_.load(instance_, scale, error)) return fail(error);
    artScale_ = scale;
    return true;
}

bool Form::makeFonts(Fonts& fonts) {
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
        return Font(CreateFontIndirectW(&font));
    };
    Fonts made{Font(CreateFontIndirectW(&metrics.lfMessageFont)), makeFont(FontRole::Rank), makeFont(FontRole::Joker)};
    if (!made.normal || !made.rank || !made.joker) return fail(Text(L"无法创建按钮的字体"));
    fonts = std::move(made);
    return true;
}

void Form::OnActivate(bool active) {
    // As a dialog does: the focus leaves with the window and comes back with it.
    if (!active) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd(), focus)) lastFocus_ = focus;
        return;
    }
    if (lastFocus_) SetFocus(lastFocus_);
}

void Form::OnCommand(int id, int notifyCode) {
    if (notifyCode != BN_CLICKED) return;
    // Enter reaches us as IDOK when the dialog manager does not see the focused
    // button as the default one (Wine, for one): it still clicks that button.
    if (id == IDOK) id = focusedPushButton();
    if (const int row = rowOfButton(id)) board_.play(row);
    else if (id == IDC_RESET) board_.reset();
    else if (id == IDC_STAY_ON_TOP) OnStayOnTopClick();
}

int Form::focusedPushButton() const {
    HWND focus = GetFocus();
    if (!focus || GetParent(focus) != hwnd()) return 0;
    const int id = GetDlgCtrlID(focus);
    return isPushButton(id) ? id : 0;
}

void Form::OnDestroy() {
    if (tips_) DestroyWindow(tips_);
    tips_ = nullptr;
    // Closing, by whatever means, ends the program; nothing is asked or kept.
    if (built_) PostQuitMessage(0);
}

void Form::OnStayOnTopClick() {
    const LRESULT value = SendMessageW(control(IDC_STAY_ON_TOP), BM_GETCHECK, 0, 0);
    SetWindowPos(hwnd(), value == BST_CHECKED ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
}

void Form::OnButtonFocus(HWND button, bool focused) {
    // The focused push button is the default one, so Enter clicks it as in a dialog.
    const DWORD type = focused ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) != type) SendMessageW(button, BM_SETSTYLE, type, TRUE);
}

void Form::cardShown(int card, bool shown) {
    pictures_.repaint(card);
    accessibility_.cardShown(pictures_.hwnd(), card, shown);
}

void Form::rowRemaining(int row, int) { accessibility_.rowChanged(rowButtons_[static_cast<std::size_t>(row)]); }

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
    const Text caption = Text().utf8(entry.caption);
    const DWORD style = controlStyle(entry.kind, entry.row == kFirstFocusRow);
    HWND control = CreateWindowExW(0, WC_BUTTONW, caption.c_str(), style, px.left, px.top, px.width, px.height, hwnd(),
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)), instance_, nullptr);
    if (!control)
        return fail(Text(L"无法创建控件 ").utf8(entry.name) << L"（“" << caption.c_str() << L"”，错误 " << lastError()
                                                         << L"）");
    controls_[index] = control;
    if (entry.row) rowButtons_[static_cast<std::size_t>(entry.row)] = control;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.of(entry.font)), FALSE);
    if (!hookControl(control)) return fail(Text(L"无法接管控件 ").utf8(entry.name) << L" 的输入");
    return true;
}

bool Form::hookControl(HWND control) {
    // Through the window procedure itself: SetWindowSubclass looks its hook
    // up in a window property, twice a message, and under Wine each look is
    // a round trip to the server.
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const auto own = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form::buttonProc)));
    if (!own || (buttonClassProc_ && own != buttonClassProc_)) return false;
    buttonClassProc_ = own;
    return true;
}

bool Form::createPictures() {
    // Named as the group box that holds them: "剩牌", the cards that remain.
    const Text name = Text().utf8(groupBox().caption);
    if (!pictures_.create(hwnd(), IDC_PICTURES, name.c_str(), dpi_, art_, artScale_, instance_))
        return fail(Text(L"无法创建牌面图片的窗口（错误 ") << lastError() << L"）");
    return true;
}

void Form::createTips(const MSG& firstMove) {
    // Not made at start, which it would slow by a tooltip window: only a
    // pointer over a button needs it. Without it the buttons still work, and
    // a screen reader still gets the same text as their help. Owned by no
    // window: Wine does not make a window with an owned popup topmost.
    tipsTried_ = true;
    tips_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, nullptr);
    if (!tips_) return;
    SetWindowSubclass(tips_, tipsProc, 0, reinterpret_cast<DWORD_PTR>(this));
    SendMessageW(tips_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.normal.get()), FALSE);
    // Lines break where the text says, nowhere else.
    SendMessageW(tips_, TTM_SETMAXTIPWIDTH, 0, SHRT_MAX);
    const Text help = Text().utf8(buttonHelp());
    for (int row = kFirstRow; row <= kLastRow; ++row) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = hwnd();
        tool.uId = reinterpret_cast<UINT_PTR>(rowButtons_[static_cast<std::size_t>(row)]);
        tool.lpszText = const_cast<wchar_t*>(help.c_str());  // copied by the tooltip
        SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    // The move that brought the pointer here came before the tooltip watched.
    SendMessageW(tips_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&firstMove));
}

void Form::placeTip(WINDOWPOS& place) const {
    // Beside the window, left of it where the screen has room, else right,
    // level with its button: never over the cards, where the pointer's place
    // would put it.
    if (place.flags & SWP_NOMOVE) return;
    RECT form{}, tip{}, button{};
    GetWindowRect(hwnd(), &form);
    GetWindowRect(place.hwnd, &tip);
    const int width = place.flags & SWP_NOSIZE ? tip.right - tip.left : place.cx;
    const int height = place.flags & SWP_NOSIZE ? tip.bottom - tip.top : place.cy;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int gap = MulDiv(4, dpi_, 96);
    const int left = form.left - gap - width;
    place.x = left >= work.left ? left : form.right + gap;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    if (SendMessageW(place.hwnd, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) &&
        GetWindowRect(reinterpret_cast<HWND>(tool.uId), &button))
        place.y = std::max(work.top, std::min((button.top + button.bottom - height) / 2, work.bottom - height));
}

void Form::layOut() {
    for (std::size_t i = 0; i < controlTable().size(); ++i) {
        const ControlSpec& entry = controlTable()[i];
        const Rect px = toPixels(entry.twips, dpi_);
        SetWindowPos(controls_[i], nullptr, px.left, px.top, px.width, px.height, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.of(entry.font)), TRUE);
    }
    if (tips_) SendMessageW(tips_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.normal.get()), FALSE);
    pictures_.layOut(dpi_, art_, artScale_);
}

bool Form::fail(const Text& what) {
    error_ = what;
    return false;
}

}  // namespace pellora
