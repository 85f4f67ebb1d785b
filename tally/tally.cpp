#include "tally.h"

#include <cassert>

namespace pellora {

namespace {

constexpr std::size_t index(int row) { return static_cast<std::size_t>(row - kFirstRow); }

}  // namespace

const std::array<RankRow, kRowCount>& rankRows() {
    static const std::array<RankRow, kRowCount> rows = {{
        {1, "A", "Command1", "Image1", 4, 3},
        {2, "2", "Command2", "Image2", 4, 2},
        {3, "3", "Command3", "Image3", 4, 14},
        {4, "4", "Command4", "Image4", 4, 13},
        {5, "5", "Command5", "Image5", 4, 12},
        {6, "6", "Command6", "Image6", 4, 11},
        {7, "7", "Command7", "Image7", 4, 10},
        {8, "8", "Command8", "Image8", 4, 9},
        {9, "9", "Command9", "Image9", 4, 8},
        {10, "10", "Command10", "Image10", 4, 7},
        {11, "J", "Command11", "Image11", 4, 6},
        {12, "Q", "Command12", "Image12", 4, 5},
        {13, "K", "Command13", "Image13", 4, 4},
        {14, "大王", "Command14", "Image14", 1, 1},
        {15, "小王", "Command15", "Image15", 1, 1},
    }};
    return rows;
}

std::optional<Assignment> Tally::play(int row) {
    assert(isValidRow(row) && "Tally::play: row out of range");
    if (!isValidRow(row)) return std::nullopt;
    auto& seen = played_[index(row)];
    const int capacity = picturesInRow(row);
    if (seen == capacity) return Assignment{row, capacity - 1, Visibility::Hidden};
    return Assignment{row, seen++, Visibility::Hidden};
}

std::optional<Assignment> Tally::undo(int row) {
    assert(isValidRow(row) && "Tally::undo: row out of range");
    if (!isValidRow(row)) return std::nullopt;
    auto& seen = played_[index(row)];
    if (seen == 0) return Assignment{row, 0, Visibility::Visible};
    return Assignment{row, --seen, Visibility::Visible};
}

ResetAssignments Tally::reset() {
    played_.fill(0);
    ResetAssignments out{};
    std::size_t n = 0;
    for (int row = kFirstRow; row <= kLastRow; ++row)
        for (int element = 0; element < picturesInRow(row); ++element)
            out[n++] = Assignment{row, element, Visibility::Visible};
    return out;
}

int Tally::played(int row) const {
    assert(isValidRow(row) && "Tally::played: row out of range");
    return isValidRow(row) ? played_[index(row)] : 0;
}

bool Tally::isVisible(int row, int element) const {
    assert(isValidRow(row) && element >= 0 && element < picturesInRow(row) &&
           "Tally::isVisible: picture out of range");
    if (!isValidRow(row) || element < 0 || element >= picturesInRow(row)) return false;
    return element >= played_[index(row)];
}

}  // namespace pellora
