// Pellora's benchmarks on Linux: the Qt program against the Qt controls floor
// (qt_floor.cpp), both started and driven as a user would, on the X server
// of $DISPLAY under its window manager: started by exec, judged painted from
// what the screen shows, clicked through XTest. Runs are interleaved so that
// a noisy machine slows them alike. With --baseline, another build of pellora
// takes its turn in every round too. Prints one table.
//
//   pellora_linux_bench <pellora> <floor> <assets folder> [start-up rounds] [clicks]
//                       [--baseline <pellora>]
//
// The screen is not polled: XDamage reports each change to it, and the
// window is read back (XGetImage) after each. So the figure is the moment the
// last piece of the window reached the screen, and looking costs the
// measured program nothing while it draws.
#include "figures.h"

#include "board.h"
#include "card_png.h"
#include "layout.h"
#include "pictures.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/Xfixes.h>

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

extern char** environ;

using namespace figures;  // medians, ratios and verdicts, as both drivers make them

namespace {

constexpr int kDpi = 96;            // no scale factor: Qt lays out at 96 dpi
constexpr int kTolerance = 8;
constexpr int kClickRow = 13;       // "K": play hides its element 0, undo shows it again
constexpr double kStartTimeoutMs = 30000;
constexpr double kEventTimeoutMs = 5000;
constexpr unsigned kIdleMs = 10000;

double now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

void sleepMs(double ms) {
    timespec t{static_cast<time_t>(ms / 1000), static_cast<long>(std::fmod(ms, 1000.0) * 1e6)};
    nanosleep(&t, nullptr);
}

std::string format(const char* pattern, ...) {
    char text[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof(text), pattern, args);
    va_end(args);
    return text;
}






struct Rgb {
    int r, g, b;
};

bool closeTo(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

bool dark(Rgb c) { return c.r < 96 && c.g < 96 && c.b < 96; }

struct Box {
    int left, top, width, height;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
};

Box boxOf(const pellora::Rect& twips) {
    const pellora::Rect px = pellora::toPixels(twips, kDpi);
    return Box{px.left, px.top, px.width, px.height};
}

Box cellBox(int row, int element) {
    for (const auto& cell : pellora::pictureTable())
        if (cell.row == row && cell.element == element) return boxOf(cell.twips);
    return Box{};
}

// The card pictures drawn for 100 %, flattened onto white as the programs show them.
class CardArt {
public:
    bool load(const std::string& assets, std::string& error) {
        for (int card = 0; card < pellora::kCardCount; ++card) {
            const std::string path = assets + "/" + pellora::cardPicturePath(card, 100);
            std::ifstream file(path, std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            const pellora::PngPixels png(bytes.data(), bytes.size());
            if (!png.ok() || png.width() != pellora::kCardPictureWidth || png.height() != pellora::kCardPictureHeight) {
                error = "cannot read " + path;
                return false;
            }
            auto& pixels = art_[static_cast<std::size_t>(card)];
            for (int i = 0; i < png.width() * png.height(); ++i) {
                const std::uint8_t* p = png.rgba() + 4 * i;
                auto over = [a = p[3]](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
                pixels[static_cast<std::size_t>(i)] = Rgb{over(p[0]), over(p[1]), over(p[2])};
            }
        }
        return true;
    }
    Rgb at(int card, int x, int y) const {
        return art_[static_cast<std::size_t>(card)][static_cast<std::size_t>(y * pellora::kCardPictureWidth + x)];
    }

private:
    std::array<std::array<Rgb, pellora::kCardPictureWidth * pellora::kCardPictureHeight>, pellora::kCardCount> art_{};
};

// What a window shows, read back from the X server.
class Shot {
public:
    Shot(Display* display, Window window, int width, int height) {
        image_ = XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height), AllPlanes,
                           ZPixmap);
    }
    ~Shot() {
        if (image_) XDestroyImage(image_);
    }
    Shot(const Shot&) = delete;
    Shot& operator=(const Shot&) = delete;

    bool valid() const { return image_ != nullptr; }
    Rgb at(int x, int y) const {
        if (x < 0 || y < 0 || x >= image_->width || y >= image_->height) return Rgb{0, 0, 0};
        const unsigned long pixel = XGetPixel(image_, x, y);
        return Rgb{static_cast<int>((pixel & image_->red_mask) >> 16), static_cast<int>((pixel & image_->green_mask) >> 8),
                   static_cast<int>(pixel & image_->blue_mask)};
    }

private:
    XImage* image_ = nullptr;
};

enum class Kind { Pellora, Floor };

struct Program {
    const char* name;
    std::string path;
    Kind kind;
};

struct Figures {
    std::vector<double> start, memory, cpu, clicks, idle;
};

int ignoreErrors(Display*, XErrorEvent*) { return 0; }

// The X server: new windows, damage anywhere on the screen, fake input.
class XServer {
public:
    bool open(std::string& error) {
        display_ = XOpenDisplay(nullptr);
        if (!display_) {
            error = "cannot open the X display (is DISPLAY set?)";
            return false;
        }
        XSetErrorHandler(ignoreErrors);  // windows vanish while they are read
        root_ = DefaultRootWindow(display_);
        int error_base = 0, major = 0, minor = 0;
        if (!XDamageQueryExtension(display_, &damageEvent_, &error_base)) {
            error = "the X server has no DAMAGE extension";
            return false;
        }
        int event_base = 0;
        if (!XTestQueryExtension(display_, &event_base, &error_base, &major, &minor)) {
            error = "the X server has no XTEST extension";
            return false;
        }
        // Damage to the root window covers every window drawn on the screen.
        damage_ = XDamageCreate(display_, root_, XDamageReportNonEmpty);
        clientList_ = XInternAtom(display_, "_NET_CLIENT_LIST", False);
        wmPid_ = XInternAtom(display_, "_NET_WM_PID", False);
        XSync(display_, False);
        return true;
    }

    Display* display() const { return display_; }

    // Waits up to `ms` for the screen to change; true if it did. Drains the
    // queue and re-arms the report.
    bool waitForDamage(double ms) {
        const double deadline = now() + ms;
        for (;;) {
            bool damaged = false;
            while (XPending(display_)) {
                XEvent event;
                XNextEvent(display_, &event);
                if (event.type == damageEvent_ + XDamageNotify) damaged = true;
            }
            if (damaged) {
                XDamageSubtract(display_, damage_, None, None);
                XFlush(display_);
                return true;
            }
            const double left = deadline - now();
            if (left <= 0) return false;
            pollfd fd{ConnectionNumber(display_), POLLIN, 0};
            poll(&fd, 1, static_cast<int>(std::ceil(std::min(left, 50.0))));
        }
    }

    // The managed top-level window of process `pid`, or None.
    Window windowOf(pid_t pid) const {
        std::vector<Window> clients = windowList(root_, clientList_);
        for (Window w : clients) {
            std::vector<Window> owner = windowList(w, wmPid_);
            if (!owner.empty() && static_cast<pid_t>(owner[0]) == pid) return w;
        }
        return None;
    }

    bool viewable(Window w, int& width, int& height) const {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_, w, &attributes) || attributes.map_state != IsViewable) return false;
        width = attributes.width;
        height = attributes.height;
        return true;
    }

