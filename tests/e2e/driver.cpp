// Pellora's end-to-end test driver: starts Pellora.exe, looks at it and uses
// it as a person would (SendInput, screen pixels), and prints one line per
// check. Usage:
//   pellora_e2e <Pellora.exe> <assets folder> <output folder> full|short [<reference.png>]
// "full" runs every check, "short" (for the other display scales) the layout,
// the pictures and a short play/undo/reset run. A reference picture is held
// against the client area at start, pixel for pixel.
//
// The checks live in check_*.cpp by concern, listed in checks.h; Tester
// (tester.h) holds the running program and the cells it should show.
#include "app.h"
#include "card_images.h"
#include "checks.h"
#include "report.h"
#include "tester.h"

#include "pictures.h"

#include <objbase.h>

#include <cstdio>
#include <string>

namespace {

// Screen reads and input must be in real pixels, not scaled for a program
// that knows nothing of dpi.
void becomeDpiAware() {
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    const auto perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
    if (auto setContext = user32Function<SetContextFn>("SetProcessDpiAwarenessContext"))
        if (setContext(perMonitorV2)) return;
    SetProcessDPIAware();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    becomeDpiAware();
    const std::wstring mode = argc >= 5 ? argv[4] : L"";
    if (argc < 5 || argc > 6 || (mode != L"full" && mode != L"short")) {
        std::fprintf(stderr, "usage: pellora_e2e <Pellora.exe> <assets folder> <output folder> full|short [<reference.png>]\n");
        return 2;
    }
    const bool full = mode == L"full";
    const std::wstring exe = argv[1], assets = argv[2], outFolder = argv[3], reference = argc == 6 ? argv[5] : L"";
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Report report;

    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const int scale = pellora::artScaleForDpi(dpi);
    std::printf("e2e: display at %d dpi, card art drawn for %d %%, %s run\n", dpi, scale, full ? "full" : "short");

    CardImages art;
    std::string error;
    if (!report.check(art.load(assets, scale, error), format("art: the 54 card pictures at %d %% decode", scale), error)) {
        report.summary();
        return 1;
    }

    if (full) checkResources(report, exe, assets);

    PelloraApp app;
    if (!report.check(app.start(exe, kStartTimeoutMs, error), "start: Pellora.exe shows its window", error)) {
        report.summary();
        return 1;
    }
    Tester tester(app, report, art, dpi);
    checkStart(tester, report, app, outFolder, reference);

    checkWindow(report, app, dpi);
    checkControls(report, app, dpi);
    if (full) {
        checkDpiChange(report, app, assets, outFolder, reference, dpi);
        checkFocus(report, app);
        checkKeyboard(tester, report, app);
        checkTip(tester, report, app, outFolder);
        checkSequences(tester, report, outFolder);
        checkStayOnTop(tester, report, app);
        checkAccessibility(tester, report, app);
        checkForgedMessages(tester, report, app);
        checkClosing(report, exe);
    } else {
        checkShortRun(tester, outFolder);
    }
    PostMessageW(app.form(), WM_CLOSE, 0, 0);
    report.check(app.waitForExit(1000), "close: WM_CLOSE ends the instance that was tested");

    report.summary();
    CoUninitialize();
    return report.failed() == 0 ? 0 : 1;
}
