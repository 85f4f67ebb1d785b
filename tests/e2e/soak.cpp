// Pellora's soak and fault test: thousands of seeded random real input events
// (mouse presses of every button on every kind of place, Tab and Space, resets,
// 置顶), the program checked against a model every 100 events; then a close in
// the middle of a burst of input.
//
//   pellora_soak <Pellora.exe> <assets folder> [seed] [events]
#include "app.h"
#include "model.h"
#include "card_images.h"
#include "input.h"
#include "report.h"
#include "screen.h"
#include "waits.h"

#include "control_ids.h"
#include "layout.h"
#include "tally.h"

#include <objbase.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kTolerance = 8;
constexpr int kBatch = 100;
constexpr int kMaxFailLines = 10;   // a broken program fails every checkpoint; show the first few
// Under Wine each pointer move also moves the X pointer, and X reports that
// move back later; a late report that lands between a button's down and up
// takes the press off the button, and the click is lost. A person's pointer
// rests on a button before pressing it; so do ours, for kEventGapMs.
constexpr DWORD kEventGapMs = 8;

// Every input goes through these two: the pointer moves, rests, then presses.
void press(POINT at, MouseButton button, std::initializer_list<WORD> modifiers = {}) {
    movePointer(at);
    // Wait for the move to land before resting on it.
    POINT now{};
    for (int i = 0; i < 50 && !(GetCursorPos(&now) && now.x == at.x && now.y == at.y); ++i) Sleep(1);
    Sleep(kEventGapMs);
    clickAt(at, button, modifiers);
}

void key(WORD vk, std::initializer_list<WORD> modifiers = {}) {
    Sleep(kEventGapMs);
    pressKey(vk, modifiers);
}


bool inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

// What the user should see: cards played per row, and the 置顶 tick.
// The cards, and the 置顶 box, which a reset leaves as it is.
struct Model : TallyModel {
    bool onTop = false;
};

// GDI objects alive in the program, as Windows counts them for anyone
// (GetGuiResources); 0 where that is not implemented (Wine).
long gdiObjects(const PelloraApp& app) { return static_cast<long>(GetGuiResources(app.process(), GR_GDIOBJECTS)); }

BOOL CALLBACK countWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<long*>(count);
    return TRUE;
}

BOOL CALLBACK countWindowAndChildren(HWND hwnd, LPARAM count) {
    countWindow(hwnd, count);
    EnumChildWindows(hwnd, countWindow, count);
    return TRUE;
}

// USER objects: Windows counts them (GetGuiResources); elsewhere count the
// windows of the program's thread, children included.
long userObjects(HANDLE process, DWORD thread, std::string& how) {
    if (const DWORD n = GetGuiResources(process, GR_USEROBJECTS)) {
        how = "GetGuiResources";
        return static_cast<long>(n);
    }
    long windows = 0;
    EnumThreadWindows(thread, countWindowAndChildren, reinterpret_cast<LPARAM>(&windows));
    how = "windows of its thread";
    return windows;
}

class Soak {
public:
    Soak(PelloraApp& app, Report& report, const CardImages& art, unsigned seed)
        : app_(app), report_(report), art_(art), random_(seed), background_(fromColorref(GetSysColor(COLOR_BTNFACE))) {}