    // Where the window's top-left pixel is on the screen.
    bool origin(Window w, int& x, int& y) const {
        Window child = None;
        return XTranslateCoordinates(display_, w, root_, 0, 0, &x, &y, &child) != 0;
    }

    void movePointer(int x, int y) {
        XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
        XFlush(display_);
    }
    void button(unsigned which, bool down) {
        XTestFakeButtonEvent(display_, which, down ? True : False, CurrentTime);
        XFlush(display_);
    }

private:
    // A window-list (or cardinal-list) property of `w`.
    std::vector<Window> windowList(Window w, Atom property) const {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::vector<Window> list;
        if (XGetWindowProperty(display_, w, property, 0, 4096, False, AnyPropertyType, &type, &format, &count, &after,
                               &data) == Success &&
            data && format == 32) {
            const auto* values = reinterpret_cast<const unsigned long*>(data);
            list.assign(values, values + count);
        }
        if (data) XFree(data);
        return list;
    }

    Display* display_ = nullptr;
    Window root_ = None;
    Damage damage_ = None;
    int damageEvent_ = 0;
    Atom clientList_ = None, wmPid_ = None;
};

// CPU time of all the threads of a process so far, in ms (schedstat, ns
// resolution); NAN when it cannot be read.
double cpuMs(pid_t pid) {
    const std::string tasks = format("/proc/%d/task", static_cast<int>(pid));
    DIR* dir = opendir(tasks.c_str());
    if (!dir) return NAN;
    double ns = 0;
    bool any = false;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
        double run = 0;
        if (stat >> run) {
            ns += run;
            any = true;
        }
    }
    closedir(dir);
    return any ? ns / 1e6 : NAN;
}

