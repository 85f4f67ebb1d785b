// Checks on the window as it opens and on its controls: size, caption, frame,
// icons and place; every control's rectangle, caption, font, state and z-order.
#include "checks.h"

#include "app.h"
#include "report.h"
#include "tester.h"

#include "control_ids.h"
#include "layout.h"

#include <cstdlib>
#include <string>

using pellora::ControlSpec;
using pellora::PictureCell;

namespace {

// The message font at `dpi`, as the program should pick it.
LOGFONTW messageFontAt(int dpi) {
    using ForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    auto forDpi = user32Function<ForDpiFn>("SystemParametersInfoForDpi");
    if (!forDpi || !forDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0, static_cast<UINT>(dpi)))
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    return metrics.lfMessageFont;
}

int systemMetricAt(int index, int dpi) {
    using ForDpiFn = int(WINAPI*)(int, UINT);
    auto forDpi = user32Function<ForDpiFn>("GetSystemMetricsForDpi");
    return forDpi ? forDpi(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}

}  // namespace

void checkWindowSize(Report& report, PelloraApp& app, int dpi) {
    RECT client{};
    GetClientRect(app.form(), &client);
    const int width = pellora::twipsToPixels(pellora::kClientWidthTwips, dpi);
    const int height = pellora::twipsToPixels(pellora::kClientHeightTwips, dpi);
    report.check(client.right == width && client.bottom == height, "window: client area size",
                 format("%ldx%ld, expected %dx%d at %d dpi", client.right, client.bottom, width, height, dpi));
}

// The icons the window holds, read inside Pellora: Wine does not hand an
// icon's bitmaps to another process.
void checkIcons(Report& report, const PelloraApp& app, int dpi, const std::string& name) {
    std::string bigProblem, smallProblem;
    const int big = app.iconWidth(ICON_BIG, bigProblem);
    const int small = app.iconWidth(ICON_SMALL, smallProblem);
    const int wantBig = systemMetricAt(SM_CXICON, dpi), wantSmall = systemMetricAt(SM_CXSMICON, dpi);
    report.check(big == wantBig && small == wantSmall, name,
                 format("big %d px, small %d px; expected %d and %d%s%s", big, small, wantBig, wantSmall,
                        bigProblem.empty() ? "" : ("; big: " + bigProblem).c_str(),
                        smallProblem.empty() ? "" : ("; small: " + smallProblem).c_str()));
}

void checkWindow(Report& report, PelloraApp& app, int dpi) {
    HWND form = app.form();
    checkWindowSize(report, app, dpi);

    wchar_t caption[64] = {};
    GetWindowTextW(form, caption, 64);
    report.check(std::wstring(caption) == L"Pellora", "window: caption", "\"" + narrow(caption) + "\"");

    const LONG style = GetWindowLongW(form, GWL_STYLE);
    report.check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) && (style & WS_MINIMIZEBOX) &&
                     !(style & WS_THICKFRAME) && !(style & WS_MAXIMIZEBOX),
                 "window: fixed frame with caption, system menu and minimize box", format("style 0x%08lX", style));
    report.check(GetMenu(form) == nullptr, "window: no menu bar");

    checkIcons(report, app, dpi, "window: big and small icons made for the dpi");

    POINT origin{0, 0};
    ClientToScreen(form, &origin);
    const RECT frame = windowRect(form);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const POINT designed{pellora::twipsToPixels(pellora::kDesignedLeftTwips, dpi), pellora::twipsToPixels(pellora::kDesignedTopTwips, dpi)};
    const bool fits = frame.left >= work.left && frame.top >= work.top && frame.right <= work.right && frame.bottom <= work.bottom;
    report.check(origin.x == designed.x && origin.y == designed.y && fits, "window: client area opens at its designed place",
                 format("client at (%ld,%ld), expected (%ld,%ld); frame %s in work area %s", origin.x, origin.y, designed.x,
                        designed.y, describe(frame).c_str(), describe(work).c_str()));
}

