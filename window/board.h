// The board: the tally plus what each card is. The one place that knows how a
// row and an element make a card, what the card is called and how many of a
// row remain. Front ends forward input here and apply what comes back: "this
// card is now shown (or hidden)", "this row has k left".
#pragma once

#include "tally.h"

#include <array>

namespace pellora {

// A card is named in code by its index, 0..53: the ranks A, 2 .. K (rows 1..13)
// with four cards each, elements 0..3 being the suits below, then the big and
// the small joker. Constant expressions, so that the layout's tables built
// from them are constant data too.
constexpr int kNoCard = -1;
constexpr int kRankCards = 13 * kSuitsPerRank;  // the jokers come after

enum class Suit { Diamond, Club, Heart, Spade };  // element 0..3 of every rank row

struct CardPlace {
    int row;      // 1..15; 0 for no card
    int element;  // 0..3, 0 for a joker
};

// kNoCard for a row and element that hold no card.
constexpr int cardIndex(int row, int element) {
    if (!isValidRow(row) || element < 0 || element >= picturesInRow(row)) return kNoCard;
    return isJokerRow(row) ? kRankCards + (row - kBigJokerRow) : (row - kFirstRow) * kSuitsPerRank + element;
}

// {0, 0} for an index that is no card.
constexpr CardPlace cardPlace(int card) {
    if (card < 0 || card >= kCardCount) return {0, 0};
    if (card >= kRankCards) return {kBigJokerRow + (card - kRankCards), 0};
    return {kFirstRow + card / kSuitsPerRank, card % kSuitsPerRank};
}

constexpr bool isJokerCard(int card) { return card >= kRankCards && card < kCardCount; }
// The suit of a rank card; jokers and invalid indexes have none (Spade is
// returned but means nothing there: ask isJokerCard first).
Suit cardSuit(int card);
// Diamonds, hearts and the big joker.
bool isRedCard(int card);

// What a row's button says and its cards' index shows: "A", "2" .. "K",
// "大王", "小王" (UTF-8). Empty for an invalid row.
constexpr const char* rankName(int row) {
    constexpr const char* kNames[kLastRow + 1] = {"",  "A",  "2", "3", "4", "5", "6",    "7",
                                                  "8", "9", "10", "J", "Q", "K", "大王", "小王"};
    return isValidRow(row) ? kNames[row] : "";
}
// The card as a screen reader says it, suit then rank: "方块K", "黑桃10",
// "大王". Empty for an invalid index.
const char* cardName(int card);
// "diamond" .. "spade", as the art's file names spell them.
const char* suitWord(Suit suit);
// "剩 3 张": how many of a row remain, as a button's description. `left` is
// 0..4; empty otherwise.
const char* remainingText(int left);
// What a rank or joker button does, on two lines: its tip, and its help for a
// screen reader. Both front ends show this one text.
const char* buttonHelp();
// The two actions a screen reader can take on such a button, described.
const char* playActionText();     // "记下出了一张"
const char* putBackActionText();  // "放回一张"

class Board {
public:
    // What a front end shows of the board.
    class View {
    public:
        virtual void cardShown(int card, bool shown) = 0;
        virtual void rowRemaining(int row, int left) = 0;

    protected:
        ~View() = default;
    };

    // Starts with the whole deck; `view` must outlive the board.
    explicit Board(View& view);

    // The input a front end forwards: a rank or joker button clicked, pressed
    // with the right button (or its keyboard equivalent), the reset button
    // clicked. Each tells the view of every card whose state changed and of
    // every row whose count changed, and of nothing else. An invalid row
    // changes nothing.
    void play(int row);
    void undo(int row);
    void reset();

    bool isShown(int card) const;
    // Cards of the row not marked played: 0..4 (0..1 for a joker).
    int remaining(int row) const;

private:
    void apply(const Assignment& assignment);

    View& view_;
    Tally tally_;
    std::array<bool, kCardCount> shown_;
};

}  // namespace pellora
