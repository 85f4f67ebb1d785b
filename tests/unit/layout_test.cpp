#include "board.h"
#include "layout.h"
#include "pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>

using pellora::Rect;

namespace {

// The window as it measures at 96 dpi, in pixels (left, top, width, height).
const std::map<std::string, Rect>& expectedControlPixels() {
    static const std::map<std::string, Rect> px = {
        {"Frame1", {8, 8, 137, 513}},     {"Command14", {16, 29, 27, 30}},
        {"Command15", {86, 29, 27, 30}},  {"Command2", {16, 64, 27, 30}},
        {"Command1", {16, 99, 27, 30}},   {"Command13", {16, 133, 27, 30}},
        {"Command12", {16, 168, 27, 30}}, {"Command11", {16, 203, 27, 30}},
        {"Command10", {16, 237, 27, 30}}, {"Command9", {16, 272, 27, 30}},
        {"Command8", {16, 307, 27, 30}},  {"Command7", {16, 341, 27, 30}},
        {"Command6", {16, 376, 27, 30}},  {"Command5", {16, 411, 27, 30}},
        {"Command4", {16, 445, 27, 30}},  {"Command3", {16, 480, 27, 30}},
        {"Command17", {72, 528, 65, 25}}, {"Check1", {16, 528, 49, 25}},
    };
    return px;
}

}  // namespace

TEST(LayoutTable, ControlsLandOnTheDesignedPixelsAt96Dpi) {
    const auto& expected = expectedControlPixels();
    ASSERT_EQ(pellora::controlTable().size(), expected.size());
    for (const auto& c : pellora::controlTable()) {
        SCOPED_TRACE(c.name);
        const auto it = expected.find(c.name);
        ASSERT_NE(it, expected.end());
        EXPECT_EQ(pellora::toPixels(c.twips, 96), it->second);
    }
    EXPECT_EQ(pellora::twipsToPixels(pellora::kClientWidthTwips, 96), 153);
    EXPECT_EQ(pellora::twipsToPixels(pellora::kClientHeightTwips, 96), 561);
    EXPECT_EQ(pellora::twipsToPixels(pellora::kDesignedLeftTwips, 96), 853);
    EXPECT_EQ(pellora::twipsToPixels(pellora::kDesignedTopTwips, 96), 74);
}

TEST(LayoutTable, PictureCellsLandOnTheDesignedPixelsAt96Dpi) {
    const int columns[4] = {120, 97, 74, 51};  // element 0 rightmost
    const int rowTops[16] = {0, 99, 64, 480, 445, 411, 376, 341, 307, 272, 237, 203, 168, 133, 29, 29};
    std::set<std::pair<int, int>> seen;
    for (const auto& cell : pellora::pictureTable()) {
        SCOPED_TRACE(pellora::cardPictureFile(cell.card));
        ASSERT_TRUE(cell.row >= 1 && cell.row <= 15);
        ASSERT_LT(cell.element, pellora::picturesInRow(cell.row));
        seen.insert({cell.row, cell.element});
        const int left = cell.row == 14 ? 51 : cell.row == 15 ? 120 : columns[cell.element];
        EXPECT_EQ(pellora::toPixels(cell.twips, 96), (Rect{left, rowTops[cell.row], 16, 30}));
    }
    EXPECT_EQ(seen.size(), 54u);
    for (int card = 0; card < pellora::kPictureCount; ++card) {
        const auto& cell = pellora::pictureTable()[static_cast<std::size_t>(card)];
        EXPECT_EQ(cell.card, card);
        EXPECT_EQ(pellora::cardIndex(cell.row, cell.element), card);
    }
    // The big joker stands 10 twips left of the spade column.
    EXPECT_EQ(pellora::pictureTable()[52].twips.left + 10, pellora::pictureTable()[3].twips.left);
}

