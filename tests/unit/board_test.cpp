#include "board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <set>
#include <string>
#include <vector>

using pellora::Board;

namespace {

// What a front end would show: every change the board tells, in order, and
// the state those changes build up.
class Recorder : public Board::View {
public:
    Recorder() { shown.fill(true); }

    void cardShown(int card, bool isShown) override {
        log += (log.empty() ? "" : " ") + std::string(isShown ? "show " : "hide ") + std::to_string(card);
        shown[static_cast<std::size_t>(card)] = isShown;
    }
    void rowRemaining(int row, int left) override {
        log += (log.empty() ? "" : " ") + ("row " + std::to_string(row) + "=" + std::to_string(left));
        told[static_cast<std::size_t>(row)] = left;
    }
    std::string take() {
        std::string taken;
        taken.swap(log);
        return taken;
    }

    std::string log;
    std::array<bool, 54> shown{};
    std::array<int, 16> told{-1, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 1, 1};
};

// Cards by their index: a rank's four suits (diamond, club, heart, spade) at
// 4 * (rank - 1), the jokers last.
constexpr int kKingOfDiamonds = 48, kKingOfClubs = 49, kBigJoker = 52, kSmallJoker = 53;

}  // namespace

TEST(Board, PlayUndoAndResetTellExactlyWhatChangedAndNothingElse) {
    Recorder view;
    Board board(view);
    board.play(13);
    EXPECT_EQ(view.take(), "hide 48 row 13=3");
    board.play(13);
    EXPECT_EQ(view.take(), "hide 49 row 13=2");
    board.undo(13);
    EXPECT_EQ(view.take(), "show 49 row 13=3") << "an undo puts back the card played last";
    board.undo(13);
    board.undo(13);
    EXPECT_EQ(view.take(), "show 48 row 13=4") << "an undo on a whole row tells nothing";

    for (int i = 0; i < 5; ++i) board.play(5);
    EXPECT_EQ(view.take(), "hide 16 row 5=3 hide 17 row 5=2 hide 18 row 5=1 hide 19 row 5=0")
        << "a fifth play on a row all played tells nothing";
    board.play(14);
    board.play(14);
    board.undo(15);
    EXPECT_EQ(view.take(), "hide 52 row 14=0") << "a joker hides once; an undo of a joker still shown tells nothing";

    board.play(13);
    board.reset();
    EXPECT_EQ(view.take(), "hide 48 row 13=3 show 16 show 17 show 18 show 19 show 48 show 52 row 5=4 row 13=4 row 14=1")
        << "reset: each changed card once, then each changed row once with its final count";
    board.reset();
    EXPECT_EQ(view.take(), "") << "a reset of a whole deck tells nothing";

    board.play(0);
    board.undo(16);
    EXPECT_EQ(view.take(), "") << "a row that does not exist changes nothing";
}

TEST(Board, AnyInputLeavesTheViewShowingTheBoardAndTheRightCounts) {
    Recorder view;
    Board board(view);
    std::mt19937 random(20261208);
    std::array<int, 16> played{};  // a tally written down independently
    for (int step = 0; step < 5000; ++step) {
        const int row = 1 + static_cast<int>(random() % 15);
        const int capacity = row >= 14 ? 1 : 4;
        switch (random() % 9) {
            case 0: board.reset(); played.fill(0); break;
            case 1: case 2: case 3: board.undo(row); played[row] = std::max(0, played[row] - 1); break;
            default: board.play(row); played[row] = std::min(capacity, played[row] + 1); break;
        }
        for (int r = 1; r <= 15; ++r) {
            const int cap = r >= 14 ? 1 : 4;
            ASSERT_EQ(board.remaining(r), cap - played[r]) << "step " << step << ", row " << r;
            ASSERT_EQ(view.told[r], cap - played[r]) << "step " << step << ", row " << r;
        }
        for (int card = 0; card < 54; ++card) {
            const int r = card < 52 ? card / 4 + 1 : card - 52 + 14;
            const int element = card < 52 ? card % 4 : 0;
            // Played cards are the row's first elements: diamond first.
            ASSERT_EQ(board.isShown(card), element >= played[r]) << "step " << step << ", card " << card;
            ASSERT_EQ(view.shown[card], board.isShown(card)) << "step " << step << ", card " << card;
        }
    }
    EXPECT_FALSE(board.isShown(-1));
    EXPECT_FALSE(board.isShown(54));
    EXPECT_EQ(board.remaining(16), 0);
}

TEST(Cards, EachRowAndElementIsOneIndexAndBack) {
    std::set<int> seen;
    for (int row = 1; row <= 15; ++row)
        for (int element = 0; element < (row >= 14 ? 1 : 4); ++element) {
            const int card = pellora::cardIndex(row, element);
            ASSERT_TRUE(card >= 0 && card < 54) << row << "." << element;
            EXPECT_TRUE(seen.insert(card).second) << "index " << card << " twice";
            EXPECT_EQ(pellora::cardPlace(card).row, row);
            EXPECT_EQ(pellora::cardPlace(card).element, element);
        }
    EXPECT_EQ(pellora::cardIndex(1, 0), 0);
    EXPECT_EQ(pellora::cardIndex(13, 1), kKingOfClubs);
    EXPECT_EQ(pellora::cardIndex(14, 0), kBigJoker);
    EXPECT_EQ(pellora::cardIndex(15, 0), kSmallJoker);
    for (const auto& [row, element] : {std::pair{0, 0}, {16, 0}, {1, 4}, {1, -1}, {14, 1}, {-3, 0}})
        EXPECT_EQ(pellora::cardIndex(row, element), pellora::kNoCard) << row << "." << element;
    EXPECT_EQ(pellora::cardPlace(54).row, 0);
    EXPECT_EQ(pellora::cardPlace(-1).row, 0);
}

TEST(Cards, NamesSaySuitThenRankInChineseAndRedIsDiamondsHeartsAndTheBigJoker) {
    EXPECT_STREQ(pellora::cardName(kKingOfDiamonds), "方块K");
    EXPECT_STREQ(pellora::cardName(1), "梅花A");
    EXPECT_STREQ(pellora::cardName(6), "红桃2");
    EXPECT_STREQ(pellora::cardName(39), "黑桃10");
    EXPECT_STREQ(pellora::cardName(kBigJoker), "大王");
    EXPECT_STREQ(pellora::cardName(kSmallJoker), "小王");
    EXPECT_STREQ(pellora::cardName(54), "");
    EXPECT_STREQ(pellora::cardName(-1), "");
    EXPECT_STREQ(pellora::rankName(1), "A");
    EXPECT_STREQ(pellora::rankName(11), "J");
    EXPECT_STREQ(pellora::rankName(16), "");

    std::vector<std::string> red;
    for (int card = 0; card < 54; ++card)
        if (pellora::isRedCard(card)) red.push_back(pellora::cardName(card));
    ASSERT_EQ(red.size(), 27u);
    EXPECT_EQ(red[0] + red[1] + red[2] + red[3], "方块A红桃A方块2红桃2");
    EXPECT_EQ(red.back(), "大王") << "the big joker is red, the small one black";
    EXPECT_STREQ(pellora::suitWord(pellora::cardSuit(51)), "spade");
}

TEST(Cards, WhatRemainsIsSaidAsAButtonsDescription) {
    EXPECT_STREQ(pellora::remainingText(0), "剩 0 张");
    EXPECT_STREQ(pellora::remainingText(4), "剩 4 张");
    EXPECT_STREQ(pellora::remainingText(5), "");
    EXPECT_STREQ(pellora::remainingText(-1), "");
}
