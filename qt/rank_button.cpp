#include "rank_button.h"

#include <QMouseEvent>

namespace pellora {

RankButton::RankButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    // Enter clicks the focused button, as in a dialog.
    setAutoDefault(true);
}

void RankButton::mousePressEvent(QMouseEvent* event) {
    // Whatever Shift, Ctrl or Alt are held; a right press never clicks.
    if (event->button() == Qt::RightButton) {
        event->accept();
        emit rightPressed();
        return;
    }
    QPushButton::mousePressEvent(event);
}

void RankButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // A quick second press arrives as a double-click instead of a press: it still counts.
    mousePressEvent(event);
}

}  // namespace pellora
