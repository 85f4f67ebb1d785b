#include "card_frame.h"

#include "embedded_png.h"
#include "pictures.h"

#include <QAccessibleWidget>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>

#include <cmath>

namespace pellora {

namespace {

// Qt lays out in device-independent pixels, 96 to the inch.
constexpr int kLayoutDpi = 96;

// A card as a screen reader meets it: a graphic named for its card, at its
// cell on the screen, invisible while played. It is drawn by the box and has
// no object of its own.
class CardAccessible : public QAccessibleInterface {
public:
    CardAccessible(CardFrame* frame, int card) : frame_(frame), card_(card) {}

    int card() const { return card_; }

    bool isValid() const override { return !frame_.isNull(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return frame_ ? frame_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(frame_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? QString::fromUtf8(cardName(card_)) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::Graphic; }

    QRect rect() const override {
        if (!showing()) return QRect();
        const QRect cell = frame_->cell(card_);
        return QRect(frame_->mapToGlobal(cell.topLeft()), cell.size());
    }
    QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = !showing();
        return state;
    }

private:
    bool showing() const { return frame_ && frame_->isVisible() && frame_->showsCard(card_); }

    QPointer<CardFrame> frame_;
    int card_;
};

// The box as a group named by its title, holding the cards in reading order:
// line by line from the top, left to right in a line.
class CardFrameAccessible : public QAccessibleWidget {
public:
    explicit CardFrameAccessible(CardFrame* frame)
        : QAccessibleWidget(frame, QAccessible::Grouping), order_(readingOrder()) {}

    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? frame()->title() : QAccessibleWidget::text(kind);
    }
    int childCount() const override { return static_cast<int>(order_.size()); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        return frame()->cardAccessible(order_[static_cast<std::size_t>(index)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* card = dynamic_cast<const CardAccessible*>(child);
        for (std::size_t i = 0; card && i < order_.size(); ++i)
            if (order_[i] == card->card()) return static_cast<int>(i);
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i)
            if (QAccessibleInterface* card = child(i); card->rect().contains(x, y)) return card;
        return nullptr;
    }

private:
    CardFrame* frame() const { return static_cast<CardFrame*>(widget()); }

    std::array<int, kPictureCount> order_;
};

QAccessibleInterface* cardFrameAccessible(const QString&, QObject* object) {
    auto* frame = qobject_cast<CardFrame*>(object);
    return frame ? new CardFrameAccessible(frame) : nullptr;
}

}  // namespace

void installCardFrameAccessibility() { QAccessible::installFactory(cardFrameAccessible); }

QString cardPictureResource(int card, int scale) {
    return QStringLiteral(":/") + QString::fromStdString(cardPicturePath(card, scale));
}

CardFrame::CardFrame(const QString& title, const Board& board, QWidget* parent)
    : QGroupBox(title, parent), board_(board) {
    // The cells are placed from the box's corner.
    const Rect corner = toPixels({kFrameLeftTwips, kFrameTopTwips, 0, 0}, kLayoutDpi);
    for (const PictureCell& cell : pictureTable()) {
        const Rect px = toPixels(cell.twips, kLayoutDpi);
        cells_[static_cast<std::size_t>(cell.card)] =
            QRect(px.left - corner.left, px.top - corner.top, px.width, px.height);
    }
    loadArtFor(devicePixelRatioF());
}

CardFrame::~CardFrame() {
    for (const QAccessible::Id id : accessibleIds_)
        if (id) QAccessible::deleteAccessibleInterface(id);
}

QAccessibleInterface* CardFrame::cardAccessible(int card) const {
    if (card < 0 || card >= kCardCount) return nullptr;
    QAccessible::Id& id = accessibleIds_[static_cast<std::size_t>(card)];
    if (!id) id = QAccessible::registerAccessibleInterface(new CardAccessible(const_cast<CardFrame*>(this), card));
    return QAccessible::accessibleInterface(id);
}

void CardFrame::cardChanged(int card) {
    update(cell(card));
    // Nothing is made for a screen reader until one listens.
    if (!QAccessible::isActive()) return;
    QAccessibleEvent event(cardAccessible(card), showsCard(card) ? QAccessible::ObjectShow : QAccessible::ObjectHide);
    QAccessible::updateAccessibility(&event);
}

void CardFrame::loadArtFor(qreal devicePixelRatio) {
    const int scale = artScaleForDpi(static_cast<int>(std::lround(96 * devicePixelRatio)));
    if (scale == artScale_) return;
    missingArt_ = -1;
    for (int card = 0; card < kCardCount; ++card) {
        QPixmap& art = art_[static_cast<std::size_t>(card)];
        art = embeddedPng(cardPictureResource(card, scale));
        if (art.isNull() && missingArt_ < 0) missingArt_ = card;
    }
    artScale_ = missingArt_ < 0 ? scale : 0;
}

void CardFrame::paintEvent(QPaintEvent* event) {
    QGroupBox::paintEvent(event);
    // Moved to a screen of another density: take the art drawn for it.
    const qreal ratio = devicePixelRatioF();
    loadArtFor(ratio);

    // Paint in whole device pixels, so each frame line is one pixel and the
    // art is not scaled. At scales such as 1.25 a cell starts and ends inside
    // a device pixel: its frame goes on the pixels whose centres lie inside
    // the cell, where Qt would clip a widget of the cell's size.
    QPainter painter(this);
    const QPointF origin = painter.deviceTransform().map(QPointF(0, 0));
    const QPoint whole(static_cast<int>(std::floor(origin.x())), static_cast<int>(std::floor(origin.y())));
    painter.resetTransform();
    painter.scale(1 / ratio, 1 / ratio);
    painter.translate(QPointF(whole) - origin);
    auto firstPixel = [](qreal edge) { return static_cast<int>(std::floor(edge + 0.5)); };
    const QColor line = palette().color(QPalette::ButtonText);
    for (int card = 0; card < kCardCount; ++card) {
        const QRect& cell = cells_[static_cast<std::size_t>(card)];
        if (!board_.isShown(card) || !event->region().intersects(cell)) continue;
        const QPointF at = origin + QPointF(cell.topLeft()) * ratio;
        const QRect device(QPoint(firstPixel(at.x()), firstPixel(at.y())) - whole,
                           QPoint(firstPixel(at.x() + cell.width() * ratio) - 1,
                                  firstPixel(at.y() + cell.height() * ratio) - 1) - whole);
        painter.fillRect(device, line);
        const QRect inside = device.adjusted(1, 1, -1, -1);
        painter.fillRect(inside, Qt::white);
        const QPixmap& art = art_[static_cast<std::size_t>(card)];
        if (art.isNull()) continue;
        // Only larger than the art above 96 dpi: centre it there.
        painter.drawPixmap(inside.left() + (inside.width() - art.width()) / 2,
                           inside.top() + (inside.height() - art.height()) / 2, art);
    }
}

}  // namespace pellora
