#include "layout.h"

#include "board.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace pellora {

namespace {

constexpr int kButtonWidth = 400;
constexpr int kButtonHeight = 450;
constexpr int kCellWidth = 240;
constexpr int kCellHeight = 450;

// Tops of the rank lines in the client area, by row 1..13.
constexpr std::array<int, 13> kRankTops = {1480, 960,  7200, 6680, 6160, 5640, 5120,
                                           4600, 4080, 3560, 3040, 2520, 2000};
constexpr int kJokerTop = 440;
// Picture columns in the client area, by element 0..3 (0 rightmost).
constexpr std::array<int, 4> kColumns = {1800, 1456, 1113, 770};
constexpr int kBigJokerLeft = 760;
constexpr int kSmallJokerLeft = 1800;

constexpr int rankTop(int row) { return kRankTops[static_cast<std::size_t>(row - 1)]; }

}  // namespace

const FontSpec& fontSpec(FontRole role) {
    static const FontSpec kDefault{nullptr, 90, 0};
    static const FontSpec kRank{"Arial", 105, 700};
    static const FontSpec kJoker{"宋体", 90, 700};
    switch (role) {
        case FontRole::Rank: return kRank;
        case FontRole::Joker: return kJoker;
        case FontRole::Default: break;
    }
    return kDefault;
}

const std::array<ControlSpec, kControlCount>& controlTable() {
    using K = ControlKind;
    using F = FontRole;
    // A row's button is captioned with its rank's name.
    auto button = [](const char* name, int left, int top, F font, int tab, int row) {
        return ControlSpec{name, IDC_ROW_BUTTON_BASE + row, K::PushButton, rankName(row),
                           {left, top, kButtonWidth, kButtonHeight}, font, tab, row};
    };
    static const std::array<ControlSpec, kControlCount> table = {{
        {"Frame1", IDC_GROUP_BOX, K::GroupBox, "剩牌", {120, 120, 2055, 7695}, F::Default, 0, 0},
        button("Command14", 240, kJokerTop, F::Joker, 15, 14),
        button("Command15", 1290, kJokerTop, F::Joker, 16, 15),
        button("Command2", 240, rankTop(2), F::Rank, 2, 2),
        button("Command1", 240, rankTop(1), F::Rank, 1, 1),
        button("Command13", 240, rankTop(13), F::Rank, 13, 13),
        button("Command12", 240, rankTop(12), F::Rank, 12, 12),
        button("Command11", 240, rankTop(11), F::Rank, 11, 11),
        button("Command10", 240, rankTop(10), F::Rank, 10, 10),
        button("Command9", 240, rankTop(9), F::Rank, 9, 9),
        button("Command8", 240, rankTop(8), F::Rank, 8, 8),
        button("Command7", 240, rankTop(7), F::Rank, 7, 7),
        button("Command6", 240, rankTop(6), F::Rank, 6, 6),
        button("Command5", 240, rankTop(5), F::Rank, 5, 5),
        button("Command4", 240, rankTop(4), F::Rank, 4, 4),
        button("Command3", 240, rankTop(3), F::Rank, 3, 3),
        {"Command17", IDC_RESET, K::PushButton, "从新开始", {1080, 7920, 975, 375}, F::Default, 14, 0},
        {"Check1", IDC_STAY_ON_TOP, K::CheckBox, "置顶", {240, 7920, 735, 375}, F::Default, 17, 0},
    }};
    return table;
}

const std::array<PictureCell, kPictureCount>& pictureTable() {
    static const std::array<PictureCell, kPictureCount> table = [] {
        std::array<PictureCell, kPictureCount> t{};
        for (int card = 0; card < kPictureCount; ++card) {
            const CardPlace at = cardPlace(card);
            const int left = at.row == kBigJokerRow     ? kBigJokerLeft
                             : at.row == kSmallJokerRow ? kSmallJokerLeft
                                                        : kColumns[static_cast<std::size_t>(at.element)];
            const int top = isJokerRow(at.row) ? kJokerTop : rankTop(at.row);
            t[static_cast<std::size_t>(card)] = {card, at.row, at.element, {left, top, kCellWidth, kCellHeight}};
        }
        return t;
    }();
    return table;
}

std::array<int, kPictureCount> readingOrder() {
    std::array<int, kPictureCount> order{};
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    const auto& table = pictureTable();
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const Rect& p = table[static_cast<std::size_t>(a)].twips;
        const Rect& q = table[static_cast<std::size_t>(b)].twips;
        return p.top != q.top ? p.top < q.top : p.left < q.left;
    });
    return order;
}

int cardBeside(int card, Toward toward) {
    if (card < 0 || card >= kPictureCount) return kNoCard;
    const auto& table = pictureTable();
    const Rect& from = table[static_cast<std::size_t>(card)].twips;
    int best = kNoCard;
    long bestDistance = 0;
    for (const PictureCell& cell : table) {
        const Rect& to = cell.twips;
        const int across = (to.left + to.width / 2) - (from.left + from.width / 2);
        const int down = to.top - from.top;
        const bool ahead = toward == Toward::Left    ? down == 0 && across < 0
                           : toward == Toward::Right ? down == 0 && across > 0
                           : toward == Toward::Up    ? down < 0
                                                     : down > 0;
        if (!ahead) continue;
        // The nearest line first, then the nearest across; of two as near, the left one.
        const long distance = 100000L * std::abs(down) + 2L * std::abs(across) + (across > 0 ? 1 : 0);
        if (best == kNoCard || distance < bestDistance) {
            best = cell.card;
            bestDistance = distance;
        }
    }
    return best;
}

template <typename Match>
const ControlSpec* findControlIf(Match match) {
    const auto& table = controlTable();
    const auto it = std::find_if(table.begin(), table.end(), match);
    return it == table.end() ? nullptr : &*it;
}

const ControlSpec* findControl(const char* name) {
    return findControlIf([name](const ControlSpec& c) { return std::strcmp(c.name, name) == 0; });
}

const ControlSpec* buttonForRow(int row) {
    return findControlIf([row](const ControlSpec& c) { return c.row != 0 && c.row == row; });
}

const ControlSpec& groupBox() {
    return *findControlIf([](const ControlSpec& c) { return c.kind == ControlKind::GroupBox; });
}

int twipsToPixels(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

Rect toPixels(const Rect& t, int dpi) {
    return {twipsToPixels(t.left, dpi), twipsToPixels(t.top, dpi), twipsToPixels(t.width, dpi),
            twipsToPixels(t.height, dpi)};
}

}  // namespace pellora
