// Checks on messages another program forges: creation, destruction and dpi
// messages, sent and posted, and screen-reader requests whose answers nobody
// collects. None of them may change the window: afterwards it looks, counts,
// reads to a screen reader and closes as before, and holds no more atoms or
// handles than a few.
#include "checks.h"

#include "app.h"
#include "report.h"
#include "tester.h"

#include "control_ids.h"
#include "dpi.h"  // WM_DPICHANGED and WM_GETDPISCALEDSIZE where the headers lack them

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr unsigned char kUntouched = 0x5A;

// Sends as another program does, bounded: a window that stops answering
// fails the checks after, it does not stall the driver.
void forge(HWND to, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(to, message, wParam, lParam, SMTO_ABORTIFHUNG, 3000, &ignored);
}

int globalAtoms() {
    int count = 0;
    wchar_t name[256];
    for (UINT atom = 0xC000; atom <= 0xFFFF; ++atom)
        if (GlobalGetAtomNameW(static_cast<ATOM>(atom), name, 256)) ++count;
    return count;
}

// The handles `pid` holds, from the system's list of all handles: Wine's
// GetProcessHandleCount answers 0.
long handlesOf(DWORD pid) {
    struct Entry {
        ULONG process;
        BYTE type, flags;
        USHORT handle;
        void* object;
        ACCESS_MASK access;
    };
    using QueryFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    constexpr ULONG kSystemHandleInformation = 16;
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<unsigned char> buffer(1 << 20);
    ULONG needed = 0;
    LONG status = -1;
    for (int tries = 0; query && tries < 5; ++tries) {
        status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status >= 0) break;
        buffer.resize(buffer.size() * 2);
    }
    if (status < 0) return -1;
    ULONG count = 0;
    std::memcpy(&count, buffer.data(), sizeof(count));
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
    long mine = 0;
    for (ULONG i = 0; i < count && sizeof(void*) + (i + 1) * sizeof(Entry) <= buffer.size(); ++i)
        if (entries[i].process == pid) ++mine;
    return mine;
}