TEST(LayoutTable, EachPictureLinesUpWithItsButtonAndInsideTheGroupBox) {
    const auto* frame = pellora::findControl("Frame1");
    ASSERT_NE(frame, nullptr);
    for (const auto& cell : pellora::pictureTable()) {
        const auto* button = pellora::buttonForRow(cell.row);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(cell.twips.top, button->twips.top);
        EXPECT_GT(cell.twips.left, button->twips.left + button->twips.width - 1) << "row " << cell.row;
        EXPECT_GE(cell.twips.left, frame->twips.left);
        EXPECT_LE(cell.twips.right(), frame->twips.right());
        EXPECT_LE(cell.twips.bottom(), frame->twips.bottom());
    }
}

TEST(LayoutTable, TabOrderAndFonts) {
    // Tab order: Frame1, Command1..13, Command17, Command14, Command15, Check1.
    const char* order[18] = {"Frame1",    "Command1",  "Command2",  "Command3",  "Command4",
                             "Command5",  "Command6",  "Command7",  "Command8",  "Command9",
                             "Command10", "Command11", "Command12", "Command13", "Command17",
                             "Command14", "Command15", "Check1"};
    for (int tab = 0; tab < 18; ++tab) {
        const auto* c = pellora::findControl(order[tab]);
        ASSERT_NE(c, nullptr) << order[tab];
        EXPECT_EQ(c->tab, tab) << order[tab];
    }
    EXPECT_EQ(pellora::controlTable().front().kind, pellora::ControlKind::GroupBox)
        << "the group box must be created first, beneath the buttons";

    const char* const captions[] = {"A", "2", "3", "4", "5", "6", "7", "8", "9", "10", "J", "Q", "K", "大王", "小王"};
    for (int row = 1; row <= 15; ++row) {
        const auto* b = pellora::buttonForRow(row);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(std::string(b->name), "Command" + std::to_string(row));
        EXPECT_EQ(b->id, 100 + row);
        EXPECT_STREQ(b->caption, captions[row - 1]);
        EXPECT_EQ(b->font, row >= 14 ? pellora::FontRole::Joker : pellora::FontRole::Rank);
    }
    EXPECT_EQ(pellora::buttonForRow(16), nullptr);
    EXPECT_EQ(&pellora::groupBox(), pellora::findControl("Frame1"));
    EXPECT_EQ(pellora::findControl("Frame1")->id, 90) << "no button's id";
    EXPECT_EQ(pellora::findControl("Command17")->id, 117);
    EXPECT_EQ(pellora::findControl("Check1")->id, 120);
    EXPECT_STREQ(pellora::fontSpec(pellora::FontRole::Rank).face, "Arial");
    EXPECT_EQ(pellora::fontSpec(pellora::FontRole::Rank).decipoints, 105);
    EXPECT_STREQ(pellora::fontSpec(pellora::FontRole::Joker).face, "宋体");
    EXPECT_EQ(pellora::fontSpec(pellora::FontRole::Joker).decipoints, 90);
}

TEST(LayoutTable, TwipsRoundToTheNearestPixelAtAnyDpi) {
    EXPECT_EQ(pellora::twipsToPixels(400, 96), 27);   // 26.67
    EXPECT_EQ(pellora::twipsToPixels(440, 96), 29);   // 29.33
    EXPECT_EQ(pellora::twipsToPixels(15, 96), 1);
    EXPECT_EQ(pellora::twipsToPixels(12, 120), 1);    // exactly 1.0
    EXPECT_EQ(pellora::twipsToPixels(6, 120), 1);     // 0.5 rounds up
    EXPECT_EQ(pellora::twipsToPixels(2295, 144), 230);  // 229.5
    EXPECT_EQ(pellora::twipsToPixels(8415, 192), 1122);
    EXPECT_EQ(pellora::twipsToPixels(0, 192), 0);
}

