// One running Pellora.exe: its process, its main window and its controls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "inside.h"

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

    // Has the test DLL (inside.h), hooked onto Pellora's UI thread, carry
    // out `request` with what `block` holds, and hands back what it wrote.
    // Waits at most kInsideTimeoutMs. Returns what went wrong, empty if
    // nothing did.
    std::string askInside(InsideRequest request, InsideBlock& block) const;
    // The driver's view of InsideBlock::target, whose address inside Pellora
    // a Where request tells; null if the DLL cannot be hooked.
    unsigned char* insideTarget() const;
    // Sends the form `message` from Pellora's own UI thread, lParam pointing
    // at a copy of the `size` bytes at `data` (copied back afterwards).
    std::string sendFromInside(UINT message, WPARAM wParam, void* data, std::size_t size, LRESULT* result = nullptr) const;
    // The font the control with `controlId` draws with, read inside Pellora.
    bool fontOf(int controlId, LOGFONTW& font, std::string& problem) const;
    // Width in pixels of the icon the window shows as ICON_BIG or ICON_SMALL,
    // its own or else its class's; 0 if it has none.
    int iconWidth(WPARAM which, std::string& problem) const;

    // True once the process has ended, waiting at most timeoutMs.
    bool waitForExit(DWORD timeoutMs) const;

private:
    std::string hookInside() const;

    PROCESS_INFORMATION process_{};
    HWND form_ = nullptr;
    DWORD guiThread_ = 0;
    LARGE_INTEGER startedAt_{};
    // The hook and what the driver shares with its DLL, made on first use.
    struct Inside {
        HHOOK hook = nullptr;
        HANDLE mapping = nullptr;
        InsideBlock* block = nullptr;
        HANDLE answered = nullptr;
        UINT message = 0;
        std::int32_t serial = 0;
    };
    mutable Inside inside_;
};

constexpr DWORD kInsideTimeoutMs = 20000;

class Report;

// Bounds a stretch of calls that wait on Pellora with no timeout of their
// own, such as a screen reader's COM calls: if the stretch is not over within
// `timeoutMs`, it fails by `name`, Pellora is ended and the driver exits with
// its tally, instead of waiting for ever.
class Deadline {
public:
    Deadline(const Report& report, const PelloraApp& app, std::string name, DWORD timeoutMs);
    ~Deadline();
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;

private:
    static DWORD WINAPI watch(void* self);

    const Report& report_;
    HANDLE process_;
    std::string name_;
    DWORD timeoutMs_;
    HANDLE over_;
    HANDLE watcher_ = nullptr;
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
