// The display dpi, through the per-monitor calls of Windows 10 where they
// exist and the older system-wide ones elsewhere, so the program still starts
// on systems without them.
#pragma once

#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif
#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

namespace pellora {

// The dpi `hwnd` is shown at; the screen's where Windows cannot tell per window.
int dpiForWindow(HWND hwnd);
// The screen's dpi (the system dpi, or the primary monitor's).
int screenDpi();

// AdjustWindowRectEx at `dpi`: the frame around a client rectangle.
bool adjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi);
// The caption, menu and message fonts at `dpi`.
bool nonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, int dpi);
// GetSystemMetrics at `dpi`.
int systemMetricForDpi(int index, int dpi);
// Whether icon group `id` holds an image of exactly `size` x `size` pixels.
bool iconHasSize(HINSTANCE instance, int id, int size);
// The icon of group `id` best made for `size` x `size` pixels; null on failure.
HICON loadIconForSize(HINSTANCE instance, int id, int size);

}  // namespace pellora
