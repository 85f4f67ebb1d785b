// The card tally: which of the 54 cards have been seen played.
//
// Fifteen rows: the ranks A, 2..10, J, Q, K (rows 1..13, four pictures each,
// elements 0 diamond, 1 club, 2 heart, 3 spade) and the big and small jokers
// (rows 14 and 15, one picture each). Every operation hands back the picture
// changes the window has to make; the tally itself knows nothing of windows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace pellora {

constexpr int kFirstRow = 1;
constexpr int kLastRow = 15;
constexpr int kRowCount = 15;
constexpr int kBigJokerRow = 14;
constexpr int kSmallJokerRow = 15;
constexpr int kSuitsPerRank = 4;
constexpr int kCardCount = 54;

constexpr bool isValidRow(int row) { return row >= kFirstRow && row <= kLastRow; }
constexpr bool isJokerRow(int row) { return row == kBigJokerRow || row == kSmallJokerRow; }
constexpr int picturesInRow(int row) {
    return isValidRow(row) ? (isJokerRow(row) ? 1 : kSuitsPerRank) : 0;
}

enum class Visibility : std::uint8_t { Visible, Hidden };

// "Set picture `element` of row `row` to `state`": what the window applies.
struct Assignment {
    int row;
    int element;
    Visibility state;

    friend bool operator==(const Assignment& a, const Assignment& b) {
        return a.row == b.row && a.element == b.element && a.state == b.state;
    }
    friend bool operator!=(const Assignment& a, const Assignment& b) { return !(a == b); }
};

using ResetAssignments = std::array<Assignment, kCardCount>;

class Tally {
public:
    // A card of `row` was seen: hide one more picture. Playing a row whose
    // pictures are all hidden repeats the last one and changes nothing.
    // An invalid row is a caller bug: asserts in debug builds, otherwise
    // nothing changes and nothing is handed back.
    std::optional<Assignment> play(int row);

    // Put back the card played last in `row`. On a full row it changes nothing.
    std::optional<Assignment> undo(int row);

    // The whole deck again: rows 1..13 elements 0..3, then rows 14 and 15.
    ResetAssignments reset();

    // How many cards of the row are marked played (0..4, 0..1 for a joker).
    int played(int row) const;
    // Hidden pictures are always elements 0..played-1.
    bool isVisible(int row, int element) const;

private:
    std::array<std::uint8_t, kRowCount> played_{};
};

}  // namespace pellora
