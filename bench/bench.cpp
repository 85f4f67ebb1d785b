// Pellora's benchmarks: Pellora.exe against the floor programs (floor.cpp),
// all started and driven as a user would (CreateProcess, SendInput, screen
// pixels), runs interleaved so that a noisy machine slows them alike. Prints
// one table. With --baseline, another build of Pellora.exe (an earlier commit)
// takes its turn in every round too, so before and after come from one run.
//
//   pellora_bench <Pellora.exe> <bare floor.exe> <controls floor.exe> <assets folder>
//                 [start-up rounds] [clicks] [--baseline <Pellora.exe>]
#include "app.h"
#include "card_images.h"
#include "input.h"
#include "report.h"
#include "screen.h"

#include "figures.h"

#include "board.h"
#include "control_ids.h"
#include "layout.h"

#include <objbase.h>
#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace figures;  // medians, ratios and verdicts, as both drivers make them

namespace {

constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kEventTimeoutMs = 5000;
constexpr int kTolerance = 8;
constexpr int kDpi = 96;            // the prefix runs at 96 dpi
constexpr int kClickRow = 13;       // "K": play hides its element 0, undo shows it again
constexpr DWORD kIdleMs = 10000;
// Between looks at a starting window. A look grabs the whole window and walks
// the window list: looking every millisecond takes enough of a core to slow
// the measured program's first paint by about a quarter. Every program is
// looked at alike, so every figure is late by half this on average.
constexpr DWORD kStartLookMs = 4;

double now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}





// A figure's median with its sample count: "253 ms (n=40)".
std::string medianMs(const std::vector<double>& v) { return format("%.0f ms (n=%zu)", median(v), v.size()); }


RECT cellRect(int row, int element) {
    for (const auto& cell : pellora::pictureTable())
        if (cell.row == row && cell.element == element) {
            const pellora::Rect px = pellora::toPixels(cell.twips, kDpi);
            return RECT{px.left, px.top, px.right(), px.bottom()};
        }
    return RECT{};
}

RECT offset(RECT r, POINT by) {
    OffsetRect(&r, by.x, by.y);
    return r;
}

enum class Kind { Pellora, ControlsFloor, BareFloor };

struct Program {
    const char* name;
    std::wstring exe;
    Kind kind;
    const wchar_t* windowClass() const { return kind == Kind::Pellora ? L"PelloraForm" : L"PelloraFloor"; }
};

// What is measured of one program; rounds line up across programs by index.
struct Figures {
    std::vector<double> start, memory, idle, startCpu, clicks;
    double idleHover = NAN;
};

// One started program, ended (WM_CLOSE, then by force) when it goes.
class Running {
public:
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;
    explicit Running(const Program& program) : program_(program) {}
    ~Running() { stop(); }

    // Starts the program and returns the ms from CreateProcess until `painted`
    // holds for its window; negative on failure (error says why).
    double start(const std::function<bool(HWND)>& painted, std::string& error) {
        std::wstring commandLine = L"\"" + program_.exe + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        const double t0 = now();
        if (!CreateProcessW(program_.exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process_)) {
            error = format("%s: CreateProcess failed (error %lu)", program_.name, GetLastError());
            return -1;
        }
        for (;;) {
            if (!window_) window_ = findWindow();
            if (window_ && painted(window_)) return now() - t0;
            if (now() - t0 > kStartTimeoutMs) {
                error = format("%s: no painted window within %lu ms", program_.name, kStartTimeoutMs);
                return -1;
            }
            if (WaitForSingleObject(process_.hProcess, kStartLookMs) == WAIT_OBJECT_0) {
                error = format("%s ended before painting its window", program_.name);
                return -1;
            }
        }
    }

