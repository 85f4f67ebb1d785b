#include "card_picture.h"

#include "pictures.h"

#include <QPainter>

#include <cmath>

namespace pellora {

QString cardPictureResource(int row, int element, int scale) {
    return QStringLiteral(":/") + QString::fromStdString(cardPicturePath(row, element, scale));
}

CardPicture::CardPicture(int row, int element, QWidget* parent) : QWidget(parent), row_(row), element_(element) {
    loadArtFor(devicePixelRatioF());
}

void CardPicture::loadArtFor(qreal devicePixelRatio) {
    const int scale = artScaleForDpi(static_cast<int>(std::lround(96 * devicePixelRatio)));
    if (scale == artScale_ && !art_.isNull()) return;
    art_ = QPixmap(cardPictureResource(row_, element_, scale));
    artScale_ = art_.isNull() ? 0 : scale;
}

void CardPicture::paintEvent(QPaintEvent*) {
    // Moved to a screen of another density: take the art drawn for it.
    const qreal ratio = devicePixelRatioF();
    loadArtFor(ratio);

    // Paint in device pixels, so the frame is one pixel and the art is not scaled.
    QPainter painter(this);
    painter.scale(1 / ratio, 1 / ratio);
    const QRect cell(0, 0, static_cast<int>(std::lround(width() * ratio)),
                     static_cast<int>(std::lround(height() * ratio)));
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
