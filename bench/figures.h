// What both benchmark drivers make of their measurements: medians and
// percentiles, round-by-round ratios, and the verdict against a target.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace figures {

inline double median(std::vector<double> v) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

inline double percentile(std::vector<double> v, double p) {
    if (v.empty()) return NAN;
    std::sort(v.begin(), v.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(v.size())));
    return v[std::min(v.size(), std::max<std::size_t>(rank, 1)) - 1];
}

// The largest figure; NAN when there is none or any could not be read.
inline double worst(const std::vector<double>& v) {
    double most = v.empty() ? NAN : v[0];
    for (double x : v) most = std::isnan(x) || std::isnan(most) ? NAN : std::max(most, x);
    return most;
}

inline double least(const std::vector<double>& v) { return v.empty() ? NAN : *std::min_element(v.begin(), v.end()); }

// a[i] / b[i] for rounds measured side by side.
inline std::vector<double> ratios(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> r;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) r.push_back(a[i] / b[i]);
    return r;
}

inline std::string text(const char* pattern, double a, double b = 0, double c = 0) {
    char out[160];
    std::snprintf(out, sizeof(out), pattern, a, b, c);
    return out;
}

inline const char* met(bool ok) { return ok ? "met" : "MISSED"; }

// The median of the round-by-round ratios: "1.03".
inline std::string pairRatio(const std::vector<double>& a, const std::vector<double>& b) {
    return text("%.2f", median(ratios(a, b)));
}

// Both: "1.03 (rounds 0.95-1.10)".
inline std::string pairs(const std::vector<double>& a, const std::vector<double>& b) {
    const std::vector<double> r = ratios(a, b);
    return text("%.2f (rounds %.2f-%.2f)", median(r), percentile(r, 25), percentile(r, 75));
}

// The middle half of the round-by-round ratios: "(rounds 0.95-1.10)".
inline std::string middle(const std::vector<double>& a, const std::vector<double>& b) {
    const std::vector<double> r = ratios(a, b);
    return text("(rounds %.2f-%.2f)", percentile(r, 25), percentile(r, 75));
}

// Against a floor: judged only when the middle half of the round-by-round
// ratios is on one side of the target. Otherwise other work on the machine
// decided the figure.
inline std::string judge(const std::vector<double>& a, const std::vector<double>& b, double target) {
    const std::vector<double> r = ratios(a, b);
    const double low = percentile(r, 25), high = percentile(r, 75);
    const char* verdict = high <= target ? met(true) : low > target ? met(false) : "UNCLEAR, too noisy";
    return verdict + text(" (rounds %.2f-%.2f; ratio of medians %.2f)", low, high, median(a) / median(b));
}

// One line of the figures table, and its heading.
inline void row(const char* figure, const std::string& value, const char* target, const std::string& verdict) {
    std::printf("%-36s %-22s %-10s %s\n", figure, value.c_str(), target, verdict.c_str());
}

inline void tableHeading() { std::printf("\n%-36s %-22s %-10s %s\n", "figure", "value", "target", "ratio / met"); }

// `figure` (Pellora's round-by-round ratio to the controls floor) judged
// against 1.05, then the baseline's ratio to the floor and, if
// `pelloraToBaseline`, Pellora's to the baseline.
inline void floorRatioRows(const char* figure, const std::vector<double>& pellora, const std::vector<double>& floor,
                           const std::vector<double>* baseline, bool pelloraToBaseline) {
    row(figure, pairRatio(pellora, floor), "<= 1.05", judge(pellora, floor, 1.05));
    if (!baseline) return;
    row("  baseline / controls floor", pairRatio(*baseline, floor), "", middle(*baseline, floor));
    if (pelloraToBaseline) row("  Pellora / baseline", pairRatio(pellora, *baseline), "", middle(pellora, *baseline));
}

// Click to paint: Pellora's median and p99 against the targets, its left
// clicks and right presses apart (they alternate), then the baseline's and
// the floor named `floorFigure`.
inline void clickRows(const std::vector<double>& clicks, const std::vector<double>* baseline, const char* floorFigure,
                      const std::vector<double>& floorClicks) {
    const double clickMedian = median(clicks), clickP99 = percentile(clicks, 99);
    char n[64];
    std::snprintf(n, sizeof(n), "%.1f ms (n=%zu)", clickMedian, clicks.size());
    row("click to paint, median", n, "<= 5 ms", text("%.2f ", clickMedian / 5) + met(clickMedian <= 5));
    row("click to paint, p99", text("%.1f ms", clickP99), "<= 16 ms", text("%.2f ", clickP99 / 16) + met(clickP99 <= 16));
    std::vector<double> lefts, rights;
    for (std::size_t i = 0; i < clicks.size(); ++i) (i % 2 ? rights : lefts).push_back(clicks[i]);
    row("  left click (play) / right press (undo)", text("%.1f / %.1f ms", median(lefts), median(rights)), "", "medians");
    if (baseline) row("  baseline median / p99", text("%.1f / %.1f ms", median(*baseline), percentile(*baseline, 99)), "", "");
    row(floorFigure, text("%.1f / %.1f ms", median(floorClicks), percentile(floorClicks, 99)), "",
        text("Pellora/floor %.2f", clickMedian / median(floorClicks)));
}

// The lines scripts/bench gathers from both platforms. `baselineStart` may be
// null: no baseline was measured.
inline void printSummary(const std::vector<double>& start, const std::vector<double>& floorStart,
                         const std::vector<double>* baselineStart, const std::vector<double>& memory,
                         const std::vector<double>& floorMemory, double clickMedian, double clickP99) {
    std::printf("\nsummary: start-up / floor %s\n", pairs(start, floorStart).c_str());
    if (baselineStart) {
        std::printf("summary: baseline start-up / floor %s\n", pairs(*baselineStart, floorStart).c_str());
        std::printf("summary: start-up / baseline %s\n", pairs(start, *baselineStart).c_str());
    }
    std::printf("summary: peak memory / floor %s\n", pairs(memory, floorMemory).c_str());
    std::printf("summary: click to paint p50 / p99 %.1f / %.1f ms\n", clickMedian, clickP99);
    std::fflush(stdout);
}

}  // namespace figures
