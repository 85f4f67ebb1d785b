#include "app.h"

#include "report.h"
#include "screen.h"

#include "layout.h"

#include <cstring>
#include <vector>

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* windowClass;
    HWND found;
};

BOOL CALLBACK findWindowOf(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t className[64] = {};
    GetClassNameW(hwnd, className, 64);
    if (pid == search->processId && lstrcmpW(className, search->windowClass) == 0 && IsWindowVisible(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct ChildSearch {
    int id;
    HWND found;
};

BOOL CALLBACK findChild(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<ChildSearch*>(lParam);
    if (GetDlgCtrlID(hwnd) == search->id) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND findTopWindow(DWORD pid, const wchar_t* windowClass) {
    WindowSearch search{pid, windowClass, nullptr};
    EnumWindows(findWindowOf, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool waitUntil(DWORD timeoutMs, const std::function<bool()>& done) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(10);
    }
}

RECT windowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

double millisecondsSince(LARGE_INTEGER since) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - since.QuadPart) / static_cast<double>(frequency.QuadPart);
}

PelloraApp::~PelloraApp() {
    if (process_.hProcess) {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
}

bool PelloraApp::start(const std::wstring& exe, DWORD timeoutMs, std::string& error) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    QueryPerformanceCounter(&startedAt_);
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process_)) {
        error = format("CreateProcess failed (error %lu)", GetLastError());
        return false;
    }
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < deadline) {
        if (HWND found = findTopWindow(process_.dwProcessId, L"PelloraForm")) {
            form_ = found;
            guiThread_ = GetWindowThreadProcessId(form_, nullptr);
            return true;
        }
        DWORD code = 0;
        if (WaitForSingleObject(process_.hProcess, 20) == WAIT_OBJECT_0) {
            GetExitCodeProcess(process_.hProcess, &code);
            error = format("Pellora.exe exited with code %lu before showing its window", code);
            return false;
        }
    }
    error = format("no visible PelloraForm window within %lu ms", timeoutMs);
    return false;
}

HWND PelloraApp::control(int id) const {
    ChildSearch search{id, nullptr};
    EnumChildWindows(form_, findChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::uint32_t PelloraApp::callInside(const char* dll, const char* function, std::initializer_list<InsideArg> args,
                                     void* block, std::size_t size, std::string& problem) const {
    // Code and data lie in one shared section mapped into both processes
    // (Wine under emulation cannot write another process's memory); a thread
    // started there pushes the arguments, calls the function and stores what
    // it returned.
    using MapViewFn = LONG(NTAPI*)(HANDLE, HANDLE, void**, ULONG_PTR, SIZE_T, LARGE_INTEGER*, SIZE_T*, DWORD, ULONG, ULONG);
    using UnmapViewFn = LONG(NTAPI*)(HANDLE, void*);
    problem.clear();
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto mapView = reinterpret_cast<MapViewFn>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtMapViewOfSection")));
    auto unmapView = reinterpret_cast<UnmapViewFn>(reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtUnmapViewOfSection")));
    HMODULE module = LoadLibraryA(dll);
    const FARPROC target = module ? GetProcAddress(module, function) : nullptr;
    if (!mapView || !unmapView) problem = "ntdll has no NtMapViewOfSection";
    else if (!target) problem = format("%s has no %s", dll, function);
    constexpr DWORD kSize = 4096, kResultAt = 60, kBlockAt = 64;
    if (size > kSize - kBlockAt) problem = "too much data for the scratch block";
    if (!problem.empty()) return 0;

    HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_EXECUTE_READWRITE, 0, kSize, nullptr);
    if (!section) {
        problem = format("CreateFileMapping failed (error %lu)", GetLastError());
        return 0;
    }
    auto* local = static_cast<BYTE*>(MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, kSize));
    void* remote = nullptr;
    SIZE_T viewSize = 0;
    constexpr DWORD kViewShare = 1;
    const LONG status =
        local ? mapView(section, process_.hProcess, &remote, 0, 0, nullptr, &viewSize, kViewShare, 0, PAGE_EXECUTE_READWRITE) : -1;
    if (!local) problem = format("MapViewOfFile failed (error %lu)", GetLastError());
    else if (status < 0) problem = format("NtMapViewOfSection into Pellora failed (status 0x%08lX)", static_cast<unsigned long>(status));
    if (!problem.empty()) {
        if (local) UnmapViewOfFile(local);
        CloseHandle(section);
        return 0;
    }

    const auto base = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(remote));
    std::size_t at = 0;
    auto emit = [&](BYTE opcode, std::uint32_t value) {
        local[at++] = opcode;
        std::memcpy(local + at, &value, 4);
        at += 4;
    };
    const std::vector<InsideArg> list(args);
    for (auto arg = list.rbegin(); arg != list.rend(); ++arg)
        emit(0x68, arg->inBlock ? base + kBlockAt + arg->value : arg->value);                 // push argument
    emit(0xB8, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(target)));        // mov eax, function
    local[at++] = 0xFF;                                                                         // call eax
    local[at++] = 0xD0;
    emit(0xA3, base + kResultAt);                                                               // mov [result], eax
    const BYTE returnFromThread[] = {0xC2, 0x04, 0x00};                                         // ret 4
    std::memcpy(local + at, returnFromThread, sizeof(returnFromThread));
    if (size) std::memcpy(local + kBlockAt, block, size);

    HANDLE thread = CreateRemoteThread(process_.hProcess, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(remote),
                                       nullptr, 0, nullptr);
    if (!thread) problem = format("CreateRemoteThread failed (error %lu)", GetLastError());
    else if (WaitForSingleObject(thread, 20000) != WAIT_OBJECT_0) problem = format("%s did not return within 20 s", function);
    if (thread) CloseHandle(thread);
    std::uint32_t result = 0;
    if (problem.empty()) {
        std::memcpy(&result, local + kResultAt, 4);
        if (size) std::memcpy(block, local + kBlockAt, size);
        unmapView(process_.hProcess, remote);  // never under a thread still running
    }
    UnmapViewOfFile(local);
    CloseHandle(section);
    return result;
}

