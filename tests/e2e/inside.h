// What the test driver asks of its hook DLL (inside_hook.cpp), which Windows
// loads into Pellora for a WH_GETMESSAGE hook on Pellora's UI thread: the few
// things Wine will not tell or carry across processes (a control's font, the
// window's icons) and messages that must come from the window's own thread.
//
// The driver fills the block in a named shared mapping, posts the registered
// message to the form with its own process id and the request's serial, and
// waits, bounded, for the named event. Driver and DLL are both 32-bit, so the
// block has one layout on both sides.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr const wchar_t* kInsideMessage = L"Pellora.e2e.inside";
constexpr const char* kInsideHookName = "insideHook";

enum class InsideRequest : std::int32_t {
    Font = 1,  // the font `window` draws with, into `font`
    Icon,      // the width of the form's icon `wParam` (ICON_BIG, ICON_SMALL), into `result`
    Send,      // SendMessageW(window, message, wParam, &data) from the UI thread; `data` is read back
    Where,     // the address of `target` inside Pellora, into `result`
};

struct InsideBlock {
    std::int32_t request;
    std::int32_t serial;       // the DLL copies it into `answered` when done
    std::int32_t answered;
    std::uint32_t window;      // an HWND
    std::uint32_t message;
    std::uint32_t wParam;
    std::int32_t result;
    LOGFONTW font;
    unsigned char data[64];    // what lParam points at for Send
    char problem[160];         // empty when the request went well
    // Left to the driver, which reads and writes it in place: what a message
    // forged from outside can point at inside Pellora. Always the last member.
    unsigned char target[32];
};

// The names of the mapping and of the "answered" event for the driver `pid`.
inline void insideNames(DWORD pid, wchar_t (&mapping)[64], wchar_t (&event)[64]) {
    wsprintfW(mapping, L"Local\\PelloraE2E.block.%lu", pid);
    wsprintfW(event, L"Local\\PelloraE2E.answered.%lu", pid);
}
