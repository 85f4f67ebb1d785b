#include "app.h"

#include "report.h"
#include "screen.h"

#include "layout.h"

#include <cstddef>
#include <cstring>
#include <utility>

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

Deadline::Deadline(const Report& report, const PelloraApp& app, std::string name, DWORD timeoutMs)
    : report_(report), process_(app.process()), name_(std::move(name)), timeoutMs_(timeoutMs),
      over_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (over_) watcher_ = CreateThread(nullptr, 0, watch, this, 0, nullptr);
}

Deadline::~Deadline() {
    if (watcher_) {
        SetEvent(over_);
        WaitForSingleObject(watcher_, INFINITE);  // it returns at once once told
        CloseHandle(watcher_);
    }
    if (over_) CloseHandle(over_);
}

DWORD WINAPI Deadline::watch(void* self) {
    auto* deadline = static_cast<Deadline*>(self);
    if (WaitForSingleObject(deadline->over_, deadline->timeoutMs_) != WAIT_TIMEOUT) return 0;
    deadline->report_.abandon(deadline->name_, format("no answer from Pellora within %lu s; Pellora is ended and the driver stops here",
                                                      static_cast<unsigned long>(deadline->timeoutMs_ / 1000)));
    // Pellora first: the run script waits for every Wine process to end.
    TerminateProcess(deadline->process_, 3);
    TerminateProcess(GetCurrentProcess(), 3);
    return 0;
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
    if (inside_.hook) UnhookWindowsHookEx(inside_.hook);
    if (inside_.block) UnmapViewOfFile(inside_.block);
    if (inside_.mapping) CloseHandle(inside_.mapping);
    if (inside_.answered) CloseHandle(inside_.answered);
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

std::string PelloraApp::hookInside() const {
    Inside& in = inside_;
    if (in.hook) return {};
    wchar_t mappingName[64], eventName[64];
    insideNames(GetCurrentProcessId(), mappingName, eventName);
    if (!in.mapping) in.mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(InsideBlock), mappingName);
    if (in.mapping && !in.block)
        in.block = static_cast<InsideBlock*>(MapViewOfFile(in.mapping, FILE_MAP_WRITE, 0, 0, sizeof(InsideBlock)));
    if (!in.answered) in.answered = CreateEventW(nullptr, FALSE, FALSE, eventName);
    if (!in.block || !in.answered) return format("the block shared with the test DLL cannot be made (error %lu)", GetLastError());
    in.message = RegisterWindowMessageW(kInsideMessage);

    // The DLL lies beside this program.
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dll(path);
    dll = dll.substr(0, dll.find_last_of(L'\\') + 1) + L"pellora_e2e_inside.dll";
    HMODULE module = LoadLibraryW(dll.c_str());
    auto hook = module ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(module, kInsideHookName))) : nullptr;
    if (!hook) return "cannot load " + narrow(dll) + format(" (error %lu)", GetLastError());
    in.hook = SetWindowsHookExW(WH_GETMESSAGE, hook, module, guiThread_);
    if (!in.hook) return format("SetWindowsHookEx on Pellora's UI thread failed (error %lu)", GetLastError());
    return {};
}

std::string PelloraApp::askInside(InsideRequest request, InsideBlock& block) const {
    static const char* const kNames[] = {"?", "font", "icon", "send", "where"};
    const char* name = kNames[static_cast<int>(request) >= 1 && static_cast<int>(request) <= 4 ? static_cast<int>(request) : 0];
    std::string problem = hookInside();
    if (!problem.empty()) return problem;
    Inside& in = inside_;
    block.request = static_cast<std::int32_t>(request);
    block.serial = ++in.serial;
    block.answered = 0;
    std::memcpy(in.block, &block, offsetof(InsideBlock, target));
    if (!PostMessageW(form_, in.message, GetCurrentProcessId(), block.serial))
        return format("posting the %s request failed (error %lu)", name, GetLastError());
    // A late answer to an earlier request may still set the event: only our serial counts.
    const ULONGLONG deadline = GetTickCount64() + kInsideTimeoutMs;
    while (in.block->answered != block.serial) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline || WaitForSingleObject(in.answered, static_cast<DWORD>(deadline - now)) == WAIT_FAILED)
            return format("timeout: the %s request got no answer from Pellora's UI thread within %lu ms", name, kInsideTimeoutMs);
    }
    std::memcpy(&block, in.block, offsetof(InsideBlock, target));
    return block.problem[0] ? std::string(block.problem) : std::string();
}

unsigned char* PelloraApp::insideTarget() const {
    return hookInside().empty() ? inside_.block->target : nullptr;
}

std::string PelloraApp::sendFromInside(UINT message, WPARAM wParam, void* data, std::size_t size, LRESULT* result) const {
    InsideBlock block{};
    if (size > sizeof(block.data)) return "too much data for the test DLL's block";
    block.window = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(form_));
    block.message = message;
    block.wParam = static_cast<std::uint32_t>(wParam);
    std::memcpy(block.data, data, size);
    const std::string problem = askInside(InsideRequest::Send, block);
    if (!problem.empty()) return problem;
    std::memcpy(data, block.data, size);
    if (result) *result = block.result;
    return {};
}

bool PelloraApp::fontOf(int controlId, LOGFONTW& font, std::string& problem) const {
    HWND target = control(controlId);
    if (!target) {
        problem = format("no control %d", controlId);
        return false;
    }
    InsideBlock block{};
    block.window = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(target));
    problem = askInside(InsideRequest::Font, block);
    font = block.font;
    return problem.empty();
}

int PelloraApp::iconWidth(WPARAM which, std::string& problem) const {
    InsideBlock block{};
    block.window = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(form_));
    block.wParam = static_cast<std::uint32_t>(which);
    problem = askInside(InsideRequest::Icon, block);
    return problem.empty() ? block.result : 0;
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
