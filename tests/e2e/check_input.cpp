// Checks on input as a person gives it: the focus and the tab order, Space,
// Enter, the menu key and Shift+F10, the buttons' tip, sequences of plays,
// undos and resets, clicks that must do nothing, 置顶 (stay on top), and
// closing the window.
#include "checks.h"

#include "app.h"
#include "input.h"
#include "report.h"
#include "tester.h"

#include "control_ids.h"
#include "layout.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

using pellora::ControlKind;
using pellora::ControlSpec;
using pellora::PictureCell;

namespace {

const ControlSpec& controlById(int id) {
    for (const auto& entry : pellora::controlTable())
        if (entry.id == id) return entry;
    return pellora::controlTable()[0];
}

int focusedId(const PelloraApp& app) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(app.guiThread(), &info) || !info.hwndFocus) return 0;
    return GetDlgCtrlID(info.hwndFocus);
}

// Presses a key and waits for the focus to move off `from`.
int focusAfterKey(const PelloraApp& app, WORD key, std::initializer_list<WORD> modifiers, int from) {
    pressKey(key, modifiers);
    int now = from;
    waitUntil(3000, [&] { return (now = focusedId(app)) != from; });
    return now;
}

std::string idName(int id) { return id ? controlById(id).name : "nothing"; }

BOOL CALLBACK findShownTip(HWND hwnd, LPARAM found) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    if (!IsWindowVisible(hwnd) || lstrcmpiW(name, TOOLTIPS_CLASSW) != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

// Starts one more Pellora.exe, closes it by `close`, and checks that the
// process ends within a second.
void checkClose(Report& report, const std::wstring& exe, const std::string& how, const std::function<void(PelloraApp&)>& close) {
    PelloraApp other;
    std::string error;
    if (!report.check(other.start(exe, kStartTimeoutMs, error), "close: another instance starts for " + how, error)) return;
    close(other);
    LARGE_INTEGER asked;
    QueryPerformanceCounter(&asked);
    const bool ended = other.waitForExit(1000);
    DWORD code = 0;
    GetExitCodeProcess(other.process(), &code);
    report.check(ended, "close: " + how + " ends the process within a second",
                 ended ? format("ended after %.0f ms, exit code %lu", millisecondsSince(asked), code)
                       : "still running after 1000 ms");
}

}  // namespace

void checkFocus(Report& report, PelloraApp& app) {
    report.check(GetForegroundWindow() == app.form(), "focus: Pellora is the active window at start");
    int focus = 0;
    waitUntil(3000, [&] { return (focus = focusedId(app)) == IDC_FIRST_ROW_BUTTON; });
    report.check(focus == IDC_FIRST_ROW_BUTTON, "focus: starts on Command1 (\"A\")", idName(focus));

    std::vector<const ControlSpec*> order;
    for (const auto& entry : pellora::controlTable())
        if (entry.kind != ControlKind::GroupBox) order.push_back(&entry);
    std::sort(order.begin(), order.end(), [](const ControlSpec* a, const ControlSpec* b) { return a->tab < b->tab; });

    std::string expected, seen;
    int current = focus;
    for (std::size_t i = 1; i <= order.size(); ++i) {
        const ControlSpec* next = order[i % order.size()];
        expected += std::string(i > 1 ? " " : "") + next->name;
        current = focusAfterKey(app, VK_TAB, {}, current);
        seen += std::string(i > 1 ? " " : "") + idName(current);
    }
    report.check(seen == expected, "focus: Tab walks the tab order and wraps to Command1", seen);
    current = focusAfterKey(app, VK_TAB, {VK_SHIFT}, current);
    report.check(current == IDC_STAY_ON_TOP, "focus: Shift+Tab from Command1 goes back to Check1", idName(current));
    current = focusAfterKey(app, VK_TAB, {}, current);
    report.check(current == IDC_FIRST_ROW_BUTTON, "focus: Tab from Check1 returns to Command1", idName(current));
}