TEST(CardPictures, FilesAreNamedByRankAndSuitAndNumberedForTheProgram) {
    EXPECT_EQ(pellora::cardPictureFile(0), "A-diamond.png");
    EXPECT_EQ(pellora::cardPictureFile(37), "10-club.png");
    EXPECT_EQ(pellora::cardPictureFile(46), "Q-heart.png");
    EXPECT_EQ(pellora::cardPictureFile(51), "K-spade.png");
    EXPECT_EQ(pellora::cardPictureFile(52), "joker-big.png");
    EXPECT_EQ(pellora::cardPictureFile(53), "joker-small.png");
    EXPECT_EQ(pellora::cardPictureFile(54), "");
    EXPECT_EQ(pellora::cardPictureFile(-1), "");
    char small[12];
    EXPECT_EQ(pellora::cardPicturePath(51, 150, small, sizeof(small)), 0u) << "too long for the buffer";
    EXPECT_STREQ(small, "");

    // Every (scale, card) has an id of its own in the program.
    std::set<int> ids;
    for (int scale : pellora::kArtScales)
        for (int card = 0; card < pellora::kCardCount; ++card) EXPECT_TRUE(ids.insert(pellora::cardResourceId(card, scale)).second);
    EXPECT_EQ(pellora::cardResourceId(0, 100), 2000);
    EXPECT_EQ(pellora::cardResourceId(53, 300), 2653);
    EXPECT_EQ(pellora::cardResourceId(54, 100), 0);
    EXPECT_EQ(pellora::cardResourceId(0, 110), 0);
}

TEST(CardPictures, ReadingOrderGoesLineByLineLeftToRight) {
    const auto order = pellora::readingOrder();
    auto at = [&](std::size_t k) {
        const pellora::PictureCell& c = pellora::pictureTable()[static_cast<std::size_t>(order[k])];
        return std::make_pair(c.row, c.element);
    };
    EXPECT_EQ(at(0), std::make_pair(14, 0));  // 大王, left of 小王
    EXPECT_EQ(at(1), std::make_pair(15, 0));
    for (int e = 0; e < 4; ++e) EXPECT_EQ(at(2 + static_cast<std::size_t>(e)), std::make_pair(2, 3 - e));  // line "2": spade first
    EXPECT_EQ(at(6), std::make_pair(1, 3));                                                                 // then "A"
    EXPECT_EQ(at(53), std::make_pair(3, 0));                                                                // 方块3 last
    auto sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < pellora::kPictureCount; ++i) EXPECT_EQ(sorted[static_cast<std::size_t>(i)], i) << "every picture once";
}


// From a card's picture to its neighbour on the screen, as a reader's arrow
// keys go: along a line, and to the nearest across in the line above or below.
TEST(CardPictures, NeighboursOnTheScreen) {
    auto card = [](const std::string& name) {
        for (int c = 0; c < pellora::kPictureCount; ++c)
            if (name == pellora::cardName(c)) return c;
        return pellora::kNoCard;
    };
    auto beside = [&](const std::string& name, pellora::Toward toward) {
        const int to = pellora::cardBeside(card(name), toward);
        return to == pellora::kNoCard ? std::string("none") : std::string(pellora::cardName(to));
    };
    using T = pellora::Toward;
    EXPECT_EQ(beside("大王", T::Right), "小王");
    EXPECT_EQ(beside("小王", T::Right), "none");
    EXPECT_EQ(beside("大王", T::Up), "none");
    EXPECT_EQ(beside("大王", T::Down), "黑桃2");
    EXPECT_EQ(beside("小王", T::Down), "方块2");
    EXPECT_EQ(beside("红桃2", T::Up), "大王");
    EXPECT_EQ(beside("梅花2", T::Up), "小王");
    EXPECT_EQ(beside("红桃2", T::Left), "黑桃2");
    EXPECT_EQ(beside("黑桃2", T::Left), "none");
    EXPECT_EQ(beside("梅花A", T::Up), "梅花2");
    EXPECT_EQ(beside("梅花K", T::Down), "梅花Q");
    EXPECT_EQ(beside("方块3", T::Down), "none");
    EXPECT_EQ(pellora::cardBeside(pellora::kNoCard, T::Up), pellora::kNoCard);
}