    void stop() {
        if (!process_.hProcess) return;
        if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process_.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 99);
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
        process_ = {};
        window_ = nullptr;
    }

    HWND window() const { return window_; }
    HANDLE process() const { return process_.hProcess; }

    POINT clientOrigin() const {
        POINT p{0, 0};
        ClientToScreen(window_, &p);
        return p;
    }

    // Peak working set in bytes, 0 if unknown.
    double peakWorkingSet() const {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof(counters);
        return GetProcessMemoryInfo(process_.hProcess, &counters, sizeof(counters))
                   ? static_cast<double>(counters.PeakWorkingSetSize)
                   : 0;
    }

    // User plus kernel CPU time so far, in ms; NAN when it cannot be told.
    // Under Wine GetProcessTimes does not answer for another process (it
    // gives a total that grows from run to run), so there it is read from
    // Linux's /proc, through Wine's Z: drive, for the host process that runs
    // the program. GetProcessTimes is asked only where there is no /proc.
    double cpuMs() const {
        double fromLinux = NAN;
        if (linuxCpuMs(fromLinux)) return fromLinux;
        FILETIME created, exited, kernel, user;
        if (!GetProcessTimes(process_.hProcess, &created, &exited, &kernel, &user)) return NAN;
        auto ms = [](FILETIME f) { return static_cast<double>((static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e4; };
        return ms(kernel) + ms(user);
    }

private:
    static std::string readLinuxFile(const std::wstring& path) {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return {};
        std::string text;
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) text.append(buffer, got);
        CloseHandle(file);
        return text;
    }

    static std::string lower(std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    }

    // False where there is no /proc to read (not under Wine). Otherwise `ms`
    // is utime + stime of the one Linux process whose first argument is this
    // program's path, or NAN when there is not exactly one: other people's
    // Wine programs, a test run of Pellora.exe among them, share the /proc.
    bool linuxCpuMs(double& ms) const {
        ms = NAN;
        const std::string path = lower(narrow(program_.exe));
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
        if (find == INVALID_HANDLE_VALUE) return false;
        std::vector<std::wstring> matches;
        do {
            const std::wstring pid = entry.cFileName;
            if (pid.empty() || pid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
            const std::string commandLine = readLinuxFile(L"Z:\\proc\\" + pid + L"\\cmdline");
            if (lower(commandLine.substr(0, commandLine.find('\0'))) == path) matches.push_back(pid);
        } while (FindNextFileW(find, &entry));
        FindClose(find);
        if (matches.size() != 1) return true;
        const std::string stat = readLinuxFile(L"Z:\\proc\\" + matches[0] + L"\\stat");
        const std::size_t end = stat.rfind(')');
        if (end == std::string::npos) return true;
        // Fields after the name: state is 3rd, utime the 14th and stime the 15th.
        std::vector<std::string> fields;
        std::size_t at = end + 2;
        while (at < stat.size()) {
            const std::size_t next = stat.find(' ', at);
            fields.push_back(stat.substr(at, next - at));
            if (next == std::string::npos) break;
            at = next + 1;
        }
        if (fields.size() < 13) return true;
        const double ticks = std::strtod(fields[11].c_str(), nullptr) + std::strtod(fields[12].c_str(), nullptr);
        ms = ticks * 10;  // USER_HZ is 100 on Linux
        return true;
    }

    HWND findWindow() const { return findTopWindow(process_.dwProcessId, program_.windowClass()); }

    const Program& program_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

class Bench {
public:
    // `programs`: Pellora first, then the controls floor, any baseline build
    // of Pellora and the bare floor.
    Bench(std::vector<Program> programs, const CardImages& art)
        : programs_(std::move(programs)), figures_(programs_.size()), art_(art),
          background_(fromColorref(GetSysColor(COLOR_BTNFACE))), mark_(fromColorref(GetSysColor(COLOR_BTNTEXT))) {}

    // The art of (row, element) inside its frame line, or an empty cell.
    bool cellShows(const Screenshot& shot, POINT origin, int row, int element, bool visible) const {
        const RECT r = offset(cellRect(row, element), origin);
        if (!visible) {
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    if (!closeTo(shot.at(x, y), background_, kTolerance)) return false;
            return true;
        }
        const CardImage& image = art_.of(pellora::cardIndex(row, element));
        for (int y = 0; y < kArtHeight; ++y)
            for (int x = 0; x < kArtWidth; ++x)
                if (!closeTo(shot.at(r.left + 1 + x, r.top + 1 + y), image.at(x, y), kTolerance)) return false;
        return true;
    }

    // The whole window on the screen, and where its client area starts.
    static Screenshot grabWindow(HWND form, POINT& origin) {
        origin = POINT{0, 0};
        ClientToScreen(form, &origin);
        RECT area;
        GetWindowRect(form, &area);
        return Screenshot::grab(area);
    }

    bool allCardsPainted(HWND form) const {
        POINT origin;
        const Screenshot shot = grabWindow(form, origin);
        if (!shot.valid()) return false;
        for (const auto& cell : pellora::pictureTable())
            if (!cellShows(shot, origin, cell.row, cell.element, true)) return false;
        return controlsPainted(shot, origin) && firstFocusShown(shot, origin);
    }

    // Every button and the check box has drawn its caption: a dark pixel
    // well inside it, where the window's background alone has none. Without
    // this a window that painted its cards before its buttons would be
    // counted as started too early.
    static bool controlsPainted(const Screenshot& shot, POINT origin) {
        for (const auto& entry : pellora::controlTable()) {
            if (entry.kind == pellora::ControlKind::GroupBox) continue;
            const pellora::Rect px = pellora::toPixels(entry.twips, kDpi);
            RECT inside{px.left, px.top, px.right(), px.bottom()};
            InflateRect(&inside, -3, -3);
            inside = offset(inside, origin);
            bool dark = false;
            for (int y = inside.top; y < inside.bottom && !dark; ++y)
                for (int x = inside.left; x < inside.right && !dark; ++x) {
                    const Rgb c = shot.at(x, y);
                    dark = c.r < 96 && c.g < 96 && c.b < 96;
                }
            if (!dark) return false;
        }
        return true;
    }

    // "A" shows the first focus: drawn as the default button with a focus
    // rectangle. Told apart from "2", a plain button of the same size, by
    // the band along their edges, above and below the caption: at least a
    // line's worth of pixels must differ there. Whatever the theme, neither
    // look comes before the focus does.
    static bool firstFocusShown(const Screenshot& shot, POINT origin) {
        const pellora::Rect a = pellora::toPixels(pellora::buttonForRow(1)->twips, kDpi);
        const pellora::Rect two = pellora::toPixels(pellora::buttonForRow(2)->twips, kDpi);
        constexpr int kBand = 5;  // the default frame and the focus rectangle lie within it
        int differing = 0;
        for (int dy = 0; dy < a.height; ++dy) {
            if (dy >= kBand && dy < a.height - kBand) continue;
            for (int dx = 0; dx < a.width; ++dx)
                if (!closeTo(shot.at(origin.x + a.left + dx, origin.y + a.top + dy),
                             shot.at(origin.x + two.left + dx, origin.y + two.top + dy), kTolerance))
                    ++differing;
        }
        return differing >= a.width;
    }

    // The controls floor: every cell a dark frame line around white, every
    // control with its caption, "A" with the first focus.
    bool controlsFloorPainted(HWND form) const {
        POINT origin;
        const Screenshot shot = grabWindow(form, origin);
        if (!shot.valid()) return false;
        const Rgb white{255, 255, 255};
        for (const auto& cell : pellora::pictureTable()) {
            const RECT r = offset(cellRect(cell.row, cell.element), origin);
            if (!closeTo(shot.at(r.left, r.top), mark_, kTolerance) ||
                !closeTo(shot.at(r.right - 1, r.bottom - 1), mark_, kTolerance))
                return false;
            for (int y = r.top + 1; y < r.bottom - 1; ++y)
                for (int x = r.left + 1; x < r.right - 1; ++x)
                    if (!closeTo(shot.at(x, y), white, kTolerance)) return false;
        }
        return controlsPainted(shot, origin) && firstFocusShown(shot, origin);
    }

    // The bare floor's client area is all button face once it has been painted.
    bool floorPainted(HWND form) const {
        POINT origin{0, 0};
        ClientToScreen(form, &origin);
        RECT client;
        GetClientRect(form, &client);
        const RECT area = offset(client, origin);
        const Screenshot shot = Screenshot::grab(area);
        if (!shot.valid()) return false;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                if (!closeTo(shot.at(x, y), background_, kTolerance)) return false;
        return true;
    }

    std::function<bool(HWND)> paintedTest(const Program& p) const {
        switch (p.kind) {
            case Kind::Pellora: return [this](HWND w) { return allCardsPainted(w); };
            case Kind::ControlsFloor: return [this](HWND w) { return controlsFloorPainted(w); };
            case Kind::BareFloor: break;
        }
        return [this](HWND w) { return floorPainted(w); };
    }

    // Start-up time and peak working set, `rounds` times each, every program
    // once a round; every other round in the reverse order, so that no
    // program always follows the same one. A warm-up round records nothing.
    bool startUp(int rounds, bool record = true) {
        for (int i = 0; i < rounds; ++i)
            for (std::size_t k = 0; k < programs_.size(); ++k) {
                const std::size_t index = i % 2 ? programs_.size() - 1 - k : k;
                const Program& p = programs_[index];
                Running run(p);
                std::string error;
                const double ms = run.start(paintedTest(p), error);
                if (ms < 0) return fail(error);
                Sleep(300);  // let the first paint's work finish before reading memory
                if (!record) continue;
                figures_[index].start.push_back(ms);
                figures_[index].memory.push_back(run.peakWorkingSet());
                std::printf("bench: start %-16s %7.0f ms, peak working set %6.0f KB\n", p.name, ms,
                            run.peakWorkingSet() / 1024);
                std::fflush(stdout);
            }
        return true;
    }

    // CPU time over kIdleMs with the window open and untouched, each program
    // `rounds` times in turn, the pointer parked away from it; then once more
    // for Pellora with the pointer resting on a button, where the button
    // tracks the pointer.
    bool idle(int rounds) {
        for (int i = 0; i < rounds; ++i)
            for (std::size_t index = 0; index < programs_.size(); ++index) {
                double used = 0, before = 0;
                if (!idleRun(programs_[index], false, used, before)) return false;
                figures_[index].idle.push_back(used);
                figures_[index].startCpu.push_back(before);
            }
        double before = 0;
        return idleRun(programs_[0], true, figures_[0].idleHover, before);
    }

    bool idleRun(const Program& p, bool pointerOnButton, double& used, double& before) {
        movePointer(POINT{5, 5});  // onto the bare desktop
        Running run(p);
        std::string error;
        if (run.start(paintedTest(p), error) < 0) return fail(error);
        if (pointerOnButton) {
            const POINT origin = run.clientOrigin();
            const pellora::Rect button = pellora::toPixels(pellora::buttonForRow(kClickRow)->twips, kDpi);
            movePointer(POINT{origin.x + button.left + button.width / 2, origin.y + button.top + button.height / 2});
        }
        Sleep(1000);
        before = run.cpuMs();
        Sleep(kIdleMs);
        used = run.cpuMs() - before;
        std::printf("bench: idle %-16s %.1f ms CPU in %lu s, pointer %s (start-up used %.0f ms)\n", p.name, used,
                    kIdleMs / 1000, pointerOnButton ? "on a button" : "away", before);
        std::fflush(stdout);
        return true;
    }

    // SendInput on the "K" button (or the same spot of the floor) until the
    // changed cell shows: left click and right press alternating.
    bool clicks(const Program& p, int count, std::vector<double>& times) {
        Running run(p);
        std::string error;
        if (run.start(paintedTest(p), error) < 0) return fail(error);
        Sleep(500);
        const POINT origin = run.clientOrigin();
        const pellora::Rect button = pellora::toPixels(pellora::buttonForRow(kClickRow)->twips, kDpi);
        const POINT target{origin.x + button.left + button.width / 2, origin.y + button.top + button.height / 2};
        const RECT cell = offset(cellRect(kClickRow, 0), origin);
        const bool isPellora = p.kind == Kind::Pellora;
        for (int i = 0; i < count; ++i) {
            const bool play = i % 2 == 0;
            auto shown = [&] {
                const Screenshot shot = Screenshot::grab(cell);
                if (!shot.valid()) return false;
                if (isPellora) return cellShows(shot, origin, kClickRow, 0, !play);
                const Rgb c = shot.at((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
                return closeTo(c, play ? mark_ : background_, kTolerance);
            };
            const double t0 = now();
            clickAt(target, play ? MouseButton::Left : MouseButton::Right);
            for (;;) {
                if (shown()) break;
                if (now() - t0 > kEventTimeoutMs)
                    return fail(format("%s: click %d (%s) did not show within %lu ms", p.name, i + 1, play ? "left" : "right",
                                       kEventTimeoutMs));
            }
            times.push_back(now() - t0);
        }
        // What one look at the cell costs: the resolution of the figures above.
        for (int i = 0; i < 50; ++i) {
            const double t0 = now();
            Screenshot::grab(cell);
            grabCost_.push_back(now() - t0);
        }
        std::printf("bench: %d clicks on %s, median %.1f ms\n", count, p.name, median(times));
        std::fflush(stdout);
        return true;
    }

    // Every Pellora build and the bare floor; the controls floor has no card to click.
    bool clickToPaint(int count) {
        for (std::size_t index = 0; index < programs_.size(); ++index)
            if (programs_[index].kind != Kind::ControlsFloor && !clicks(programs_[index], count, figures_[index].clicks))
                return false;
        return true;
    }

    void table() const {
        auto fileKb = [](const std::wstring& path) {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ? static_cast<double>(data.nFileSizeLow) / 1024 : NAN;
        };
        const Figures& pellora = figures_[0];
        const Figures& controls = of(Kind::ControlsFloor);
        const Figures& bare = of(Kind::BareFloor);
        const Figures* baseline = baselineFigures();
        const double clickMedian = median(pellora.clicks), clickP99 = percentile(pellora.clicks, 99);
        const double idle = worst(pellora.idle);
        const double size = fileKb(programs_[0].exe), floorSize = fileKb(program(Kind::BareFloor).exe);
        // A program that has painted its window has used some CPU.
        const bool cpuTimesWork = !std::isnan(idle) && !std::isnan(worst(pellora.startCpu)) && least(pellora.startCpu) > 0;
        auto cpu = [](double ms) { return std::isnan(ms) ? std::string("not measurable") : format("%.1f ms", ms); };

        tableHeading();
        row("start-up, Pellora (median)", medianMs(pellora.start), "", "");
        if (baseline) row("start-up, baseline (median)", medianMs(baseline->start), "", "");
        row("start-up, controls floor (median)", medianMs(controls.start), "", "");
        row("start-up, bare floor (median)", medianMs(bare.start), "", "");
        floorRatioRows("start-up / controls floor", pellora.start, controls.start, baseline ? &baseline->start : nullptr, true);
        row("  start-up / bare floor", format("%.2f", median(pellora.start) / median(bare.start)), "",
            format("controls floor / bare floor %.2f", median(controls.start) / median(bare.start)));
        // Other work on the machine only ever adds time: the fastest round is
        // the nearest to what each program costs on its own.
        const double fastest = least(pellora.start), fastestControls = least(controls.start),
                     fastestBare = least(bare.start);
        row("  fastest round: Pellora / c. / bare", format("%.0f / %.0f / %.0f ms", fastest, fastestControls, fastestBare), "",
            format("%.2f / %.2f", fastest / fastestControls, fastest / fastestBare));
        if (baseline)
            row("  fastest round: baseline", format("%.0f ms", least(baseline->start)), "",
                format("%.2f", least(baseline->start) / fastestControls));
        clickRows(pellora.clicks, baseline ? &baseline->clicks : nullptr, "  bare floor median / p99", bare.clicks);
        row("  one look at the screen (median)", format("%.2f ms", median(grabCost_)), "", "resolution of the click figures");
        row("peak working set, Pellora", format("%.0f KB", median(pellora.memory) / 1024), "", "");
        if (baseline) row("peak working set, baseline", format("%.0f KB", median(baseline->memory) / 1024), "", "");
        row("peak working set, controls floor", format("%.0f KB", median(controls.memory) / 1024), "", "");
        row("peak working set, bare floor", format("%.0f KB", median(bare.memory) / 1024), "", "");
        floorRatioRows("peak working set / controls floor", pellora.memory, controls.memory,
                       baseline ? &baseline->memory : nullptr, false);
        row("  peak working set / bare floor", format("%.2f", median(pellora.memory) / median(bare.memory)), "",
            format("controls floor / bare floor %.2f", median(controls.memory) / median(bare.memory)));
        row("idle CPU over 10 s, Pellora (max)", cpuTimesWork ? cpu(idle) : cpu(NAN), "0",
            cpuTimesWork ? met(idle == 0) : "no CPU time could be read");
        if (baseline) row("  baseline (max)", cpu(worst(baseline->idle)), "", "");
        row("  controls floor (max)", cpu(worst(controls.idle)), "", "");
        row("  bare floor (max)", cpu(worst(bare.idle)), "", "");
        row("  Pellora, pointer resting on a button", cpu(pellora.idleHover), "", "");
        row("size of Pellora.exe", format("%.0f KB", size), "<= 300 KB", format("%.2f %s", size / 300, met(size <= 300)));
        if (baseline) row("  size of the baseline", format("%.0f KB", fileKb(program(Kind::Pellora, 1).exe)), "", "");
        row("  size of the bare floor", format("%.0f KB", floorSize), "", "");

        figures::printSummary(pellora.start, controls.start, baseline ? &baseline->start : nullptr, pellora.memory,
                              controls.memory, clickMedian, clickP99);
    }

    const std::string& error() const { return error_; }

private:
    bool fail(const std::string& what) {
        error_ = what;
        return false;
    }

    // The `nth` program of a kind, and its figures.
    const Program& program(Kind kind, int nth = 0) const { return programs_[indexOf(kind, nth)]; }
    const Figures& of(Kind kind) const { return figures_[indexOf(kind, 0)]; }
    const Figures* baselineFigures() const {
        const std::size_t index = indexOf(Kind::Pellora, 1);
        return index < figures_.size() ? &figures_[index] : nullptr;
    }
    std::size_t indexOf(Kind kind, int nth) const {
        for (std::size_t i = 0; i < programs_.size(); ++i)
            if (programs_[i].kind == kind && nth-- == 0) return i;
        return programs_.size();
    }

    std::vector<Program> programs_;
    std::vector<Figures> figures_;  // by program
    const CardImages& art_;
    Rgb background_, mark_;
    std::vector<double> grabCost_;
    std::string error_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring baseline;
    if (argc > 2 && std::wstring(argv[argc - 2]) == L"--baseline") {
        baseline = argv[argc - 1];
        argc -= 2;
    }
    if (argc < 5 || argc > 7) {
        std::fprintf(stderr, "usage: pellora_bench <Pellora.exe> <bare floor.exe> <controls floor.exe> "
                             "<assets folder> [start-up rounds] [clicks] [--baseline <Pellora.exe>]\n");
        return 2;
    }
    const int rounds = argc > 5 ? _wtoi(argv[5]) : 30;
    const int clickCount = argc > 6 ? _wtoi(argv[6]) : 500;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CardImages art;
    std::string error;
    if (!art.load(argv[4], error)) {
        std::fprintf(stderr, "bench: the card pictures do not decode: %s\n", error.c_str());
        return 1;
    }
    // Each program beside the one it is held against, in every round.
    std::vector<Program> programs{{"Pellora", argv[1], Kind::Pellora}, {"controls floor", argv[3], Kind::ControlsFloor}};
    if (!baseline.empty()) programs.push_back({"baseline", baseline, Kind::Pellora});
    programs.push_back({"bare floor", argv[2], Kind::BareFloor});
    Bench bench(std::move(programs), art);
    // Wine's first process start pays for loading its own libraries; no measured program should.
    const bool ok = bench.startUp(1, false) && bench.startUp(rounds) && bench.clickToPaint(clickCount) && bench.idle(2);
    if (!ok) {
        std::fprintf(stderr, "bench: %s\n", bench.error().c_str());
        return 1;
    }
    bench.table();
    CoUninitialize();
    return 0;
}