void checkKeyboard(Tester& t, Report& report, PelloraApp& app) {
    if (!report.check(focusedId(app) == IDC_FIRST_ROW_BUTTON, "keys: Command1 focused before Space/Enter", idName(focusedId(app))))
        return;
    auto playedA = [&] { return shownPlayed(app.form(), 1, t.dpi()); };
    // A key on the focused "A", the model moved by `change` (+1 plays, -1 puts
    // back); then waits for the row to show what the model says.
    auto key = [&](WORD vk, std::initializer_list<WORD> modifiers, int change, int downs = 1) {
        pressKey(vk, modifiers, downs);
        if (change > 0) t.model().play(1);
        if (change < 0) t.model().undo(1);
        waitUntil(kSettleTimeoutMs, [&] { return playedA() == t.model().played[1]; });
        return playedA();
    };
    const int before = t.model().played[1];
    const int afterSpace = key(VK_SPACE, {}, +1);
    report.check(afterSpace == before + 1, "keys: Space on the focused \"A\" plays it", format("row 1 shows %d played", afterSpace));
    const int afterEnter = key(VK_RETURN, {}, +1);
    report.check(afterEnter == before + 2, "keys: Enter on the focused \"A\" plays it",
                 format("row 1 shows %d played, focus on %s", afterEnter, idName(focusedId(app)).c_str()));

    // The keyboard's right button puts one back, once per press however long held.
    const int afterMenu = key(VK_APPS, {}, -1);
    const int afterShiftF10 = key(VK_F10, {VK_SHIFT}, -1);
    report.check(afterMenu == before + 1 && afterShiftF10 == before, "keys: the menu key, then Shift+F10, each put one \"A\" back",
                 format("row 1 shows %d played, then %d", afterMenu, afterShiftF10));
    key(VK_SPACE, {}, +1);
    key(VK_SPACE, {}, +1);
    const int held = key(VK_APPS, {}, -1, 4);
    report.check(held == before + 1, "keys: the menu key held until it repeats puts back one card", format("row 1 shows %d played", held));
    key(VK_F10, {VK_SHIFT}, -1);
    // On a full row they do nothing, and never play: the Space after shows one played.
    key(VK_APPS, {}, -1);
    key(VK_F10, {VK_SHIFT}, -1);
    const int onFull = key(VK_SPACE, {}, +1);
    report.check(before == 0 && onFull == 1, "keys: on a full row the menu key and Shift+F10 change nothing", format("then Space shows %d played", onFull));
    // What a menu key's context-menu message looks like, from another program:
    // it is no key, and puts nothing back.
    HWND a = app.control(IDC_FIRST_ROW_BUTTON);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(a, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(a), -1, SMTO_ABORTIFHUNG, 5000, &ignored);
    PostMessageW(a, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(a), -1);
    const int forged = key(VK_SPACE, {}, +1);
    report.check(forged == before + 2, "keys: a WM_CONTEXTMENU sent or posted by another program puts nothing back",
                 format("then Space shows %d played", forged));
    t.verify("keys: the cells show the keyboard's plays and put-backs");
}

void checkTip(Tester& t, Report& report, PelloraApp& app, const std::wstring& outFolder) {
    // Under Wine a lone move can be undone by X reporting an older pointer
    // position late: the pointer stirs on the button until the tip shows.
    HWND tip = nullptr;
    for (int i = 0; i < 5 && !tip; ++i) {
        POINT k = t.buttonCentre(IDC_ROW_BUTTON_BASE + 13);
        k.y += i % 2;
        movePointer(k);
        waitUntil(1000, [&] {
            EnumThreadWindows(app.guiThread(), findShownTip, reinterpret_cast<LPARAM>(&tip));
            return tip != nullptr;
        });
    }
    if (!report.check(tip != nullptr, "tip: the pointer resting on \"K\" shows a tip", tip ? "" : "none within 5 s")) return;
    wchar_t text[256] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(tip, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &length);
    std::string said = narrow(text);
    const bool saysHow = said == kButtonHelp;
    std::replace(said.begin(), said.end(), '\n', '|');
    report.check(saysHow, "tip: it says how a click plays and how to put a card back", said);
    const RECT shown = windowRect(tip), form = windowRect(app.form()), k = windowRect(app.control(IDC_ROW_BUTTON_BASE + 13));
    RECT overlap{}, both{};
    const bool level = std::abs((shown.top + shown.bottom) - (k.top + k.bottom)) <= 2;
    report.check(!IntersectRect(&overlap, &shown, &form) && level, "tip: it stands beside the window level with \"K\", never over the cards",
                 describe(shown) + ", the window " + describe(form) + ", \"K\" " + describe(k));
    UnionRect(&both, &shown, &form);
    Sleep(500);  // a picture for people: the tip painted, as they see it
    Screenshot::grab(both).saveBmp(outFolder + L"\\tip-" + std::to_wstring(t.dpi()) + L".bmp");
}

