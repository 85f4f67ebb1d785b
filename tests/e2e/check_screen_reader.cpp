// Checks on what a screen reader meets (MSAA): nothing of accessibility loaded
// until asked, the 54 pictures named and placed in reading order, hidden while
// played, each button telling what remains, and an event for each change.
#include "checks.h"

#include "app.h"
#include "report.h"
#include "tester.h"

#include "board.h"
#include "control_ids.h"
#include "layout.h"
#include "pictures.h"
#include "tally.h"

#include <oleacc.h>
#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using pellora::PictureCell;

namespace {

// Hide and show events Pellora raises for its pictures, caught out of context
// as a screen reader catches them.
struct PictureEvents {
    static PictureEvents* current;
    HWND pictures = nullptr;
    std::vector<std::pair<DWORD, LONG>> seen;  // event, child id
    static void CALLBACK hook(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
        if (current && hwnd == current->pictures && object == OBJID_CLIENT) current->seen.emplace_back(event, child);
    }
};
PictureEvents* PictureEvents::current = nullptr;

// Messages for this thread (the hook's calls) while waiting for `done`.
bool pumpUntil(DWORD timeoutMs, const std::function<bool()>& done) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (done()) return true;
        if (GetTickCount64() >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::string fromBstr(BSTR text) {
    std::string result = text ? narrow(std::wstring(text, SysStringLen(text))) : std::string("(none)");
    SysFreeString(text);
    return result;
}

VARIANT childVariant(long child) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = child;
    return v;
}

// The pictures as a reader should meet them: line by line from the top,
// left to right, each named suit then rank.
std::vector<std::string> expectedCardNames() {
    std::vector<std::string> names = {"大王", "小王"};
    for (const char* rank : {"2", "A", "K", "Q", "J", "10", "9", "8", "7", "6", "5", "4", "3"})
        for (const char* suit : {"黑桃", "红桃", "梅花", "方块"}) names.push_back(std::string(suit) + rank);
    return names;
}

}  // namespace

// Everything the accessible objects say that does not match the model: the
// 54 pictures' names, roles, states and places, each button's name and
// description and help.
std::string accessibleProblems(Tester& t, PelloraApp& app) {
    const Deadline bound(t.report(), app, "screen reader: reading Pellora's accessible objects", kScreenReaderTimeoutMs);
    std::string problems;
    auto add = [&](const std::string& p) {
        if (problems.size() < 600) problems += (problems.empty() ? "" : "; ") + p;
    };
    HWND pictures = app.control(IDC_PICTURES);
    IAccessible* cards = nullptr;
    HRESULT hr = AccessibleObjectFromWindow(pictures, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                            reinterpret_cast<void**>(&cards));
    if (FAILED(hr) || !cards) return format("the pictures' window gives no accessible object (0x%08lX)", static_cast<unsigned long>(hr));
    BSTR ownName = nullptr;
    cards->get_accName(childVariant(CHILDID_SELF), &ownName);
    const std::string groupName = fromBstr(ownName);
    if (groupName != "剩牌") add("the pictures' object is named \"" + groupName + "\", not \"剩牌\" as their group box");
    long count = 0;
    cards->get_accChildCount(&count);
    std::vector<VARIANT> children(60);
    long got = 0;
    hr = AccessibleChildren(cards, 0, static_cast<LONG>(children.size()), children.data(), &got);
    if (FAILED(hr) || count != pellora::kPictureCount || got != pellora::kPictureCount) {
        cards->Release();
        return format("the pictures' object has %ld children, AccessibleChildren gave %ld (0x%08lX); expected 54", count, got,
                      static_cast<unsigned long>(hr));
    }
    // Where each named card's cell is, and whether the model shows it.
    struct Expected {
        RECT place;
        bool shown;
    };
    std::vector<std::pair<std::string, Expected>> byName;
    const POINT origin = t.clientOrigin();
    for (const PictureCell& cell : pellora::pictureTable()) {
        const pellora::Rect px = pellora::toPixels(cell.twips, t.dpi());
        byName.push_back({pellora::cardName(cell.card),
                          {RECT{origin.x + px.left, origin.y + px.top, origin.x + px.right(), origin.y + px.bottom()},
                           t.model().visible(cell.row, cell.element)}});
    }
    const std::vector<std::string> names = expectedCardNames();
    for (long i = 0; i < got; ++i) {
        VARIANT& child = children[static_cast<std::size_t>(i)];
        if (child.vt != VT_I4) {
            add(format("child %ld is not a simple element (vt %d)", i + 1, child.vt));
            VariantClear(&child);
            continue;
        }
        BSTR text = nullptr;
        cards->get_accName(child, &text);
        const std::string name = fromBstr(text);
        if (name != names[static_cast<std::size_t>(i)]) add(format("child %ld is \"%s\", expected \"%s\"", i + 1, name.c_str(), names[static_cast<std::size_t>(i)].c_str()));
        const auto expected = std::find_if(byName.begin(), byName.end(), [&](const auto& e) { return e.first == name; });
        VARIANT role, state;
        VariantInit(&role);
        VariantInit(&state);
        cards->get_accRole(child, &role);
        cards->get_accState(child, &state);
        if (role.vt != VT_I4 || role.lVal != ROLE_SYSTEM_GRAPHIC) add(format("%s is not a graphic", name.c_str()));
        const bool invisible = state.vt == VT_I4 && (state.lVal & STATE_SYSTEM_INVISIBLE);
        if (expected != byName.end() && invisible == expected->second.shown)
            add(format("%s is %s, but its card is %s", name.c_str(), invisible ? "invisible" : "visible",
                       expected->second.shown ? "there" : "played"));
        long left = 0, top = 0, width = 0, height = 0;
        cards->accLocation(&left, &top, &width, &height, child);
        const RECT place{left, top, left + width, top + height};
        if (expected != byName.end() && !sameRect(place, expected->second.place))
            add(format("%s stands at %s, its cell at %s", name.c_str(), describe(place).c_str(), describe(expected->second.place).c_str()));
        VariantClear(&role);
        VariantClear(&state);
    }
    cards->Release();

    for (int row = pellora::kFirstRow; row <= pellora::kLastRow; ++row) {
        IAccessible* button = nullptr;
        hr = AccessibleObjectFromWindow(app.control(IDC_ROW_BUTTON_BASE + row), static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                        reinterpret_cast<void**>(&button));
        if (FAILED(hr) || !button) {
            add(format("Command%d gives no accessible object", row));
            continue;
        }
        BSTR name = nullptr, description = nullptr, help = nullptr;
        button->get_accName(childVariant(CHILDID_SELF), &name);
        button->get_accDescription(childVariant(CHILDID_SELF), &description);
        button->get_accHelp(childVariant(CHILDID_SELF), &help);
        const std::string gotName = fromBstr(name), gotDescription = fromBstr(description), gotHelp = fromBstr(help);
        if (gotHelp != kButtonHelp) add(format("Command%d's help is \"%s\"", row, gotHelp.c_str()));
        const std::string wantDescription = format("剩 %d 张", pellora::picturesInRow(row) - t.model().played[row]);
        if (gotName != pellora::rankName(row) || gotDescription != wantDescription)
            add(format("Command%d reads \"%s\", \"%s\"; expected \"%s\", \"%s\"", row, gotName.c_str(), gotDescription.c_str(),
                       pellora::rankName(row), wantDescription.c_str()));
        button->Release();
    }
    return problems;
}

