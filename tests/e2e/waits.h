// How long the end-to-end programs (the driver and the soak) wait for
// Pellora, and the row whose count tells them it has handled their input.
#pragma once

#include <windows.h>

constexpr DWORD kStartTimeoutMs = 60000;   // Wine under emulation is slow to start a process
constexpr DWORD kSettleTimeoutMs = 10000;  // for input to show on the screen
constexpr DWORD kScreenReaderTimeoutMs = 60000;  // for one walk through Pellora's accessible objects
constexpr int kMarkerRow = 12;   // "Q": its count tells that earlier input has been handled