void checkSequences(Tester& t, Report& report, const std::wstring& outFolder) {
    (void)report;
    t.play(13);
    t.verify("play: a click on \"K\" hides the diamond (element 0)");
    t.undo(13);
    t.verify("undo: a right press on \"K\" right after puts the diamond back");

    for (int i = 0; i < 4; ++i) t.play(5);
    t.verify("play: four clicks on \"5\" hide all four");
    t.play(5);
    t.verify("play: a fifth click on \"5\" changes nothing");
    for (int element = 3; element >= 0; --element) {
        t.undo(5);
        t.verify(format("undo: right press %d on \"5\" shows element %d again", 4 - element, element));
    }
    t.undo(5);
    t.verify("undo: a right press on a full \"5\" changes nothing");

    t.play(7);
    t.play(7);
    t.undo(7);
    t.verify("undo: two plays and one undo on \"7\" leave only element 0 hidden");
    t.play(7);
    t.verify("play: the next play on \"7\" hides element 1");

    for (int i = 0; i < 3; ++i) t.play(9);
    t.verify("play: three clicks on \"9\"");
    t.undo(9, {VK_SHIFT});
    t.verify("undo: right press with Shift held undoes");
    t.undo(9, {VK_CONTROL});
    t.verify("undo: right press with Ctrl held undoes");
    t.undo(9, {VK_MENU});
    pressKey(VK_ESCAPE);  // a lone Alt release may open the system menu's keyboard mode
    t.verify("undo: right press with Alt held undoes");

    clickAt(t.buttonCentre(IDC_ROW_BUTTON_BASE + 2), MouseButton::Middle);
    t.verify("ignore: a middle press on \"2\" does nothing");
    clickAt(t.buttonCentre(IDC_ROW_BUTTON_BASE + 4), MouseButton::Right);
    t.model().undo(4);
    t.verify("ignore: a right press on a full \"4\" never plays");

    doubleClickAt(t.buttonCentre(IDC_ROW_BUTTON_BASE + 3), MouseButton::Left);
    t.model().play(3);
    t.model().play(3);
    t.verify("fast: a quick double click on \"3\" is two plays");
    doubleClickAt(t.buttonCentre(IDC_ROW_BUTTON_BASE + 3), MouseButton::Right);
    t.model().undo(3);
    t.model().undo(3);
    t.verify("fast: two quick right presses on \"3\" are two undos");

    t.play(14);
    t.verify("joker: a click on \"大王\" hides the big joker");
    t.play(14);
    t.verify("joker: a second click on \"大王\" changes nothing");
    t.undo(14);
    t.verify("joker: a right press on \"大王\" shows it again");
    t.play(15);
    t.verify("joker: a click on \"小王\" hides the small joker");
    t.play(10);
    t.play(10);
    t.play(11);
    t.verify("play: a few more plays across rows");
    t.saveScreenshot(outFolder + L"\\after-plays-" + std::to_wstring(t.dpi()) + L".bmp");

    HWND form = GetAncestor(WindowFromPoint(t.buttonCentre(IDC_FIRST_ROW_BUTTON)), GA_ROOT);
    const PictureCell& cell = pellora::pictureTable()[0];
    POINT onPicture = t.clientOrigin();
    onPicture.x += pellora::twipsToPixels(cell.twips.left + cell.twips.width / 2, t.dpi());
    onPicture.y += pellora::twipsToPixels(cell.twips.top + cell.twips.height / 2, t.dpi());
    clickAt(onPicture, MouseButton::Left);
    clickAt(onPicture, MouseButton::Right);
    RECT client{};
    GetClientRect(form, &client);
    POINT background = t.clientOrigin();
    background.x += 4;  // left margin, outside the group box
    background.y += client.bottom / 2;
    clickAt(background, MouseButton::Left);
    clickAt(background, MouseButton::Right);
    t.verify("ignore: clicks on a picture and on the window background do nothing");
}

