// One running Pellora.exe: its process, its main window and its controls.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

// The visible top-level window of class `windowClass` that process `pid` owns; null if none.
HWND findTopWindow(DWORD pid, const wchar_t* windowClass);

// Polls `done` every 10 ms until it holds (true) or `timeoutMs` has passed (false).
bool waitUntil(DWORD timeoutMs, const std::function<bool()>& done);

// GetWindowRect, as a value.
RECT windowRect(HWND hwnd);

class PelloraApp {
public:
    PelloraApp() = default;
    PelloraApp(const PelloraApp&) = delete;
    PelloraApp& operator=(const PelloraApp&) = delete;
    ~PelloraApp();  // kills the process if it is still running

    // Starts the program and waits until its main window is visible.
    bool start(const std::wstring& exe, DWORD timeoutMs, std::string& error);
    LARGE_INTEGER startedAt() const { return startedAt_; }

    HWND form() const { return form_; }
    HANDLE process() const { return process_.hProcess; }
    DWORD guiThread() const { return guiThread_; }
    // A child of the form (at any depth) by control id; nullptr if none.
    HWND control(int id) const;

    // The test query of test_query.h; -1 if the window does not answer.
    long query(WPARAM argument, LPARAM what) const;
    std::wstring queryFontFace(int controlId) const;

    // True once the process has ended, waiting at most timeoutMs.
    bool waitForExit(DWORD timeoutMs) const;

private:
    PROCESS_INFORMATION process_{};
    HWND form_ = nullptr;
    DWORD guiThread_ = 0;
    UINT queryMessage_ = 0;
    LARGE_INTEGER startedAt_{};
};

// Milliseconds since `since` (QueryPerformanceCounter).
double millisecondsSince(LARGE_INTEGER since);

// The tests know the program has handled their input once a marker press on
// one row shows in its count. Which way to press that row (+1 play, -1 undo)
// from its `count` (0..4) so that, in at most two presses the same way, the
// count lands off `shown`, the count the program showed at the last sync:
// a count it already showed could be seen before the input is handled.
int markerDirection(int count, int shown);
