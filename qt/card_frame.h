// The group box "剩牌" with the 54 card pictures inside it, drawn by the box
// itself: each card's art unscaled in a one-pixel dark frame, and a played
// card's whole cell empty. One widget to make and paint at start-up rather
// than 55, as the Windows program draws its pictures in one window.
#pragma once

#include "board.h"
#include "layout.h"

#include <QAccessible>
#include <QGroupBox>
#include <QPixmap>

#include <array>

namespace pellora {

class CardFrame : public QGroupBox {
    Q_OBJECT

public:
    // Shows what `board` says is shown; the board must outlive the box.
    CardFrame(const QString& title, const Board& board, QWidget* parent);
    ~CardFrame() override;

    // A card's cell in the box, laid out at 96 dpi as the layout table says.
    QRect cell(int card) const { return cells_[static_cast<std::size_t>(card)]; }
    bool showsCard(int card) const { return board_.isShown(card); }
    // The art scale (100, 125, ... 300) the pictures draw at; 0 if the art
    // could not all be read.
    int artScale() const { return artScale_; }
    // The first card whose art could not be read, or -1.
    int missingArt() const { return missingArt_; }

    // The card's state changed: draw its cell again, and tell a listening
    // screen reader.
    void cardChanged(int card);

    // What a screen reader meets for a card: made the first time one asks.
    QAccessibleInterface* cardAccessible(int card) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void loadArtFor(qreal devicePixelRatio);

    const Board& board_;
    std::array<QRect, kCardCount> cells_{};
    std::array<QPixmap, kCardCount> art_{};
    int artScale_ = 0;
    int missingArt_ = -1;
    mutable std::array<QAccessible::Id, kCardCount> accessibleIds_{};
};

// The art's resource path at a scale, e.g. ":/cards/150/K-spade.png".
QString cardPictureResource(int card, int scale);

// Lets a screen reader meet the box as a group holding every card as a
// graphic named for its card ("方块K", "大王") in reading order, not showing
// while the card is played. Only registers a factory: Qt makes the objects
// when an assistive technology first asks.
void installCardFrameAccessibility();

}  // namespace pellora