namespace {

// Where the process has `dll` loaded from; empty when it has not.
std::wstring loadedFrom(const PelloraApp& app, const wchar_t* dll) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, GetProcessId(app.process()));
    if (snapshot == INVALID_HANDLE_VALUE) return L"?";
    std::wstring path;
    MODULEENTRY32W module{};
    module.dwSize = sizeof(module);
    for (BOOL more = Module32FirstW(snapshot, &module); more; more = Module32NextW(snapshot, &module))
        if (lstrcmpiW(module.szModule, dll) == 0) path = module.szExePath;
    CloseHandle(snapshot);
    return path;
}

// Where the rules of MSAA meet the pictures: hit tests beside the window,
// arrows between the cards, directions and members that do not exist.
std::string ruleProblems(const Report& report, const PelloraApp& app) {
    const Deadline bound(report, app, "screen reader: asking the pictures' object by the rules of MSAA", kScreenReaderTimeoutMs);
    HWND pictures = app.control(IDC_PICTURES);
    IAccessible* cards = nullptr;
    if (FAILED(AccessibleObjectFromWindow(pictures, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&cards))) || !cards)
        return "the pictures' window gives no accessible object";
    std::string problems;
    const RECT r = windowRect(pictures);
    for (const POINT p : {POINT{r.left - 3, r.top + 5}, POINT{r.right + 3, r.bottom - 5}, POINT{r.left + 5, r.bottom + 2}}) {
        VARIANT at;
        VariantInit(&at);
        const HRESULT hr = cards->accHitTest(p.x, p.y, &at);
        if (hr != S_FALSE || at.vt != VT_EMPTY)
            problems += format("hit test at (%ld,%ld), outside: 0x%08lX vt %d; ", p.x, p.y, static_cast<unsigned long>(hr), at.vt);
        VariantClear(&at);
    }
    // Children in reading order: 1 大王, 2 小王, 3..6 the line of 2 (黑桃, 红桃,
    // 梅花, 方块), 7..10 of A, 11..14 of K, 15..18 of Q. 0 for "nothing there".
    struct Step {
        long from, direction, to;
        HRESULT result;
    };
    const Step steps[] = {{4, NAVDIR_UP, 1, S_OK},         {5, NAVDIR_UP, 2, S_OK},     {1, NAVDIR_DOWN, 3, S_OK},
                          {2, NAVDIR_DOWN, 6, S_OK},       {1, NAVDIR_RIGHT, 2, S_OK},  {3, NAVDIR_LEFT, 0, S_FALSE},
                          {12, NAVDIR_DOWN, 16, S_OK},     {13, NAVDIR_UP, 9, S_OK},    {1, NAVDIR_UP, 0, S_FALSE},
                          {7, 0, 0, E_INVALIDARG},         {7, 9, 0, E_INVALIDARG},     {55, NAVDIR_NEXT, 0, E_INVALIDARG}};
    for (const Step& step : steps) {
        VARIANT to;
        VariantInit(&to);
        const HRESULT hr = cards->accNavigate(step.direction, childVariant(step.from), &to);
        const long got = to.vt == VT_I4 ? to.lVal : 0;
        if (hr != step.result || got != step.to || (!step.to && to.vt != VT_EMPTY))
            problems += format("navigating %ld from %ld: 0x%08lX to %ld, expected 0x%08lX to %ld; ", step.direction, step.from,
                               static_cast<unsigned long>(hr), got, static_cast<unsigned long>(step.result), step.to);
        VariantClear(&to);
    }
    const HRESULT action = cards->accDoDefaultAction(childVariant(3)), noChild = cards->accDoDefaultAction(childVariant(55));
    if (action != DISP_E_MEMBERNOTFOUND || noChild != E_INVALIDARG)
        problems += format("accDoDefaultAction: 0x%08lX on a card, 0x%08lX on no child", static_cast<unsigned long>(action),
                           static_cast<unsigned long>(noChild));
    cards->Release();
    return problems;
}

}  // namespace

