#include "card_picture.h"

#include "board.h"
#include "embedded_png.h"
#include "pictures.h"

#include <QAccessibleWidget>
#include <QPainter>

#include <cmath>

namespace pellora {

namespace {

// Named from the card the picture shows, when asked: nothing is built before.
// Hidden while played, so it is neither visible nor showing then.
class CardPictureAccessible : public QAccessibleWidget {
public:
    explicit CardPictureAccessible(CardPicture* picture) : QAccessibleWidget(picture, QAccessible::Graphic) {}

    QString text(QAccessible::Text kind) const override {
        if (kind != QAccessible::Name) return QAccessibleWidget::text(kind);
        return QString::fromUtf8(cardName(static_cast<const CardPicture*>(widget())->card()));
    }
};

QAccessibleInterface* cardPictureAccessible(const QString&, QObject* object) {
    auto* picture = qobject_cast<CardPicture*>(object);
    return picture ? new CardPictureAccessible(picture) : nullptr;
}

}  // namespace

void installCardPictureAccessibility() { QAccessible::installFactory(cardPictureAccessible); }

QString cardPictureResource(int card, int scale) {
    return QStringLiteral(":/") + QString::fromStdString(cardPicturePath(card, scale));
}

CardPicture::CardPicture(int card, QWidget* parent) : QWidget(parent), card_(card) {
    loadArtFor(devicePixelRatioF());
}

void CardPicture::loadArtFor(qreal devicePixelRatio) {
    const int scale = artScaleForDpi(static_cast<int>(std::lround(96 * devicePixelRatio)));
    if (scale == artScale_ && !art_.isNull()) return;
    art_ = embeddedPng(cardPictureResource(card_, scale));
    artScale_ = art_.isNull() ? 0 : scale;
}

void CardPicture::paintEvent(QPaintEvent*) {
    // Moved to a screen of another density: take the art drawn for it.
    const qreal ratio = devicePixelRatioF();
    loadArtFor(ratio);

    // Paint in whole device pixels, so the frame is one pixel and the art is
    // not scaled. At scales such as 1.25 the cell starts and ends inside a
    // device pixel; Qt clips a widget to its edges rounded to whole pixels,
    // so the frame goes on exactly the pixels inside those.
    QPainter painter(this);
    const QPointF origin = painter.deviceTransform().map(QPointF(0, 0));
    const QPointF whole(std::floor(origin.x()), std::floor(origin.y()));
    painter.resetTransform();
    painter.scale(1 / ratio, 1 / ratio);
    painter.translate(whole - origin);
    auto firstPixel = [](qreal edge) { return static_cast<int>(std::floor(edge + 0.5)); };
    const QRect cell(QPoint(firstPixel(origin.x()), firstPixel(origin.y())) - whole.toPoint(),
                     QPoint(firstPixel(origin.x() + width() * ratio) - 1, firstPixel(origin.y() + height() * ratio) - 1) -
                         whole.toPoint());
    painter.fillRect(cell, palette().color(QPalette::ButtonText));
    const QRect inside = cell.adjusted(1, 1, -1, -1);
    painter.fillRect(inside, Qt::white);
    if (art_.isNull()) return;
    QPixmap art = art_;
    art.setDevicePixelRatio(1);
    // Only larger than the art above 96 dpi: centre it there.
    painter.drawPixmap(inside.left() + (inside.width() - art.width()) / 2,
                       inside.top() + (inside.height() - art.height()) / 2, art);
}

}  // namespace pellora
