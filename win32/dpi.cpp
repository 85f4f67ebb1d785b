#include "dpi.h"

#include <commctrl.h>

namespace pellora {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, const wchar_t*, int, int, HICON*);

// Through void (*)() so the compiler accepts the cast from FARPROC.
template <typename Fn>
Fn lookUp(const wchar_t* module, const char* name) {
    HMODULE handle = GetModuleHandleW(module);
    FARPROC proc = handle ? GetProcAddress(handle, name) : nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

// Windows 10 1607 and later; null before.
struct PerMonitorApi {
    GetDpiForWindowFn getDpiForWindow = lookUp<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    AdjustWindowRectExForDpiFn adjustWindowRectExForDpi =
        lookUp<AdjustWindowRectExForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
    SystemParametersInfoForDpiFn systemParametersInfoForDpi =
        lookUp<SystemParametersInfoForDpiFn>(L"user32.dll", "SystemParametersInfoForDpi");
    GetSystemMetricsForDpiFn getSystemMetricsForDpi =
        lookUp<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
    // Common controls 6 only (Vista and later).
    LoadIconWithScaleDownFn loadIconWithScaleDown =
        lookUp<LoadIconWithScaleDownFn>(L"comctl32.dll", "LoadIconWithScaleDown");
};

// Looked up once, as the program starts (user32 and comctl32 are loaded by then).
const PerMonitorApi functions;

const PerMonitorApi& api() { return functions; }

}  // namespace

int screenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int dpiForWindow(HWND hwnd) {
    const UINT dpi = api().getDpiForWindow ? api().getDpiForWindow(hwnd) : 0;
    return dpi ? static_cast<int>(dpi) : screenDpi();
}

bool adjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, int dpi) {
    if (api().adjustWindowRectExForDpi)
        return api().adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi)) != FALSE;
    return AdjustWindowRectEx(&rect, style, FALSE, exStyle) != FALSE;
}

bool nonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, int dpi) {
    metrics = NONCLIENTMETRICSW{};
    metrics.cbSize = sizeof(metrics);
    if (api().systemParametersInfoForDpi)
        return api().systemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0,
                                                static_cast<UINT>(dpi)) != FALSE;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0)) return true;
    // Windows before Vista knows the structure without its last field.
    metrics.cbSize = sizeof(metrics) - sizeof(metrics.iPaddedBorderWidth);
    return SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0) != FALSE;
}

int systemMetricForDpi(int index, int dpi) {
    if (api().getSystemMetricsForDpi) return api().getSystemMetricsForDpi(index, static_cast<UINT>(dpi));
    return GetSystemMetrics(index);
}

bool iconHasSize(HINSTANCE instance, int id, int size) {
    HRSRC found = FindResourceW(instance, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const auto* group = static_cast<const BYTE*>(loaded ? LockResource(loaded) : nullptr);
    const DWORD bytes = found ? SizeofResource(instance, found) : 0;
    // Three WORDs (reserved, type, count), then 14 bytes an image, led by its
    // width and height (0 for 256).
    constexpr DWORD kHeader = 6, kEntry = 14;
    if (!group || bytes < kHeader) return false;
    const DWORD count = group[4] | static_cast<DWORD>(group[5]) << 8;
    for (DWORD i = 0; i < count && kHeader + (i + 1) * kEntry <= bytes; ++i) {
        const BYTE* image = group + kHeader + i * kEntry;
        if ((image[0] ? image[0] : 256) == size && (image[1] ? image[1] : 256) == size) return true;
    }
    return false;
}

HICON loadIconForSize(HINSTANCE instance, int id, int size) {
    // The image drawn for the size, where the icon has one. Elsewhere (20 px
    // at 120 dpi) a larger one scaled down looks better than LoadImage's
    // nearest fit stretched.
    HICON icon = nullptr;
    if (!iconHasSize(instance, id, size) && api().loadIconWithScaleDown &&
        SUCCEEDED(api().loadIconWithScaleDown(instance, MAKEINTRESOURCEW(id), size, size, &icon)) && icon)
        return icon;
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
}

}  // namespace pellora