    // Every place a press can land, sorted by what it does.
    void mapTargets() {
        RECT client{};
        GetClientRect(app_.form(), &client);
        origin_ = POINT{0, 0};
        ClientToScreen(app_.form(), &origin_);
        for (int row = pellora::kFirstRow; row <= pellora::kLastRow; ++row) rankButtons_.push_back(centreOf(control(IDC_ROW_BUTTON_BASE + row)));
        reset_ = centreOf(control(IDC_RESET));
        check_ = centreOf(control(IDC_STAY_ON_TOP));
        for (const auto& cell : pellora::pictureTable()) {
            const RECT r = screenRect(cell.twips);
            pictures_.push_back(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        }
        // Points of the group box, and of the bare window, that no other control covers.
        std::vector<RECT> covered;
        for (const auto& item : pellora::controlTable())
            if (item.kind != pellora::ControlKind::GroupBox) covered.push_back(screenRect(item.twips));
        for (const auto& cell : pellora::pictureTable()) covered.push_back(screenRect(cell.twips));
        const RECT frame = windowRect(control(IDC_GROUP_BOX));
        for (int y = 0; y < client.bottom; y += 7)
            for (int x = 0; x < client.right; x += 5) {
                const POINT p{origin_.x + x, origin_.y + y};
                if (std::any_of(covered.begin(), covered.end(), [&](const RECT& r) { return inside(r, p); })) continue;
                (inside(frame, p) ? groupBox_ : background_points_).push_back(p);
            }
    }

    std::size_t groupBoxPoints() const { return groupBox_.size(); }
    std::size_t backgroundPoints() const { return background_points_.size(); }

    // Brings program and model to a known state: full deck, 置顶 clear.
    bool settle() {
        if (model_.onTop) toggleOnTop(check_);
        press(reset_, MouseButton::Left);
        model_.reset();
        return sync();
    }

    // Every kind of event once, so that whatever Windows creates on first use
    // exists before the objects are counted.
    bool warmUp() {
        for (int row = pellora::kFirstRow; row <= pellora::kLastRow; ++row) {
            pressRow(row, MouseButton::Left);
            pressRow(row, MouseButton::Right);
            pressRow(row, MouseButton::Middle);
        }
        toggleOnTop(check_);
        toggleOnTop(check_);
        press(check_, MouseButton::Right);
        press(reset_, MouseButton::Right);
        key(VK_TAB);
        key(VK_TAB, {VK_SHIFT});
        return settle();
    }

    // `events` random events, a checkpoint after every kBatch of them.
    void run(int events) {
        int sent = 0;
        while (sent < events) {
            // Space acts on whichever control has the focus now: read it, as
            // clicks and Tabs have moved it.
            if (pick(4) == 0) {
                const int spaces = 1 + pick(2);
                for (int i = 0; i < spaces && sent < events; ++i, ++sent) space();
            }
            for (int i = 0; i < kBatch - 1 && sent < events; ++i, ++sent) randomEvent();
            checkpoint(sent);
        }
    }

    // One checkpoint: input handled, counts, cells, 置顶 and topmost as the model says.
    bool checkpoint(int events) {
        ++checkpoints_;
        std::string problems;
        if (WaitForSingleObject(app_.process(), 0) != WAIT_TIMEOUT) problems = "the process has ended";
        else if (!sync()) problems = "the program stopped handling input (marker press on Q never counted)";
        else problems = stateProblems();
        std::vector<std::string> batch;
        batch.swap(recent_);
        if (problems.empty()) return true;
        ++failedCheckpoints_;
        if (failedCheckpoints_ <= kMaxFailLines) {
            std::string told;
            for (const std::string& event : batch) told += (told.empty() ? "" : ", ") + event;
            report_.note(format("checkpoint after %d events: %s", events, problems.c_str()));
            report_.note("  the events since the last checkpoint: " + told);
        }
        adoptProgramState();
        return false;
    }

    int checkpoints() const { return checkpoints_; }
    int failedCheckpoints() const { return failedCheckpoints_; }
    const std::array<int, 6>& counts() const { return counts_; }

private:
    enum Kind { kRank, kReset, kCheck, kPicture, kGroupBox, kBackground };

    HWND control(int id) const { return app_.control(id); }

    RECT screenRect(const pellora::Rect& twips) const {
        const pellora::Rect px = pellora::toPixels(twips, 96);
        return RECT{origin_.x + px.left, origin_.y + px.top, origin_.x + px.right(), origin_.y + px.bottom()};
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    MouseButton anyButton() {
        const int b = pick(10);
        return b < 6 ? MouseButton::Left : b < 9 ? MouseButton::Right : MouseButton::Middle;
    }

    // The events since the last checkpoint, for a failed one to tell.
    void log(const std::string& what) { recent_.push_back(what); }
    static const char* buttonName(MouseButton b) { return b == MouseButton::Left ? "L" : b == MouseButton::Right ? "R" : "M"; }

    void pressRow(int row, MouseButton button, std::initializer_list<WORD> modifiers = {}) {
        log(format("%s row %d", buttonName(button), row));
        ::press(rankButtons_[static_cast<std::size_t>(row - 1)], button, modifiers);
        if (button == MouseButton::Left) model_.play(row);
        if (button == MouseButton::Right) model_.undo(row);
    }

    void toggleOnTop(POINT at) {
        log("L 置顶");
        press(at, MouseButton::Left);
        model_.onTop = !model_.onTop;
    }

    void randomEvent() {
        const int k = pick(100);
        if (k < 60) {
            ++counts_[kRank];
            const int row = 1 + pick(pellora::kRowCount);
            // Right presses sometimes with a modifier held: they still undo.
            if (pick(8) == 0) pressRow(row, MouseButton::Right, {static_cast<WORD>(pick(2) ? VK_SHIFT : VK_CONTROL)});
            else pressRow(row, anyButton());
        } else if (k < 62) {
            ++counts_[kReset];
            const MouseButton b = anyButton();
            log(format("%s reset", buttonName(b)));
            press(reset_, b);
            if (b == MouseButton::Left) model_.reset();
        } else if (k < 65) {
            ++counts_[kCheck];
            const MouseButton b = anyButton();
            if (b == MouseButton::Left) toggleOnTop(check_);
            else {
                log(format("%s 置顶", buttonName(b)));
                press(check_, b);
            }
        } else if (k < 80) {
            ++counts_[kPicture];
            const MouseButton b = anyButton();
            log(format("%s picture", buttonName(b)));
            press(pictures_[static_cast<std::size_t>(pick(static_cast<int>(pictures_.size())))], b);
        } else if (k < 88 && !groupBox_.empty()) {
            ++counts_[kGroupBox];
            const MouseButton b = anyButton();
            log(format("%s group box", buttonName(b)));
            press(groupBox_[static_cast<std::size_t>(pick(static_cast<int>(groupBox_.size())))], b);
        } else if (k < 94 && !background_points_.empty()) {
            ++counts_[kBackground];
            const MouseButton b = anyButton();
            log(format("%s background", buttonName(b)));
            press(background_points_[static_cast<std::size_t>(pick(static_cast<int>(background_points_.size())))], b);
        } else {
            const bool forward = pick(3) != 0;
            log(forward ? "Tab" : "Shift+Tab");
            forward ? key(VK_TAB) : key(VK_TAB, {VK_SHIFT});
            ++tabs_;
        }
    }

    void space() {
        if (!sync()) return;  // the checkpoint that follows reports it
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        const int focus = GetGUIThreadInfo(app_.guiThread(), &info) && info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0;
        log(format("Space on id %d", focus));
        key(VK_SPACE);
        ++spaces_;
        if (focus >= IDC_FIRST_ROW_BUTTON && focus <= IDC_LAST_ROW_BUTTON) model_.play(focus - IDC_ROW_BUTTON_BASE);
        else if (focus == IDC_RESET) model_.reset();
        else if (focus == IDC_STAY_ON_TOP) model_.onTop = !model_.onTop;
    }

    // Input is handled in order: once the marker press on "Q" has counted,
    // everything before it has been handled. The count it aims at must be one
    // the program cannot show sooner: not the count it showed at the last
    // sync (a reset, then one press, can bring "Q" right back there while the
    // reset is still unhandled), nor one on the way; so the presses all go one
    // way, one more if the first lands on the old count.
    bool sync() {
        const bool up = markerDirection(model_.played[kMarkerRow], markerShown_) > 0;
        do pressRow(kMarkerRow, up ? MouseButton::Left : MouseButton::Right);
        while (model_.played[kMarkerRow] == markerShown_);
        const bool seen =
            waitUntil(kSettleTimeoutMs, [&] { return shownPlayed(app_.form(), kMarkerRow, 96) == model_.played[kMarkerRow]; });
        if (seen) markerShown_ = model_.played[kMarkerRow];
        return seen;
    }

    std::string stateProblems() const {
        std::string problems;
        auto add = [&](const std::string& p) { problems += (problems.empty() ? "" : "; ") + p; };
        DWORD_PTR check = 0;
        SendMessageTimeoutW(control(IDC_STAY_ON_TOP), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &check);
        const bool topmost = (GetWindowLongW(app_.form(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        if ((check == BST_CHECKED) != model_.onTop) add(format("置顶 is %s, model %s", check == BST_CHECKED ? "ticked" : "clear", model_.onTop ? "ticked" : "clear"));
        if (topmost != (check == BST_CHECKED)) add(format("置顶 %s but the window is %stopmost", check == BST_CHECKED ? "ticked" : "clear", topmost ? "" : "not "));
        std::string screen;
        waitUntil(kSettleTimeoutMs, [&] { return (screen = screenProblems()).empty(); });
        if (!screen.empty()) add(screen);
        return problems;
    }

    std::string screenProblems() const {
        const Screenshot shot = Screenshot::grab(windowRect(app_.form()));
        if (!shot.valid()) return "the screen could not be read";
        std::string problems;
        int wrong = 0;
        for (const auto& cell : pellora::pictureTable()) {
            const RECT r = screenRect(cell.twips);
            const bool visible = model_.visible(cell.row, cell.element);
            bool ok = true;
            if (visible) {
                const CardImage& image = art_.of(cell.card);
                for (int y = 0; ok && y < kArtHeight; ++y)
                    for (int x = 0; ok && x < kArtWidth; ++x) ok = closeTo(shot.at(r.left + 1 + x, r.top + 1 + y), image.at(x, y), kTolerance);
            } else {
                for (int y = r.top; ok && y < r.bottom; ++y)
                    for (int x = r.left; ok && x < r.right; ++x) ok = closeTo(shot.at(x, y), background_, kTolerance);
            }
            if (!ok && ++wrong <= 3)
                problems += format("%sImage%d(%d) should be %s", problems.empty() ? "" : "; ", cell.row, cell.element, visible ? "showing its card" : "empty");
        }
        if (wrong > 3) problems += format("; and %d more cells", wrong - 3);
        return problems;
    }

    // After a failed checkpoint, carry on from what the window shows.
    void adoptProgramState() {
        for (int row = pellora::kFirstRow; row <= pellora::kLastRow; ++row) {
            const int played = shownPlayed(app_.form(), row, 96);
            if (played >= 0) model_.played[row] = played;
        }
        DWORD_PTR check = 0;
        SendMessageTimeoutW(control(IDC_STAY_ON_TOP), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &check);
        model_.onTop = check == BST_CHECKED;
    }

    PelloraApp& app_;
    Report& report_;
    const CardImages& art_;
    std::mt19937 random_;
    Rgb background_;
    Model model_;
    int markerShown_ = 0;  // the marker row's count the program showed at the last sync
    POINT origin_{};
    std::vector<POINT> rankButtons_, pictures_, groupBox_, background_points_;
    POINT reset_{}, check_{};
    std::array<int, 6> counts_{};
    int tabs_ = 0, spaces_ = 0, checkpoints_ = 0, failedCheckpoints_ = 0;
    std::vector<std::string> recent_;

public:
    int tabs() const { return tabs_; }
    int spaces() const { return spaces_; }
};

// PASS/FAIL lines and their count.
class Checks {
public:
    explicit Checks(Report& report) : report_(report) {}
    bool operator()(bool ok, const std::string& name, const std::string& detail = {}) {
        ++total_;
        return report_.check(ok, name, detail);
    }
    void skip(const std::string& name, const std::string& why) {
        report_.skip(name, why);
    }
    int summary() const {
        std::printf("soak: %d passed, %d failed, %d skipped\n", total_ - report_.failed(), report_.failed(), report_.skipped());
        std::fflush(stdout);
        return report_.failed() == 0 ? 0 : 1;
    }

private:
    Report& report_;
    int total_ = 0;
};

// A second instance gets a burst of presses with WM_CLOSE posted in the middle.
void checkCloseInBurst(Checks& check, const std::wstring& exe) {
    PelloraApp other;
    std::string error;
    if (!check(other.start(exe, kStartTimeoutMs, error), "close: another instance starts for the burst", error)) return;
    waitUntil(3000, [&] { return GetForegroundWindow() == other.form(); });
    std::vector<POINT> buttons;
    for (int row = pellora::kFirstRow; row <= pellora::kLastRow; ++row) buttons.push_back(centreOf(other.control(IDC_ROW_BUTTON_BASE + row)));
    for (int i = 0; i < 100; ++i) clickAt(buttons[static_cast<std::size_t>(i) % buttons.size()], i % 3 ? MouseButton::Left : MouseButton::Right);
    LARGE_INTEGER asked;
    QueryPerformanceCounter(&asked);
    PostMessageW(other.form(), WM_CLOSE, 0, 0);
    for (int i = 0; i < 100; ++i) clickAt(buttons[static_cast<std::size_t>(i) % buttons.size()], i % 3 ? MouseButton::Left : MouseButton::Right);
    const bool ended = other.waitForExit(1000);
    const double ms = millisecondsSince(asked);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(other.process(), &code);
    check(ended && ms <= 1000 && code == 0, "close: WM_CLOSE amid a burst of 200 presses ends the process cleanly within a second",
                 ended ? format("ended %.0f ms after WM_CLOSE, exit code %lu", ms, code) : format("still running %.0f ms after WM_CLOSE", ms));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3 || argc > 5) {
        std::fprintf(stderr, "usage: pellora_soak <Pellora.exe> <assets folder> [seed] [events]\n");
        return 2;
    }
    const std::wstring exe = argv[1];
    const unsigned seed = argc > 3 ? static_cast<unsigned>(_wtoi64(argv[3])) : static_cast<unsigned>(GetTickCount());
    const int events = argc > 4 ? _wtoi(argv[4]) : 20000;
    std::printf("soak: seed %u, %d events (rerun: pellora_soak <exe> <assets> %u %d)\n", seed, events, seed, events);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Report report;
    Checks check(report);
    auto summary = [&] { return check.summary(); };

    CardImages art;
    std::string error;
    if (!check(art.load(argv[2], error), "soak: the 54 card pictures decode", error)) return summary();
    PelloraApp app;
    if (!check(app.start(exe, kStartTimeoutMs, error), "soak: Pellora.exe shows its window", error)) return summary();
    waitUntil(3000, [&] { return GetForegroundWindow() == app.form(); });
    RECT client{};
    GetClientRect(app.form(), &client);
    const int width96 = pellora::twipsToPixels(pellora::kClientWidthTwips, 96);
    if (!check(client.right == width96, "soak: the window is laid out for 96 dpi, which the soak's geometry assumes",
               format("client area %ld px wide, %d at 96 dpi", client.right, width96)))
        return summary();

    Soak soak(app, report, art, seed);
    soak.mapTargets();
    check(soak.groupBoxPoints() > 0 && soak.backgroundPoints() > 0, "soak: bare points of the group box and the window found",
          format("%zu group box, %zu background", soak.groupBoxPoints(), soak.backgroundPoints()));

    const bool warm = soak.warmUp() && soak.checkpoint(0);
    check(warm, "soak: warm-up (every event once) and the first reset leave the program as the model");
    std::string userHow;
    const long gdiBefore = gdiObjects(app);
    const long userBefore = userObjects(app.process(), app.guiThread(), userHow);

    const ULONGLONG started = GetTickCount64();
    soak.run(events);
    const double seconds = static_cast<double>(GetTickCount64() - started) / 1000;
    const auto& n = soak.counts();
    report.note(format("%.0f s: rank-button presses %d, reset %d, 置顶 %d, pictures %d, group box %d, background %d, Tab %d, Space %d",
                       seconds, n[0], n[1], n[2], n[3], n[4], n[5], soak.tabs(), soak.spaces()));
    check(soak.failedCheckpoints() == 0, format("soak: every %d events the 54 cells, the counts and 置顶 match the model", kBatch),
          format("%d of %d checkpoints failed", soak.failedCheckpoints(), soak.checkpoints()));
    const bool alive = WaitForSingleObject(app.process(), 0) == WAIT_TIMEOUT;
    check(alive, format("soak: the process is alive after %d events", events));

    if (alive && soak.settle()) {
        std::string how;
        const long gdiAfter = gdiObjects(app);
        const long userAfter = userObjects(app.process(), app.guiThread(), how);
        const char* gdiName = "soak: as many GDI objects at the end as after the first reset";
        if (gdiBefore > 0 || gdiAfter > 0)
            check(gdiAfter == gdiBefore, gdiName, format("%ld then %ld (GetGuiResources)", gdiBefore, gdiAfter));
        else
            check.skip(gdiName, "GetGuiResources answers 0 here (Wine does not count GDI objects), and nothing outside "
                                "the program can count them");
        check(userBefore > 0 && userAfter == userBefore, "soak: as many USER objects at the end as after the first reset",
              format("%ld then %ld (%s)", userBefore, userAfter, userHow.c_str()));
    } else {
        check(false, "soak: the program settles at the end for the object counts");
    }
    PostMessageW(app.form(), WM_CLOSE, 0, 0);
    check(app.waitForExit(1000), "close: WM_CLOSE ends the soaked instance within a second");

    checkCloseInBurst(check, exe);
    CoUninitialize();
    return summary();
}
