// What the end-to-end tests expect Pellora to show: each row's played count,
// kept by the tests themselves so that the program's tally is checked, not
// trusted.
#pragma once

#include <algorithm>
#include <array>

#include "tally.h"

struct TallyModel {
    std::array<int, 16> played{};  // by row, 1..15
    void play(int row) { played[row] = std::min(played[row] + 1, pellora::picturesInRow(row)); }
    void undo(int row) { played[row] = std::max(played[row] - 1, 0); }
    void reset() { played.fill(0); }
    bool visible(int row, int element) const { return element >= played[row]; }
};