// Peak resident set in KB (VmHWM); NAN when it cannot be read.
double peakKb(pid_t pid) {
    std::ifstream status(format("/proc/%d/status", static_cast<int>(pid)));
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr);
    return NAN;
}

// One started program, ended (SIGTERM, then SIGKILL) when it goes.
class Running {
public:
    Running(XServer& screen, const Program& program) : screen_(screen), program_(program) {}
    ~Running() { stop(); }
    Running(const Running&) = delete;
    Running& operator=(const Running&) = delete;

    // Starts the program; returns the ms from just before exec until
    // `painted` holds for its window, negative on failure (error says why).
    double start(const std::function<bool(const Shot&)>& painted, std::string& error) {
        std::vector<char*> argv{const_cast<char*>(program_.path.c_str()), nullptr};
        const double t0 = now();
        if (posix_spawn(&pid_, program_.path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
            pid_ = 0;
            error = format("%s: cannot start %s", program_.name, program_.path.c_str());
            return -1;
        }
        for (;;) {
            if (exited()) {
                error = format("%s ended before painting its window", program_.name);
                return -1;
            }
            if (!window_) window_ = screen_.windowOf(pid_);
            if (window_ && looksPainted(painted)) return now() - t0;
            if (now() - t0 > kStartTimeoutMs) {
                error = format("%s: no painted window within %.0f ms", program_.name, kStartTimeoutMs);
                return -1;
            }
            screen_.waitForDamage(50);
        }
    }

    bool looksPainted(const std::function<bool(const Shot&)>& painted) const {
        int width = 0, height = 0;
        if (!screen_.viewable(window_, width, height)) return false;
        const Shot shot(screen_.display(), window_, width, height);
        return shot.valid() && painted(shot);
    }

    // Waits for the screen to change until `done` holds; false after kEventTimeoutMs.
    bool waitUntil(const std::function<bool(const Shot&)>& done) const {
        const double t0 = now();
        for (;;) {
            if (looksPainted(done)) return true;
            if (now() - t0 > kEventTimeoutMs) return false;
            screen_.waitForDamage(kEventTimeoutMs);
        }
    }

    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        for (int i = 0; i < 500 && !exited(); ++i) sleepMs(10);
        if (!exited()) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = 0;
        window_ = None;
    }

    pid_t pid() const { return pid_; }
    Window window() const { return window_; }

private:
    bool exited() {
        if (pid_ <= 0) return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = 0;
            return true;
        }
        return false;
    }

    XServer& screen_;
    const Program& program_;
    pid_t pid_ = 0;
    Window window_ = None;
};

class Bench {
public:
    // `programs`: Pellora, the floor, then any baseline build of Pellora.
    Bench(XServer& screen, std::vector<Program> programs, const CardArt& art)
        : screen_(screen), programs_(std::move(programs)), figures_(programs_.size()), art_(art) {}

