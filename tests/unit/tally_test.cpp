#include "tally.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <set>
#include <string>
#include <vector>

using pellora::Assignment;
using pellora::Tally;
using pellora::Visibility;

namespace {

constexpr Visibility kHidden = Visibility::Hidden;
constexpr Visibility kVisible = Visibility::Visible;

Assignment hide(int row, int element) { return {row, element, kHidden}; }
Assignment show(int row, int element) { return {row, element, kVisible}; }

int visibleCount(const Tally& t, int row) {
    int n = 0;
    for (int e = 0; e < pellora::picturesInRow(row); ++e) n += t.isVisible(row, e) ? 1 : 0;
    return n;
}

}  // namespace

TEST(Tally, StartsWithTheWholeDeckShowing) {
    Tally t;
    for (int row = 1; row <= 15; ++row) {
        EXPECT_EQ(t.played(row), 0);
        EXPECT_EQ(visibleCount(t, row), pellora::picturesInRow(row));
    }
}

TEST(Tally, PlayHidesFromElementZeroUpAndStopsAtFour) {
    Tally t;
    const std::vector<Assignment> expected = {hide(1, 0), hide(1, 1), hide(1, 2), hide(1, 3),
                                              hide(1, 3)};
    const std::vector<int> played = {1, 2, 3, 4, 4};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(t.play(1), expected[i]) << "play " << i + 1;
        EXPECT_EQ(t.played(1), played[i]);
    }
    EXPECT_EQ(visibleCount(t, 1), 0);
}

TEST(Tally, UndoRestoresLastPlayedCard) {
    Tally t;
    EXPECT_EQ(t.play(13), hide(13, 0));
    EXPECT_EQ(t.undo(13), show(13, 0));
    EXPECT_EQ(t.played(13), 0);
    EXPECT_EQ(visibleCount(t, 13), 4);
}

TEST(Tally, FourPlaysThenFourUndosShowThreeTwoOneZero) {
    Tally t;
    for (int i = 0; i < 4; ++i) t.play(7);
    EXPECT_EQ(t.undo(7), show(7, 3));
    EXPECT_EQ(t.undo(7), show(7, 2));
    EXPECT_EQ(t.undo(7), show(7, 1));
    EXPECT_EQ(t.undo(7), show(7, 0));
    EXPECT_EQ(t.played(7), 0);
    // A fifth undo on a full row changes nothing.
    EXPECT_EQ(t.undo(7), show(7, 0));
    EXPECT_EQ(t.played(7), 0);
}

TEST(Tally, TwoPlaysAndOneUndoLeaveElementZeroHidden) {
    Tally t;
    t.play(2);
    t.play(2);
    EXPECT_EQ(t.undo(2), show(2, 1));
    EXPECT_FALSE(t.isVisible(2, 0));
    EXPECT_TRUE(t.isVisible(2, 1));
    EXPECT_EQ(t.play(2), hide(2, 1));
    EXPECT_EQ(t.played(2), 2);
}

TEST(Tally, JokerRowsToggleTheirOnePicture) {
    for (int row : {14, 15}) {
        SCOPED_TRACE(row);
        Tally t;
        EXPECT_EQ(t.undo(row), show(row, 0));  // already showing: no change
        EXPECT_EQ(t.played(row), 0);
        EXPECT_EQ(t.play(row), hide(row, 0));
        EXPECT_EQ(t.play(row), hide(row, 0));  // still one card
        EXPECT_EQ(t.played(row), 1);
        EXPECT_FALSE(t.isVisible(row, 0));
        EXPECT_EQ(t.undo(row), show(row, 0));
        EXPECT_EQ(t.undo(row), show(row, 0));
        EXPECT_TRUE(t.isVisible(row, 0));
    }
}

TEST(Tally, ResetShowsAll54InRowOrder) {
    Tally t;
    for (int i = 0; i < 3; ++i) t.play(13);
    t.play(14);
    t.play(1);
    const auto out = t.reset();

    std::size_t n = 0;
    for (int row = 1; row <= 13; ++row)
        for (int e = 0; e < 4; ++e) EXPECT_EQ(out[n++], show(row, e));
    EXPECT_EQ(out[n++], show(14, 0));
    EXPECT_EQ(out[n++], show(15, 0));
    EXPECT_EQ(n, out.size());

    std::set<std::pair<int, int>> distinct;
    for (const auto& a : out) distinct.insert({a.row, a.element});
    EXPECT_EQ(distinct.size(), 54u);

    for (int row = 1; row <= 15; ++row) {
        EXPECT_EQ(t.played(row), 0);
        EXPECT_EQ(visibleCount(t, row), pellora::picturesInRow(row));
    }
    EXPECT_EQ(t.play(13), hide(13, 0));  // counting starts afresh
}