void checkStayOnTop(Tester& t, Report& report, PelloraApp& app) {
    HWND form = app.form();
    HWND check = app.control(IDC_STAY_ON_TOP);
    auto checked = [&] {
        DWORD_PTR value = 0;
        SendMessageTimeoutW(check, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &value);
        return value == BST_CHECKED;
    };
    auto topmost = [&] { return (GetWindowLongW(form, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    auto state = [&] { return format("check %s, %s", checked() ? "ticked" : "clear", topmost() ? "topmost" : "not topmost"); };

    report.check(!checked() && !topmost(), "置顶: clear and not topmost at start", state());
    const RECT before = windowRect(form);
    clickAt(centreOf(check), MouseButton::Left);
    waitUntil(kSettleTimeoutMs, [&] { return checked() && topmost(); });
    report.check(checked() && topmost(), "置顶: a click ticks it and sets WS_EX_TOPMOST", state());
    report.check(sameRect(before, windowRect(form)), "置顶: the window does not move",
                 describe(before) + " -> " + describe(windowRect(form)));

    clickAt(centreOf(check), MouseButton::Right);
    t.verify("置顶: a right press changes no card");
    report.check(checked() && topmost(), "置顶: a right press leaves it ticked and topmost", state());

    t.play(6);
    t.play(8);
    clickAt(t.buttonCentre(IDC_RESET), MouseButton::Right);
    t.verify("从新开始: a right press does nothing");
    t.reset();
    t.verify("从新开始: a click shows all 54 cards again");
    report.check(checked() && topmost(), "从新开始: reset leaves 置顶 ticked and the window topmost", state());

    clickAt(centreOf(check), MouseButton::Left);
    waitUntil(kSettleTimeoutMs, [&] { return !checked() && !topmost(); });
    report.check(!checked() && !topmost(), "置顶: a second click clears it and WS_EX_TOPMOST", state());
    report.check(sameRect(before, windowRect(form)), "置顶: the window still has not moved",
                 describe(windowRect(form)));
}

// Behaviour at another scale: plays, an undo and a reset come out the same.
void checkShortRun(Tester& t, const std::wstring& outFolder) {
    t.play(13);
    t.play(13);
    t.verify("play: two clicks on \"K\" hide the diamond and the club");
    t.undo(13);
    t.verify("undo: a right press on \"K\" shows the club again");
    t.play(14);
    t.play(3);
    t.verify("play: \"大王\" and \"3\" hide their cards");
    t.saveScreenshot(outFolder + L"\\after-plays-" + std::to_wstring(t.dpi()) + L".bmp");
    t.reset();
    t.verify("从新开始: a click shows all 54 cards again");
}

// Another instance closed each way a person closes it.
void checkClosing(Report& report, const std::wstring& exe) {
    checkClose(report, exe, "WM_CLOSE", [](PelloraApp& other) { PostMessageW(other.form(), WM_CLOSE, 0, 0); });
    checkClose(report, exe, "Alt+F4", [](PelloraApp& other) {
        waitUntil(3000, [&] { return GetForegroundWindow() == other.form(); });
        pressKey(VK_F4, {VK_MENU});
    });
}