    // The art of a card inside its frame line.
    bool cardShows(const Shot& shot, int row, int element) const {
        const Box r = cellBox(row, element);
        const int card = pellora::cardIndex(row, element);
        for (int y = 0; y < pellora::kCardPictureHeight; ++y)
            for (int x = 0; x < pellora::kCardPictureWidth; ++x)
                if (!closeTo(shot.at(r.left + 1 + x, r.top + 1 + y), art_.at(card, x, y), kTolerance)) return false;
        return true;
    }

    // A frame line around white, as the floor draws a cell.
    static bool blankCardShows(const Shot& shot, int row, int element) {
        const Box r = cellBox(row, element);
        if (!dark(shot.at(r.left, r.top)) || !dark(shot.at(r.right() - 1, r.bottom() - 1))) return false;
        for (int y = r.top + 1; y < r.bottom() - 1; ++y)
            for (int x = r.left + 1; x < r.right() - 1; ++x)
                if (!closeTo(shot.at(x, y), Rgb{255, 255, 255}, kTolerance)) return false;
        return true;
    }

    // Nothing in the cell: it has the colour of the group box just right of it.
    static bool cellEmpty(const Shot& shot, int row, int element) {
        const Box r = cellBox(row, element);
        const Rgb background = shot.at(r.right() + 2, r.top + r.height / 2);
        for (int y = r.top; y < r.bottom(); ++y)
            for (int x = r.left; x < r.right(); ++x)
                if (!closeTo(shot.at(x, y), background, kTolerance)) return false;
        return true;
    }

    // Every button and the check box has drawn its caption: a dark pixel
    // well inside it.
    static bool controlsPainted(const Shot& shot) {
        for (const auto& entry : pellora::controlTable()) {
            if (entry.kind == pellora::ControlKind::GroupBox) continue;
            const Box r = boxOf(entry.twips);
            bool found = false;
            for (int y = r.top + 3; y < r.bottom() - 3 && !found; ++y)
                for (int x = r.left + 3; x < r.right() - 3 && !found; ++x) found = dark(shot.at(x, y));
            if (!found) return false;
        }
        return true;
    }

    // "A" shows the first focus: its edges differ from those of "2", a
    // plain button of the same size, along at least a line's worth of pixels.
    static bool firstFocusShown(const Shot& shot) {
        const Box a = boxOf(pellora::buttonForRow(1)->twips), two = boxOf(pellora::buttonForRow(2)->twips);
        constexpr int kBand = 5;
        int differing = 0;
        for (int dy = 0; dy < a.height; ++dy) {
            if (dy >= kBand && dy < a.height - kBand) continue;
            for (int dx = 0; dx < a.width; ++dx)
                if (!closeTo(shot.at(a.left + dx, a.top + dy), shot.at(two.left + dx, two.top + dy), kTolerance)) ++differing;
        }
        return differing >= a.width;
    }

    std::function<bool(const Shot&)> paintedTest(const Program& p) const {
        if (p.kind == Kind::Pellora)
            return [this](const Shot& shot) {
                for (const auto& cell : pellora::pictureTable())
                    if (!cardShows(shot, cell.row, cell.element)) return false;
                return controlsPainted(shot) && firstFocusShown(shot);
            };
        return [](const Shot& shot) {
            for (const auto& cell : pellora::pictureTable())
                if (!blankCardShows(shot, cell.row, cell.element)) return false;
            return controlsPainted(shot) && firstFocusShown(shot);
        };
    }

