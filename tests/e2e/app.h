// One running Pellora.exe: its process, its main window and its controls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

// The visible top-level window of class `windowClass` that process `pid` owns; null if none.
HWND findTopWindow(DWORD pid, const wchar_t* windowClass);

// Polls `done` every 10 ms until it holds (true) or `timeoutMs` has passed (false).
bool waitUntil(DWORD timeoutMs, const std::function<bool()>& done);

// GetWindowRect, as a value.
RECT windowRect(HWND hwnd);

// An argument of a function called inside Pellora (PelloraApp::callInside):
// a plain 32-bit value, or the address inside Pellora of the scratch block at
// `offset`.
struct InsideArg {
    std::uint32_t value;
    bool inBlock;
};
inline InsideArg plain(std::uintptr_t value) { return {static_cast<std::uint32_t>(value), false}; }
inline InsideArg inBlock(std::uint32_t offset) { return {offset, true}; }

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

    // Calls `function` of `dll` (a system DLL, loaded at the same address in
    // every process) on a thread inside Pellora, for what Windows and Wine will
    // not tell or carry across processes: a window's font and icons, a message
    // whose lParam points at data. The scratch block starts as the `size`
    // bytes at `block` and is copied back there afterwards. Returns what the
    // function returned; `problem` says what went wrong, empty if nothing did.
    std::uint32_t callInside(const char* dll, const char* function, std::initializer_list<InsideArg> args,
                             void* block, std::size_t size, std::string& problem) const;
    // The font the control with `controlId` draws with, read inside Pellora.
    bool fontOf(int controlId, LOGFONTW& font, std::string& problem) const;
    // Width in pixels of the icon the window shows as ICON_BIG or ICON_SMALL,
    // its own or else its class's; 0 if it has none.
    int iconWidth(WPARAM which, std::string& problem) const;

    // True once the process has ended, waiting at most timeoutMs.
    bool waitForExit(DWORD timeoutMs) const;

private:
    PROCESS_INFORMATION process_{};
    HWND form_ = nullptr;
    DWORD guiThread_ = 0;
    LARGE_INTEGER startedAt_{};
};

// How many cards of `row` the window shows played: the row's cells that show
// only the window's background. -1 if the screen cannot be read.
int shownPlayed(HWND form, int row, int dpi);

// Milliseconds since `since` (QueryPerformanceCounter).
double millisecondsSince(LARGE_INTEGER since);

// The tests know the program has handled their input once a marker press on
// one row shows in its count. Which way to press that row (+1 play, -1 undo)
// from its `count` (0..4) so that, in at most two presses the same way, the
// count lands off `shown`, the count the program showed at the last sync:
// a count it already showed could be seen before the input is handled.
int markerDirection(int count, int shown);
