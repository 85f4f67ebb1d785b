#include "rank_button.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace pellora {

namespace {

// The keyboard's right button, as on Windows.
bool isPutBackKey(const QKeyEvent& event) {
    return event.key() == Qt::Key_Menu || (event.key() == Qt::Key_F10 && event.modifiers() == Qt::ShiftModifier);
}

}  // namespace

RankButton::RankButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    // Enter clicks the focused button, as in a dialog.
    setAutoDefault(true);
}

void RankButton::mousePressEvent(QMouseEvent* event) {
    // Whatever Shift, Ctrl or Alt are held; a right press never clicks. The
    // context menu event that follows is left alone: it would put back a
    // second card.
    if (event->button() == Qt::RightButton) {
        event->accept();
        emit putBackRequested();
        return;
    }
    QPushButton::mousePressEvent(event);
}

void RankButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // A quick second press arrives as a double-click instead of a press: it still counts.
    mousePressEvent(event);
}

void RankButton::keyPressEvent(QKeyEvent* event) {
    // Once per press, however long the key is held.
    if (isPutBackKey(*event)) {
        event->accept();
        if (!event->isAutoRepeat()) emit putBackRequested();
        return;
    }
    QPushButton::keyPressEvent(event);
}

}  // namespace pellora