bool PelloraApp::fontOf(int controlId, LOGFONTW& font, std::string& problem) const {
    HWND target = control(controlId);
    if (!target) {
        problem = format("no control %d", controlId);
        return false;
    }
    const std::uint32_t hfont = callInside("user32.dll", "SendMessageW", {plain(reinterpret_cast<std::uintptr_t>(target)),
                                           plain(WM_GETFONT), plain(0), plain(0)}, nullptr, 0, problem);
    if (!problem.empty()) return false;
    if (!hfont) {
        problem = "the control answers WM_GETFONT with no font";
        return false;
    }
    font = LOGFONTW{};
    const std::uint32_t read = callInside("gdi32.dll", "GetObjectW", {plain(hfont), plain(sizeof(font)), inBlock(0)}, &font,
                                          sizeof(font), problem);
    if (problem.empty() && read == 0) problem = "GetObjectW cannot read the control's font";
    return problem.empty();
}

int PelloraApp::iconWidth(WPARAM which, std::string& problem) const {
    std::uint32_t icon = callInside("user32.dll", "SendMessageW", {plain(reinterpret_cast<std::uintptr_t>(form_)),
                                    plain(WM_GETICON), plain(which), plain(0)}, nullptr, 0, problem);
    // Without icons of its own the window shows its class's.
    if (problem.empty() && !icon)
        icon = callInside("user32.dll", "GetClassLongW", {plain(reinterpret_cast<std::uintptr_t>(form_)),
                                                          plain(static_cast<std::uint32_t>(which == ICON_BIG ? GCL_HICON : GCL_HICONSM))},
                          nullptr, 0, problem);
    if (!problem.empty() || !icon) return 0;
    // ICONINFO as a 32-bit process lays it out: fIcon, xHotspot, yHotspot, hbmMask, hbmColor.
    std::uint32_t info[5] = {};
    if (!callInside("user32.dll", "GetIconInfo", {plain(icon), inBlock(0)}, info, sizeof(info), problem)) {
        if (problem.empty()) problem = "GetIconInfo fails on the window's icon";
        return 0;
    }
    BITMAP bitmap{};
    callInside("gdi32.dll", "GetObjectW", {plain(info[4] ? info[4] : info[3]), plain(sizeof(bitmap)), inBlock(0)}, &bitmap,
               sizeof(bitmap), problem);
    std::string ignored;  // GetIconInfo made copies of the bitmaps: give them back
    for (std::uint32_t copy : {info[3], info[4]})
        if (copy) callInside("gdi32.dll", "DeleteObject", {plain(copy)}, nullptr, 0, ignored);
    return problem.empty() ? bitmap.bmWidth : 0;
}

int shownPlayed(HWND form, int row, int dpi) {
    POINT origin{0, 0};
    ClientToScreen(form, &origin);
    const Rgb background = fromColorref(GetSysColor(COLOR_BTNFACE));
    constexpr int kTolerance = 8;
    RECT area{};
    for (const pellora::PictureCell& cell : pellora::pictureTable()) {
        if (cell.row != row) continue;
        const pellora::Rect px = pellora::toPixels(cell.twips, dpi);
        const RECT r{origin.x + px.left, origin.y + px.top, origin.x + px.right(), origin.y + px.bottom()};
        UnionRect(&area, &area, &r);
    }
    const Screenshot shot = Screenshot::grab(area);
    if (!shot.valid()) return -1;
    int played = 0;
    for (const pellora::PictureCell& cell : pellora::pictureTable()) {
        if (cell.row != row) continue;
        const pellora::Rect px = pellora::toPixels(cell.twips, dpi);
        bool empty = true;
        for (int y = 0; empty && y < px.height; ++y)
            for (int x = 0; empty && x < px.width; ++x)
                empty = closeTo(shot.at(origin.x + px.left + x, origin.y + px.top + y), background, kTolerance);
        if (empty) ++played;
    }
    return played;
}

bool PelloraApp::waitForExit(DWORD timeoutMs) const {
    return WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

int markerDirection(int count, int shown) {
    const bool up = count < 4 && (count + 1 != shown || count + 2 <= 4);
    return up ? 1 : -1;
}