void checkControls(Report& report, PelloraApp& app, int dpi) {
    HWND form = app.form();
    std::string rectProblems, captionProblems, fontProblems, stateProblems;
    const LOGFONTW messageFont = messageFontAt(dpi);
    for (const ControlSpec& entry : pellora::controlTable()) {
        const int id = entry.id;
        HWND hwnd = GetDlgItem(form, id);
        if (!hwnd) {
            rectProblems += format("%s%s missing", rectProblems.empty() ? "" : "; ", entry.name);
            continue;
        }
        RECT r = windowRect(hwnd);
        MapWindowPoints(HWND_DESKTOP, form, reinterpret_cast<POINT*>(&r), 2);
        const pellora::Rect px = pellora::toPixels(entry.twips, dpi);
        if (std::abs(r.left - px.left) > 1 || std::abs(r.top - px.top) > 1 || std::abs(r.right - px.right()) > 1 ||
            std::abs(r.bottom - px.bottom()) > 1)
            rectProblems += format("%s%s at %s, expected (%d,%d %dx%d)", rectProblems.empty() ? "" : "; ", entry.name,
                                   describe(r).c_str(), px.left, px.top, px.width, px.height);

        wchar_t text[64] = {};
        GetWindowTextW(hwnd, text, 64);
        if (std::wstring(text) != widen(entry.caption))
            captionProblems += format("%s%s reads \"%s\", expected \"%s\"", captionProblems.empty() ? "" : "; ", entry.name,
                                      narrow(text).c_str(), entry.caption);

        const pellora::FontSpec& font = pellora::fontSpec(entry.font);
        LOGFONTW used{};
        std::string problem;
        const std::wstring wantFace = font.face ? widen(font.face) : std::wstring(messageFont.lfFaceName);
        const long wantHeight = font.face ? -MulDiv(font.decipoints, dpi, 720) : messageFont.lfHeight;
        const long wantWeight = font.face ? font.weight : messageFont.lfWeight;
        if (!app.fontOf(id, used, problem))
            fontProblems += format("%s%s: %s", fontProblems.empty() ? "" : "; ", entry.name, problem.c_str());
        else if (used.lfFaceName != wantFace || used.lfHeight != wantHeight || used.lfWeight != wantWeight)
            fontProblems += format("%s%s uses \"%s\" %ld/%ld, expected \"%s\" %ld/%ld", fontProblems.empty() ? "" : "; ",
                                   entry.name, narrow(used.lfFaceName).c_str(), used.lfHeight, used.lfWeight,
                                   narrow(wantFace).c_str(), wantHeight, wantWeight);

        if (!IsWindowEnabled(hwnd) || !IsWindowVisible(hwnd))
            stateProblems += format("%s%s is %s", stateProblems.empty() ? "" : "; ", entry.name,
                                    IsWindowVisible(hwnd) ? "disabled" : "hidden");
    }
    report.check(rectProblems.empty(), "layout: every control's rectangle (+-1 px)", rectProblems.empty() ? "18 controls" : rectProblems);
    report.check(captionProblems.empty(), "layout: every control's caption", captionProblems.empty() ? "18 captions" : captionProblems);
    report.check(fontProblems.empty(), "layout: every control's font (rank Arial, joker 宋体, others the message font)",
                 fontProblems.empty() ? narrow(std::wstring(L"default font ") + messageFont.lfFaceName) +
                                            format(" %ld", messageFont.lfHeight)
                                      : fontProblems);
    report.check(stateProblems.empty(), "layout: every control visible and enabled", stateProblems);

    HWND frame = GetDlgItem(form, IDC_GROUP_BOX);
    report.check(frame && GetWindow(frame, GW_HWNDLAST) == frame, "layout: Frame1 lowest in the z-order, buttons drawn over it");

    // The pictures are drawn by one window spanning their cells, stacked
    // right above the group box: under every button, over the frame.
    RECT cells{};
    for (const PictureCell& cell : pellora::pictureTable()) {
        const pellora::Rect px = pellora::toPixels(cell.twips, dpi);
        const RECT r{px.left, px.top, px.right(), px.bottom()};
        UnionRect(&cells, &cells, &r);
    }
    HWND pictures = app.control(IDC_PICTURES);
    RECT r = pictures ? windowRect(pictures) : RECT{};
    MapWindowPoints(HWND_DESKTOP, form, reinterpret_cast<POINT*>(&r), 2);
    report.check(pictures && IsWindowVisible(pictures) && EqualRect(&r, &cells) != FALSE,
                 "layout: the pictures' window is visible and spans exactly the 54 cells",
                 pictures ? "at " + describe(r) + ", cells span " + describe(cells) : "missing");
    report.check(pictures && frame && GetWindow(frame, GW_HWNDPREV) == pictures,
                 "layout: the pictures' window lies right above Frame1, under every control");
}