void checkAccessibility(Tester& t, Report& report, PelloraApp& app) {
    const std::wstring before = loadedFrom(app, L"oleacc.dll");
    report.check(before.empty(), "screen reader: nothing of accessibility loaded before one asks (no oleacc.dll)",
                 before.empty() ? "" : "loaded from " + narrow(before));
    t.reset();
    t.verify("screen reader: a full deck to start from");
    std::string problems = accessibleProblems(t, app);
    report.check(problems.empty(), "screen reader: \"剩牌\" holds 54 pictures named suit then rank, in reading order, all visible; each button says 剩 N 张 and how to put one back",
                 problems.empty() ? "as the screen shows" : problems);
    // A 32-bit process on 64-bit Windows may see its system folder as SysWOW64.
    wchar_t system[MAX_PATH] = {}, wow64[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    GetSystemWow64DirectoryW(wow64, MAX_PATH);
    const std::wstring after = loadedFrom(app, L"oleacc.dll");
    const std::wstring folder = after.substr(0, after.find_last_of(L'\\'));
    report.check(!after.empty() && (lstrcmpiW(folder.c_str(), system) == 0 || lstrcmpiW(folder.c_str(), wow64) == 0),
                 "screen reader: once asked, oleacc.dll comes from the system folder",
                 after.empty() ? "not loaded" : narrow(after));

    PictureEvents events;
    events.pictures = app.control(IDC_PICTURES);
    PictureEvents::current = &events;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_HIDE, nullptr, PictureEvents::hook,
                                         GetProcessId(app.process()), 0, WINEVENT_OUTOFCONTEXT);
    t.play(13);
    t.play(13);
    t.undo(13);
    t.play(14);
    t.verify("screen reader: two plays and an undo on \"K\", a play on \"大王\"");
    // In reading order the jokers are children 1 and 2, the line of "2" 3..6,
    // of "A" 7..10, of "K" 11..14 (黑桃, 红桃, 梅花, 方块): 方块K and 梅花K are
    // hidden, 梅花K shown again, then 大王 hidden.
    const std::vector<std::pair<DWORD, LONG>> wanted = {
        {EVENT_OBJECT_HIDE, 14}, {EVENT_OBJECT_HIDE, 13}, {EVENT_OBJECT_SHOW, 13}, {EVENT_OBJECT_HIDE, 1}};
    const bool heard = hook && pumpUntil(kSettleTimeoutMs, [&] { return events.seen.size() >= wanted.size(); });
    std::string seen;
    for (const auto& [event, child] : events.seen)
        seen += format("%s%s %ld", seen.empty() ? "" : ", ", event == EVENT_OBJECT_HIDE ? "hide" : "show", child);
    // The marker presses of the sync ("Q", children 15..18) come after.
    const bool inOrder = events.seen.size() >= wanted.size() && std::equal(wanted.begin(), wanted.end(), events.seen.begin());
    report.check(heard && inOrder, "screen reader: hearing a hide or show event for each picture that changed",
                 hook ? (seen.empty() ? "none" : seen) : format("SetWinEventHook failed (error %lu)", GetLastError()));
    problems = accessibleProblems(t, app);
    report.check(problems.empty(), "screen reader: after the plays and the undo, played cards invisible, the counts told",
                 problems.empty() ? t.modelSummary() : problems);

    t.reset();
    t.verify("screen reader: 从新开始 brings the deck back");
    problems = accessibleProblems(t, app);
    report.check(problems.empty(), "screen reader: after the reset every picture is visible again, every button says all remain",
                 problems.empty() ? "full deck" : problems);
    if (hook) UnhookWinEvent(hook);
    PictureEvents::current = nullptr;

    problems = ruleProblems(report, app);
    report.check(problems.empty(), "screen reader: hit tests beside the window find nothing, arrows go to the card beside, "
                                   "unknown directions and members are refused", problems);
}