    // Start-up, peak memory and CPU, `rounds` times, every program once a
    // round; every other round in the reverse order. A warm-up round records nothing.
    bool startUp(int rounds, bool record = true) {
        for (int i = 0; i < rounds; ++i)
            for (std::size_t k = 0; k < programs_.size(); ++k) {
                const std::size_t index = i % 2 ? programs_.size() - 1 - k : k;
                const Program& p = programs_[index];
                Running run(screen_, p);
                std::string error;
                const double ms = run.start(paintedTest(p), error);
                if (ms < 0) return fail(error);
                sleepMs(300);  // let the first paint's work finish before reading memory
                const double kb = peakKb(run.pid()), cpu = cpuMs(run.pid());
                if (!record) continue;
                figures_[index].start.push_back(ms);
                figures_[index].memory.push_back(kb);
                figures_[index].cpu.push_back(cpu);
                std::printf("bench: start %-16s %7.1f ms, peak memory %6.0f KB, CPU %5.1f ms\n", p.name, ms, kb, cpu);
                std::fflush(stdout);
            }
        return true;
    }

    // CPU time over kIdleMs with the window open and untouched, the pointer
    // parked away from it.
    bool idle(int rounds) {
        for (int i = 0; i < rounds; ++i)
            for (std::size_t index = 0; index < programs_.size(); ++index) {
                const Program& p = programs_[index];
                screen_.movePointer(5, 5);
                Running run(screen_, p);
                std::string error;
                if (run.start(paintedTest(p), error) < 0) return fail(error);
                sleepMs(1000);
                const double before = cpuMs(run.pid());
                sleepMs(kIdleMs);
                const double used = cpuMs(run.pid()) - before;
                figures_[index].idle.push_back(used);
                std::printf("bench: idle %-16s %.1f ms CPU in %u s\n", p.name, used, kIdleMs / 1000);
                std::fflush(stdout);
            }
        return true;
    }

    // XTest clicks on "K" until K's first cell shows the change: left click
    // (play) and right press (undo) alternating.
    bool clicks(std::size_t index, int count) {
        const Program& p = programs_[index];
        Running run(screen_, p);
        std::string error;
        if (run.start(paintedTest(p), error) < 0) return fail(error);
        sleepMs(500);
        int x = 0, y = 0;
        if (!screen_.origin(run.window(), x, y)) return fail(format("%s: cannot find its window on the screen", p.name));
        const Box button = boxOf(pellora::buttonForRow(kClickRow)->twips);
        screen_.movePointer(x + button.left + button.width / 2, y + button.top + button.height / 2);
        sleepMs(200);  // the button's hover look comes and goes before the first click
        const bool isPellora = p.kind == Kind::Pellora;
        for (int i = 0; i < count; ++i) {
            const bool play = i % 2 == 0;
            auto shown = [this, play, isPellora](const Shot& shot) {
                if (play) return cellEmpty(shot, kClickRow, 0);
                return isPellora ? cardShows(shot, kClickRow, 0) : blankCardShows(shot, kClickRow, 0);
            };
            const unsigned which = play ? 1 : 3;
            const double t0 = now();
            screen_.button(which, true);
            if (play) screen_.button(which, false);
            if (!run.waitUntil(shown))
                return fail(format("%s: click %d (%s) did not show within %.0f ms", p.name, i + 1, play ? "left" : "right",
                                   kEventTimeoutMs));
            figures_[index].clicks.push_back(now() - t0);
            if (!play) screen_.button(which, false);
        }
        std::printf("bench: %d clicks on %s, median %.1f ms\n", count, p.name, median(figures_[index].clicks));
        std::fflush(stdout);
        return true;
    }

    bool clickToPaint(int count) {
        for (std::size_t index = 0; index < programs_.size(); ++index)
            if (!clicks(index, count)) return false;
        return true;
    }