TEST(Tally, RowsNeverAffectEachOther) {
    for (int row = 1; row <= 15; ++row) {
        SCOPED_TRACE(row);
        Tally t;
        t.play(row);
        t.play(row);
        t.undo(row);
        for (int other = 1; other <= 15; ++other) {
            if (other == row) continue;
            EXPECT_EQ(t.played(other), 0) << "other row " << other;
            EXPECT_EQ(visibleCount(t, other), pellora::picturesInRow(other));
        }
    }
}

// An invalid row is a caller bug. tests/CMakeLists.txt builds this file twice,
// so both builds are tested: with assertions (Debug) and without (NDEBUG, as
// the programs ship).
#ifdef NDEBUG
TEST(Tally, InvalidRowsChangeNothingAndHandNothingBack) {
    Tally t;
    t.play(5);
    t.play(14);
    for (int row : {0, -1, 16, 1000}) {
        SCOPED_TRACE(row);
        EXPECT_FALSE(t.play(row).has_value());
        EXPECT_FALSE(t.undo(row).has_value());
        EXPECT_EQ(t.played(row), 0);
        EXPECT_FALSE(t.isVisible(row, 0));
    }
    EXPECT_FALSE(t.isVisible(5, -1));
    EXPECT_FALSE(t.isVisible(5, 4));
    EXPECT_FALSE(t.isVisible(14, 1));
    for (int row = 1; row <= 15; ++row)
        EXPECT_EQ(t.played(row), row == 5 || row == 14 ? 1 : 0) << "row " << row;
}
#else
TEST(TallyDeathTest, InvalidRowsStopAtTheAssertion) {
    Tally t;
    for (int row : {0, -1, 16, 1000}) {
        SCOPED_TRACE(row);
        EXPECT_DEATH(t.play(row), "play: row out of range");
        EXPECT_DEATH(t.undo(row), "undo: row out of range");
        EXPECT_DEATH(t.played(row), "played: row out of range");
    }
    EXPECT_DEATH(t.isVisible(5, 4), "picture out of range");
    EXPECT_DEATH(t.isVisible(14, 1), "picture out of range");
}
#endif

// Long random sequences against a model that just keeps the 54 flags and
// treats "played" as "hide the lowest visible" / "show the highest hidden".
TEST(Tally, RandomSequencesMatchASimpleModel) {
    std::mt19937 rng(20261207);
    for (int run = 0; run < 50; ++run) {
        Tally t;
        std::array<std::array<bool, 4>, 16> visible{};  // [row][element], row 0 unused
        for (auto& r : visible) r.fill(true);

        for (int step = 0; step < 2000; ++step) {
            const int op = static_cast<int>(rng() % 100);
            const int row = 1 + static_cast<int>(rng() % 15);
            const int width = pellora::picturesInRow(row);
            if (op < 2) {
                t.reset();
                for (auto& r : visible) r.fill(true);
                continue;
            }
            if (op < 55) {
                const auto a = t.play(row);
                ASSERT_TRUE(a.has_value());
                ASSERT_EQ(a->state, kHidden);
                int e = 0;
                while (e < width && !visible[row][e]) ++e;
                if (e == width) e = width - 1;  // nothing left: repeat the last
                ASSERT_EQ(a->row, row);
                ASSERT_EQ(a->element, e) << "run " << run << " step " << step;
                visible[row][e] = false;
            } else {
                const auto a = t.undo(row);
                ASSERT_TRUE(a.has_value());
                ASSERT_EQ(a->state, kVisible);
                int e = width - 1;
                while (e >= 0 && visible[row][e]) --e;
                if (e < 0) e = 0;  // nothing played: no change
                ASSERT_EQ(a->row, row);
                ASSERT_EQ(a->element, e) << "run " << run << " step " << step;
                visible[row][e] = true;
            }
            for (int r = 1; r <= 15; ++r) {
                int hidden = 0;
                for (int e = 0; e < pellora::picturesInRow(r); ++e) {
                    ASSERT_EQ(t.isVisible(r, e), visible[r][e]) << "row " << r << " element " << e;
                    hidden += visible[r][e] ? 0 : 1;
                }
                ASSERT_EQ(t.played(r), hidden);
            }
        }
    }
}
