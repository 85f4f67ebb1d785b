#include "app.h"

#include "report.h"
#include "test_query.h"

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
    queryMessage_ = RegisterWindowMessageW(PELLORA_TEST_QUERY_MESSAGE);
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

long PelloraApp::query(WPARAM argument, LPARAM what) const {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(form_, queryMessage_, argument, what, SMTO_ABORTIFHUNG, 5000, &result)) return -1;
    return static_cast<long>(static_cast<LONG_PTR>(result));
}

std::wstring PelloraApp::queryFontFace(int controlId) const {
    const long atom = query(static_cast<WPARAM>(controlId), kQueryFontFaceAtom);
    if (atom <= 0) return {};
    wchar_t face[LF_FACESIZE + 1] = {};
    GlobalGetAtomNameW(static_cast<ATOM>(atom), face, LF_FACESIZE + 1);
    GlobalDeleteAtom(static_cast<ATOM>(atom));
    return face;
}

bool PelloraApp::waitForExit(DWORD timeoutMs) const {
    return WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

int markerDirection(int count, int shown) {
    const bool up = count < 4 && (count + 1 != shown || count + 2 <= 4);
    return up ? 1 : -1;
}
