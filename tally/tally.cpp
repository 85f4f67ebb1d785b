#include "tally.h"

#include <cassert>

namespace pellora {

namespace {

constexpr std::size_t index(int row) { return static_cast<std::size_t>(row - kFirstRow); }

}  // namespace

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
