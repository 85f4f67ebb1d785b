// pellora_qt_floor, the Linux controls floor: what any Qt program that shows
// what Pellora's window shows pays before doing any work of its own. Written
// apart from Pellora's own front end (qt/), from the layout table and Qt's
// documentation only.
//
// The window with Pellora's frame and client size; its icon, the four images
// of Pellora's icon file as PNG; the group box, the fifteen rank and joker
// buttons, the reset button and the check box in their places and fonts, in
// tab order, push buttons default when focused as in a dialog; "A" focused;
// the 54 picture cells as plain rectangles (frame line, white inside), all
// drawn by one widget in the group box. Nothing is decoded but the icon and
// there is no tally. A left click or a right press on "K" toggles K's first
// cell, so that click-to-paint has a floor too.
#include "layout.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <vector>

namespace {

constexpr int kDpi = 96;  // Qt lays out in pixels of 96 dpi and scales them itself

QRect pixels(const pellora::Rect& twips) {
    const pellora::Rect px = pellora::toPixels(twips, kDpi);
    return QRect(px.left, px.top, px.width, px.height);
}

// The faces Pellora asks for: the Windows ones, then their Linux stand-ins.
QFont fontOf(pellora::FontRole role) {
    QFont font;
    if (role == pellora::FontRole::Default) return font;
    const pellora::FontSpec& wanted = pellora::fontSpec(role);
    QStringList families{QString::fromUtf8(wanted.face)};
    if (role == pellora::FontRole::Rank) families << QStringLiteral("Liberation Sans");
    else families << QStringLiteral("SimSun") << QStringLiteral("WenQuanYi Zen Hei") << QStringLiteral("Noto Sans CJK SC");
    font.setFamilies(families);
    font.setPointSizeF(wanted.decipoints / 10.0);
    font.setWeight(static_cast<QFont::Weight>(wanted.weight));
    return font;
}

// The 54 cells, in the coordinates of the group box that holds them.
class Cells : public QWidget {
public:
    Cells(const QRect& area, QWidget* parent) : QWidget(parent) {
        setGeometry(area);
        for (const auto& cell : pellora::pictureTable()) {
            cells_.push_back(pixels(cell.twips).translated(-area.topLeft() - parent->pos()));
            if (cell.row == 13 && cell.element == 0) toggled_ = static_cast<int>(cells_.size()) - 1;
        }
    }

    void toggle() {
        hidden_ = !hidden_;
        update(cells_[static_cast<std::size_t>(toggled_)]);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        for (std::size_t i = 0; i < cells_.size(); ++i) {
            if (hidden_ && static_cast<int>(i) == toggled_) continue;
            painter.fillRect(cells_[i], palette().color(QPalette::ButtonText));
            painter.fillRect(cells_[i].adjusted(1, 1, -1, -1), Qt::white);
        }
    }

private:
    std::vector<QRect> cells_;
    int toggled_ = 0;
    bool hidden_ = false;
};

class Floor : public QWidget {
public:
    Floor()
        : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
        setWindowTitle(QStringLiteral("Floor"));
        QIcon icon;
        for (int side : {16, 24, 32, 48}) icon.addFile(QStringLiteral(":/icon/%1.png").arg(side), QSize(side, side));
        setWindowIcon(icon);
        setFixedSize(pellora::twipsToPixels(pellora::kClientWidthTwips, kDpi),
                     pellora::twipsToPixels(pellora::kClientHeightTwips, kDpi));

        const auto& table = pellora::controlTable();
        std::array<QWidget*, pellora::kControlCount> made{};
        QGroupBox* frame = nullptr;
        for (std::size_t i = 0; i < table.size(); ++i) {
            const pellora::ControlSpec& entry = table[i];
            const QString caption = QString::fromUtf8(entry.caption);
            QWidget* widget = nullptr;
            switch (entry.kind) {
                case pellora::ControlKind::GroupBox: widget = frame = new QGroupBox(caption, this); break;
                case pellora::ControlKind::PushButton: {
                    auto* button = new QPushButton(caption, this);
                    button->setAutoDefault(true);
                    if (entry.row == 13) {
                        k_ = button;
                        button->installEventFilter(this);
                        connect(button, &QPushButton::clicked, this, [this] { cells_->toggle(); });
                    }
                    if (entry.row == 1) first_ = button;
                    widget = button;
                    break;
                }
                case pellora::ControlKind::CheckBox: widget = new QCheckBox(caption, this); break;
            }
            if (entry.font != pellora::FontRole::Default) widget->setFont(fontOf(entry.font));
            widget->setGeometry(pixels(entry.twips));
            made[i] = widget;
        }

        QRect area;
        for (const auto& cell : pellora::pictureTable()) area |= pixels(cell.twips);
        cells_ = new Cells(area.translated(-frame->pos()), frame);

        std::vector<std::size_t> order;
        for (std::size_t i = 0; i < table.size(); ++i)
            if (made[i]->focusPolicy() != Qt::NoFocus) order.push_back(i);
        std::sort(order.begin(), order.end(), [&table](std::size_t a, std::size_t b) { return table[a].tab < table[b].tab; });
        for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(made[order[i - 1]], made[order[i]]);
        first_->setFocus();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == k_ && event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            cells_->toggle();
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }

private:
    QPushButton* first_ = nullptr;
    QPushButton* k_ = nullptr;
    Cells* cells_ = nullptr;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    Floor floor;
    floor.show();
    return QApplication::exec();
}
