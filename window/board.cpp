#include "board.h"

#include <cstddef>

namespace pellora {

namespace {

constexpr std::array<const char*, kSuitsPerRank> kSuitNames = {"方块", "梅花", "红桃", "黑桃"};  // by Suit
constexpr const char* kRemaining[] = {"剩 0 张", "剩 1 张", "剩 2 张", "剩 3 张", "剩 4 张"};
constexpr const char* kPlayAction = "记下出了一张";
constexpr const char* kPutBackAction = "放回一张";

// Every card's name, worked out by the compiler: constant data in the
// program, no code at start-up and no string type.
using Name = std::array<char, 16>;
using NameTable = std::array<Name, kCardCount>;

template <std::size_t N>
constexpr void append(std::array<char, N>& into, std::size_t& length, const char* text) {
    for (; *text; ++text) into[length++] = *text;
}

constexpr NameTable makeNames() {
    NameTable names{};
    for (int card = 0; card < kCardCount; ++card) {
        Name& name = names[static_cast<std::size_t>(card)];
        std::size_t length = 0;
        const CardPlace place = cardPlace(card);
        if (!isJokerRow(place.row)) append(name, length, kSuitNames[static_cast<std::size_t>(place.element)]);
        append(name, length, rankName(place.row));
    }
    return names;
}

constexpr NameTable kCardNames = makeNames();

// The help says the actions in the words the actions are described by.
using Help = std::array<char, 128>;

constexpr Help makeHelp() {
    Help help{};
    std::size_t length = 0;
    append(help, length, "单击或按空格键：");
    append(help, length, kPlayAction);
    append(help, length, "\n右键单击，或按菜单键、Shift+F10：");
    append(help, length, kPutBackAction);
    return help;
}

constexpr Help kButtonHelp = makeHelp();

}  // namespace

Suit cardSuit(int card) {
    return isJokerCard(card) || card < 0 ? Suit::Spade : static_cast<Suit>(card % kSuitsPerRank);
}

bool isRedCard(int card) {
    if (card < 0 || card >= kCardCount) return false;
    if (isJokerCard(card)) return cardPlace(card).row == kBigJokerRow;
    const Suit suit = cardSuit(card);
    return suit == Suit::Diamond || suit == Suit::Heart;
}

const char* cardName(int card) {
    return card >= 0 && card < kCardCount ? kCardNames[static_cast<std::size_t>(card)].data() : "";
}

const char* suitWord(Suit suit) {
    switch (suit) {
        case Suit::Diamond: return "diamond";
        case Suit::Club: return "club";
        case Suit::Heart: return "heart";
        case Suit::Spade: break;
    }
    return "spade";
}

const char* remainingText(int left) {
    if (left < 0 || left > kSuitsPerRank) return "";
    return kRemaining[left];
}

const char* buttonHelp() { return kButtonHelp.data(); }

const char* playActionText() { return kPlayAction; }

const char* putBackActionText() { return kPutBackAction; }

Board::Board(View& view) : view_(view) { shown_.fill(true); }

void Board::play(int row) {
    if (!isValidRow(row)) return;
    if (const auto assignment = tally_.play(row)) apply(*assignment);
}

void Board::undo(int row) {
    if (!isValidRow(row)) return;
    if (const auto assignment = tally_.undo(row)) apply(*assignment);
}

void Board::reset() {
    // All the cards first, then each row that changed once, with its final count.
    unsigned changed = 0;  // bit `row`
    for (const Assignment& assignment : tally_.reset()) {
        const int card = cardIndex(assignment.row, assignment.element);
        if (card == kNoCard || shown_[static_cast<std::size_t>(card)]) continue;
        shown_[static_cast<std::size_t>(card)] = true;
        view_.cardShown(card, true);
        changed |= 1u << assignment.row;
    }
    for (int row = kFirstRow; row <= kLastRow; ++row)
        if (changed & (1u << row)) view_.rowRemaining(row, remaining(row));
}

bool Board::isShown(int card) const { return card >= 0 && card < kCardCount && shown_[static_cast<std::size_t>(card)]; }

int Board::remaining(int row) const { return isValidRow(row) ? picturesInRow(row) - tally_.played(row) : 0; }

void Board::apply(const Assignment& assignment) {
    // The tally may hand back a picture's present state (a play on a row all
    // played, an undo on a row with none played): then nothing is told.
    const int card = cardIndex(assignment.row, assignment.element);
    const bool shown = assignment.state == Visibility::Visible;
    if (card == kNoCard || shown_[static_cast<std::size_t>(card)] == shown) return;
    shown_[static_cast<std::size_t>(card)] = shown;
    view_.cardShown(card, shown);
    view_.rowRemaining(assignment.row, remaining(assignment.row));
}

}  // namespace pellora