int childWindows(HWND form) {
    int count = 0;
    for (HWND child = GetWindow(form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++count;
    return count;
}

BOOL CALLBACK countDialog(HWND hwnd, LPARAM lParam) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    if (lstrcmpW(name, L"#32770") == 0) ++*reinterpret_cast<int*>(lParam);
    return TRUE;
}

// Screen-reader requests nobody collects: posted, and sent but the answer
// dropped. Returns what they left behind in atoms and handles.
std::string unansweredRequests(const PelloraApp& app, HWND pictures, bool& bounded) {
    const DWORD pid = GetProcessId(app.process());
    const int atomsBefore = globalAtoms();
    const long handlesBefore = handlesOf(pid);
    for (int i = 0; i < 2000; ++i) PostMessageW(pictures, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
    InsideBlock block{};
    std::string problem = app.askInside(InsideRequest::Where, block);  // posted too: handled after them
    const int atomsPosted = globalAtoms() - atomsBefore;
    // Bounded as a whole: a window that stops answering would make each send wait.
    const ULONGLONG deadline = GetTickCount64() + 60000;
    int sent = 0;
    for (; sent < 2000 && problem.empty(); ++sent) {
        forge(pictures, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
        if (GetTickCount64() > deadline) problem = format("timeout: %d of the 2,000 sent requests took over 60 s", sent + 1);
    }
    const int atoms = globalAtoms() - atomsBefore;
    const long handles = handlesOf(pid) - handlesBefore;
    bounded = problem.empty() && atoms <= 16 && handles <= 32 && handlesBefore > 0;
    return problem.empty() ? format("global atoms %+d after the posted, %+d after the sent; handles in Pellora %ld before, %+ld after",
                                    atomsPosted, atoms, handlesBefore, handles)
                           : problem;
}

}  // namespace

void checkForgedMessages(Tester& t, Report& report, PelloraApp& app) {
    HWND form = app.form(), pictures = app.control(IDC_PICTURES), king = app.control(IDC_ROW_BUTTON_BASE + 13),
         box = app.control(IDC_STAY_ON_TOP);
    const RECT before = windowRect(form);
    const int children = childWindows(form);

    bool bounded = false;
    const std::string leftBehind = unansweredRequests(app, pictures, bounded);
    report.check(bounded, "forged: screen-reader requests nobody collects leave at most a few atoms and handles", leftBehind);
    const ULONGLONG flooded = GetTickCount64();

    // A place inside Pellora (the test DLL's), marked, for a forged
    // message's lParam: a window that obeys writes there or reads a
    // rectangle from it.
    InsideBlock block{};
    std::string problem = app.askInside(InsideRequest::Where, block);
    unsigned char* target = app.insideTarget();
    if (target) {
        std::memset(target, kUntouched, sizeof(block.target));
        std::memcpy(target, &before, sizeof(before));
    }
    const auto inside = static_cast<LPARAM>(block.result);
    const unsigned char* scaled = target + sizeof(RECT);  // where a SIZE would be written

    for (int dpi : {192, 0, 65535}) {
        forge(form, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), inside);
        forge(form, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0);
        PostMessageW(form, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0);
        forge(form, WM_GETDPISCALEDSIZE, static_cast<WPARAM>(dpi), inside + static_cast<LPARAM>(sizeof(RECT)));
        forge(form, WM_GETDPISCALEDSIZE, static_cast<WPARAM>(dpi), 0);
    }
    CREATESTRUCTW create{};
    create.lpszClass = L"PelloraForm";
    create.lpszName = L"forged";
    for (HWND to : {form, pictures, king, box}) {
        forge(to, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create));
        forge(to, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create));
        forge(to, WM_NCDESTROY, 0, 0);
        PostMessageW(to, WM_NCDESTROY, 0, 0);
    }
    forge(form, WM_DESTROY, 0, 0);
    PostMessageW(form, WM_DESTROY, 0, 0);
    for (HWND child : {pictures, king, box}) forge(child, WM_CLOSE, 0, 0);  // only the form is closed
    // The forged WM_GETDPISCALEDSIZE must not have written into Pellora.
    bool untouched = problem.empty() && target;
    for (std::size_t i = 0; untouched && i < sizeof(SIZE); ++i) untouched = scaled[i] == kUntouched;
    report.check(untouched, "forged: WM_GETDPISCALEDSIZE from another program writes nothing into Pellora",
                 problem.empty() ? format("%s at 0x%08lX", untouched ? "untouched" : "written", static_cast<unsigned long>(inside))
                                 : problem);

    // The model check: the window as it was, still counting and painting.
    DWORD_PTR answer = 0;
    const bool answers = SendMessageTimeoutW(form, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) != 0;
    int dialogs = 0;
    EnumThreadWindows(app.guiThread(), countDialog, reinterpret_cast<LPARAM>(&dialogs));
    wchar_t caption[32] = {};
    GetWindowTextW(form, caption, 32);
    report.check(answers && sameRect(windowRect(form), before) && childWindows(form) == children && dialogs == 0 &&
                     std::wstring(caption) == L"Pellora",
                 "forged: the window still answers, where it was, with its caption, its controls and no message box",
                 format("%s; at %s; %d child windows (%d before); %d message boxes; caption \"%s\"", answers ? "answers" : "no answer",
                        describe(windowRect(form)).c_str(), childWindows(form), children, dialogs, narrow(caption).c_str()));
    checkControls(report, app, t.dpi());
    t.play(13);
    t.play(13);
    t.undo(13);
    t.play(14);
    t.verify("forged: plays and an undo on \"K\" and \"大王\" still count and show");
    // Uncollected answers are reclaimed after a while; the reader asks after that.
    const ULONGLONG sinceFlood = GetTickCount64() - flooded;
    if (sinceFlood < 2500) Sleep(static_cast<DWORD>(2500 - sinceFlood));
    const std::string tree = accessibleProblems(t, app);
    report.check(tree.empty(), "forged: the accessible tree still tells what the screen shows",
                 tree.empty() ? t.modelSummary() : tree);
    t.reset();
    t.verify("forged: 从新开始 still brings the deck back");
}
