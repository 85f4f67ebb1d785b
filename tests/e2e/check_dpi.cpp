// Checks on a change of display scale while the window is open: the window
// told it moved to a 144 dpi monitor, then back, as Windows tells it.
#include "checks.h"

#include "app.h"
#include "card_images.h"
#include "report.h"
#include "tester.h"

#include "dpi.h"  // WM_DPICHANGED and WM_GETDPISCALEDSIZE where the headers lack them
#include "layout.h"
#include "pictures.h"

#include <string>

namespace {

// Windows sends WM_DPICHANGED and WM_GETDPISCALEDSIZE on the window's own
// thread, lParam pointing at data; Pellora takes them from nowhere else. So
// they are sent from its UI thread, by the test DLL.
std::string sendDpiChanged(const PelloraApp& app, int dpi, RECT suggested) {
    return app.sendFromInside(WM_DPICHANGED, MAKEWPARAM(dpi, dpi), &suggested, sizeof(suggested));
}

}  // namespace

// The window moved to a 144 dpi monitor and back, as Windows tells it: all
// laid out for 144 dpi with the 150 % art, then exactly as before.
void checkDpiChange(Report& report, PelloraApp& app, const std::wstring& assets, const std::wstring& outFolder,
                    const std::wstring& referencePath, int dpi) {
    constexpr int kOtherDpi = 144;
    const int otherScale = pellora::artScaleForDpi(kOtherDpi);
    CardImages otherArt;
    std::string error;
    if (!report.check(otherArt.load(assets, otherScale, error), format("dpi change: the %d %% card pictures decode", otherScale), error))
        return;

    const RECT before = windowRect(app.form());
    RECT client{};
    GetClientRect(app.form(), &client);
    // Asked first for its size at the new dpi, the window wants exactly the
    // client area of the twips, inside the frame Windows draws at that dpi.
    SIZE scaled{before.right - before.left, before.bottom - before.top};
    std::string problem = app.sendFromInside(WM_GETDPISCALEDSIZE, kOtherDpi, &scaled, sizeof(scaled));
    using AdjustForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    RECT frame{0, 0, 0, 0};
    if (auto adjust = user32Function<AdjustForDpiFn>("AdjustWindowRectExForDpi"))
        adjust(&frame, static_cast<DWORD>(GetWindowLongW(app.form(), GWL_STYLE)), FALSE,
               static_cast<DWORD>(GetWindowLongW(app.form(), GWL_EXSTYLE)), kOtherDpi);
    else
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(app.form(), GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongW(app.form(), GWL_EXSTYLE)));
    const SIZE wanted{pellora::twipsToPixels(pellora::kClientWidthTwips, kOtherDpi) + frame.right - frame.left,
                      pellora::twipsToPixels(pellora::kClientHeightTwips, kOtherDpi) + frame.bottom - frame.top};
    report.check(problem.empty() && scaled.cx == wanted.cx && scaled.cy == wanted.cy,
                 "dpi change: WM_GETDPISCALEDSIZE asks for the twips' client area at 144 dpi",
                 problem.empty() ? format("%ldx%ld, expected %ldx%ld", scaled.cx, scaled.cy, wanted.cx, wanted.cy) : problem);

    RECT suggested = before;
    suggested.right += pellora::twipsToPixels(pellora::kClientWidthTwips, kOtherDpi) - client.right;
    suggested.bottom += pellora::twipsToPixels(pellora::kClientHeightTwips, kOtherDpi) - client.bottom;
    problem = sendDpiChanged(app, kOtherDpi, suggested);
    if (!report.check(problem.empty(), "dpi change: WM_DPICHANGED to 144 dpi handled", problem)) return;
    report.check(sameRect(windowRect(app.form()), suggested), "dpi change: the window takes the suggested rectangle",
                 describe(windowRect(app.form())) + ", suggested " + describe(suggested));
    checkWindowSize(report, app, kOtherDpi);
    checkControls(report, app, kOtherDpi);
    checkIcons(report, app, kOtherDpi, "dpi change: icons reloaded for 144 dpi");
    Tester other(app, report, otherArt, kOtherDpi);
    const std::string cells = other.settledScreenProblems(kSettleTimeoutMs);
    report.check(cells.empty(), "dpi change: every cell shows its 150 % art, centred in its frame", cells);
    other.saveScreenshot(outFolder + L"\\dpi-change-144.bmp");

    problem = sendDpiChanged(app, dpi, before);
    if (!report.check(problem.empty(), "dpi change: WM_DPICHANGED back to 96 dpi handled", problem)) return;
    report.check(sameRect(windowRect(app.form()), before), "dpi change: back in the window's first rectangle",
                 describe(windowRect(app.form())));
    checkWindowSize(report, app, dpi);
    CardImages art;
    art.load(assets, pellora::artScaleForDpi(dpi), error);
    Tester back(app, report, art, dpi);
    const std::string backCells = back.settledScreenProblems(kSettleTimeoutMs);
    report.check(backCells.empty(), "dpi change: back at 96 dpi, every cell as at start", backCells);
    Sleep(500);  // the buttons repaint too, after the cells
    if (!referencePath.empty())
        checkAgainstReference(report, back, referencePath, outFolder, "dpi change: back at 96 dpi, the client area is as before");
}
