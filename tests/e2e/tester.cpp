#include "tester.h"

#include "app.h"
#include "card_images.h"
#include "input.h"
#include "report.h"

#include "control_ids.h"
#include "layout.h"

using pellora::PictureCell;

namespace {

constexpr int kColourTolerance = 8;
constexpr int kDarkest = 0x80;   // a "dark" frame line: no channel above half

std::string cellName(int row, int element) { return format("Image%d(%d)", row, element); }

}  // namespace

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string describe(const RECT& r) {
    return format("(%ld,%ld %ldx%ld)", r.left, r.top, r.right - r.left, r.bottom - r.top);
}

POINT Tester::clientOrigin() const {
    POINT p{0, 0};
    ClientToScreen(app_.form(), &p);
    return p;
}

POINT Tester::buttonCentre(int id) const { return centreOf(app_.control(id)); }

std::string Tester::screenProblems() const {
    const RECT area = windowRect(app_.form());
    const Screenshot shot = Screenshot::grab(area);
    if (!shot.valid()) return "the screen could not be read";
    std::string problems;
    int count = 0;
    for (const PictureCell& cell : pellora::pictureTable()) {
        const std::string problem = cellProblem(shot, cell, model_.visible(cell.row, cell.element));
        if (problem.empty()) continue;
        if (++count <= 3) problems += (problems.empty() ? "" : "; ") + problem;
    }
    if (count > 3) problems += format("; and %d more cells", count - 3);
    return problems;
}

std::string Tester::settledScreenProblems(DWORD timeoutMs) const {
    std::string problems;
    waitUntil(timeoutMs, [&] { return (problems = screenProblems()).empty(); });
    return problems;
}

bool Tester::syncWithMarker() {
    const POINT q = buttonCentre(IDC_ROW_BUTTON_BASE + kMarkerRow);
    const bool up = markerDirection(model_.played[kMarkerRow], markerShown_) > 0;
    do {
        clickAt(q, up ? MouseButton::Left : MouseButton::Right);
        if (up) model_.play(kMarkerRow);
        else model_.undo(kMarkerRow);
    } while (model_.played[kMarkerRow] == markerShown_);
    const bool seen = waitUntil(kSettleTimeoutMs, [&] {
        return shownPlayed(app_.form(), kMarkerRow, dpi_) == model_.played[kMarkerRow];
    });
    if (seen) markerShown_ = model_.played[kMarkerRow];
    return seen;
}

bool Tester::verify(const std::string& name) {
    if (!syncWithMarker()) return report_.check(false, name, "the program stopped handling input (marker click on Q never counted)");
    const std::string problems = settledScreenProblems(kSettleTimeoutMs);
    if (report_.check(problems.empty(), name, problems.empty() ? modelSummary() : problems)) return true;
    // Carry on from what the window shows, so that later steps test only themselves.
    for (int row = pellora::kFirstRow; row <= pellora::kLastRow; ++row) {
        const int played = shownPlayed(app_.form(), row, dpi_);
        if (played >= 0) model_.played[row] = played;
    }
    markerShown_ = model_.played[kMarkerRow];
    report_.note("model taken over from the window: " + modelSummary());
    return false;
}

std::string Tester::modelSummary() const {
    std::string s = "played";
    for (int row = pellora::kFirstRow; row <= pellora::kLastRow; ++row)
        if (model_.played[row]) s += format(" r%d=%d", row, model_.played[row]);
    return s == "played" ? "full deck" : s;
}

void Tester::play(int row) {
    clickAt(buttonCentre(IDC_ROW_BUTTON_BASE + row), MouseButton::Left);
    model_.play(row);
}

void Tester::undo(int row, std::initializer_list<WORD> modifiers) {
    clickAt(buttonCentre(IDC_ROW_BUTTON_BASE + row), MouseButton::Right, modifiers);
    model_.undo(row);
}

void Tester::reset() {
    clickAt(buttonCentre(IDC_RESET), MouseButton::Left);
    model_.reset();
}

bool Tester::saveScreenshot(const std::wstring& path) const {
    return Screenshot::grab(windowRect(app_.form())).saveBmp(path);
}

Screenshot Tester::grabClientArea() const {
    RECT client{};
    GetClientRect(app_.form(), &client);
    MapWindowPoints(app_.form(), HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    return Screenshot::grab(client);
}

std::string Tester::cellProblem(const Screenshot& shot, const PictureCell& cell, bool visible) const {
    const pellora::Rect px = pellora::toPixels(cell.twips, dpi_);
    const POINT origin = clientOrigin();
    const int x0 = origin.x + px.left;
    const int y0 = origin.y + px.top;
    const std::string name = cellName(cell.row, cell.element);
    if (!visible) {
        for (int y = 0; y < px.height; ++y)
            for (int x = 0; x < px.width; ++x) {
                const Rgb c = shot.at(x0 + x, y0 + y);
                if (!closeTo(c, background_, kColourTolerance))
                    return format("%s should be empty but shows %s at (%d,%d), background %s", name.c_str(),
                                  describe(c).c_str(), x, y, describe(background_).c_str());
            }
        return {};
    }
    // The art with its frame line, centred in the cell; the rest of the
    // cell (above 96 dpi) shows the background.
    const CardImage& image = art_.of(cell.card);
    const int boxWidth = image.width + 2, boxHeight = image.height + 2;
    const int boxLeft = (px.width - boxWidth) / 2, boxTop = (px.height - boxHeight) / 2;
    int wrong = 0;
    std::string first;
    for (int y = 0; y < px.height; ++y)
        for (int x = 0; x < px.width; ++x) {
            const Rgb c = shot.at(x0 + x, y0 + y);
            const int bx = x - boxLeft, by = y - boxTop;
            if (bx < 0 || by < 0 || bx >= boxWidth || by >= boxHeight) {
                if (!closeTo(c, background_, kColourTolerance))
                    return format("%s shows %s at (%d,%d) outside its %dx%d frame at (%d,%d), background %s",
                                  name.c_str(), describe(c).c_str(), x, y, boxWidth, boxHeight, boxLeft, boxTop,
                                  describe(background_).c_str());
                continue;
            }
            if (bx == 0 || by == 0 || bx == boxWidth - 1 || by == boxHeight - 1) {
                const bool drawn = !closeTo(c, background_, kColourTolerance) && !closeTo(c, {255, 255, 255}, kColourTolerance);
                const bool dark = c.r <= kDarkest && c.g <= kDarkest && c.b <= kDarkest;
                if (!drawn || (wantDarkFrame_ && !dark))
                    return format("%s has no %sframe line: %s at (%d,%d)", name.c_str(), wantDarkFrame_ ? "dark " : "",
                                  describe(c).c_str(), x, y);
                continue;
            }
            const Rgb want = image.at(bx - 1, by - 1);
            if (closeTo(c, want, kColourTolerance)) continue;
            if (wrong++ == 0)
                first = format("at (%d,%d) %s instead of %s", bx - 1, by - 1, describe(c).c_str(), describe(want).c_str());
        }
    return wrong ? format("%s differs from its %d %% card art in %d pixels, first %s", name.c_str(), art_.scale(),
                          wrong, first.c_str())
                 : std::string();
}
