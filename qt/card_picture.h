// One card picture cell: the art drawn unscaled inside a one-pixel dark
// frame. Hiding the widget empties the whole cell.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace pellora {

class CardPicture : public QWidget {
    Q_OBJECT

public:
    CardPicture(int card, QWidget* parent);

    int card() const { return card_; }
    // The art scale (100, 125, ... 300) the picture draws at; 0 if the art
    // could not be read.
    int artScale() const { return artScale_; }
    bool hasArt() const { return !art_.isNull(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void loadArtFor(qreal devicePixelRatio);

    int card_;
    int artScale_ = 0;
    QPixmap art_;
};

// The art's resource path at a scale, e.g. ":/cards/150/K-spade.png".
QString cardPictureResource(int card, int scale);

// Lets a screen reader meet every picture as a graphic named for its card
// ("方块K", "大王"), not showing while the card is played. Only registers a
// factory: Qt makes the objects when an assistive technology first asks.
void installCardPictureAccessibility();

}  // namespace pellora