    void table() const {
        const Figures& pellora = figures_[0];
        const Figures& floor = figures_[1];
        const Figures* baseline = programs_.size() > 2 ? &figures_[2] : nullptr;
        const double clickMedian = median(pellora.clicks), clickP99 = percentile(pellora.clicks, 99);

        tableHeading();
        row("start-up, Pellora (median)", format("%.1f ms (n=%zu)", median(pellora.start), pellora.start.size()), "", "");
        if (baseline)
            row("start-up, baseline (median)", format("%.1f ms (n=%zu)", median(baseline->start), baseline->start.size()),
                "", "");
        row("start-up, controls floor (median)", format("%.1f ms (n=%zu)", median(floor.start), floor.start.size()), "",
            "");
        floorRatioRows("start-up / controls floor", pellora.start, floor.start, baseline ? &baseline->start : nullptr, true);
        row("  fastest round: Pellora / floor", format("%.1f / %.1f ms", least(pellora.start), least(floor.start)), "",
            format("%.2f", least(pellora.start) / least(floor.start)));
        row("start-up CPU, Pellora (median)", format("%.1f ms", median(pellora.cpu)), "", "");
        if (baseline) row("start-up CPU, baseline (median)", format("%.1f ms", median(baseline->cpu)), "", "");
        row("start-up CPU, controls floor (median)", format("%.1f ms", median(floor.cpu)), "", "");
        row("  start-up CPU / controls floor", pairRatio(pellora.cpu, floor.cpu), "",
            middle(pellora.cpu, floor.cpu));
        clickRows(pellora.clicks, baseline ? &baseline->clicks : nullptr, "  floor median / p99", floor.clicks);
        row("peak memory (VmHWM), Pellora", format("%.0f KB", median(pellora.memory)), "", "");
        if (baseline) row("peak memory, baseline", format("%.0f KB", median(baseline->memory)), "", "");
        row("peak memory, controls floor", format("%.0f KB", median(floor.memory)), "", "");
        floorRatioRows("peak memory / controls floor", pellora.memory, floor.memory, baseline ? &baseline->memory : nullptr,
                       false);
        row("idle CPU over 10 s, Pellora (max)", format("%.1f ms", worst(pellora.idle)), "0",
            met(worst(pellora.idle) < 0.5));
        if (baseline) row("  baseline (max)", format("%.1f ms", worst(baseline->idle)), "", "");
        row("  controls floor (max)", format("%.1f ms", worst(floor.idle)), "", "");

        figures::printSummary(pellora.start, floor.start, baseline ? &baseline->start : nullptr, pellora.memory,
                              floor.memory, clickMedian, clickP99);
    }

    const std::string& error() const { return error_; }

private:
    bool fail(const std::string& what) {
        error_ = what;
        return false;
    }

    XServer& screen_;
    std::vector<Program> programs_;
    std::vector<Figures> figures_;
    const CardArt& art_;
    std::string error_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string baseline;
    if (argc > 2 && std::string(argv[argc - 2]) == "--baseline") {
        baseline = argv[argc - 1];
        argc -= 2;
    }
    if (argc < 4 || argc > 6) {
        std::fprintf(stderr, "usage: pellora_linux_bench <pellora> <floor> <assets folder> [start-up rounds] [clicks] "
                             "[--baseline <pellora>]\n");
        return 2;
    }
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 30;
    const int clickCount = argc > 5 ? std::atoi(argv[5]) : 500;
    std::string error;
    CardArt art;
    XServer server;
    if (!art.load(argv[3], error) || !server.open(error)) {
        std::fprintf(stderr, "bench: %s\n", error.c_str());
        return 1;
    }
    // Each program beside the one it is held against, in every round.
    std::vector<Program> programs{{"Pellora", argv[1], Kind::Pellora}, {"controls floor", argv[2], Kind::Floor}};
    if (!baseline.empty()) programs.push_back({"baseline", baseline, Kind::Pellora});
    Bench bench(server, std::move(programs), art);
    // The first start of each pays for the disk cache and the font cache; none is counted.
    const bool ok = bench.startUp(1, false) && bench.startUp(rounds) && bench.clickToPaint(clickCount) && bench.idle(2);
    if (!ok) {
        std::fprintf(stderr, "bench: %s\n", bench.error().c_str());
        return 1;
    }
    bench.table();
    return 0;
}
