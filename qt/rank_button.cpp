#include "rank_button.h"

#include "board.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>

namespace pellora {

namespace {

// The keyboard's right button, as on Windows.
bool isPutBackKey(const QKeyEvent& event) {
    return event.key() == Qt::Key_Menu || (event.key() == Qt::Key_F10 && event.modifiers() == Qt::ShiftModifier);
}

const QString& putBackAction() {
    static const QString name = QStringLiteral("PutBack");
    return name;
}

// A push button to a screen reader, with a second action that puts a card
// back. Both act at once: Qt's own press animates a click for 100 ms, and
// presses that come quicker count as one.
class RankButtonAccessible : public QAccessibleWidget {
public:
    explicit RankButtonAccessible(RankButton* button) : QAccessibleWidget(button, QAccessible::Button) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name && button()->accessibleName().isEmpty()) return button()->text();
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.pressed = button()->isDown();
        state.defaultButton = button()->isDefault();
        return state;
    }

    QStringList actionNames() const override {
        if (!button()->isEnabled()) return QAccessibleWidget::actionNames();
        return QStringList{pressAction(), putBackAction()} + QAccessibleWidget::actionNames();
    }

    QString localizedActionDescription(const QString& name) const override {
        if (name == pressAction()) return QString::fromUtf8(playActionText());
        if (name == putBackAction()) return QString::fromUtf8(putBackActionText());
        return QAccessibleWidget::localizedActionDescription(name);
    }

    void doAction(const QString& name) override {
        if (!button()->isEnabled()) return;
        if (name == pressAction()) button()->click();
        else if (name == putBackAction()) emit button()->putBackRequested();
        else QAccessibleWidget::doAction(name);
    }

private:
    RankButton* button() const { return static_cast<RankButton*>(widget()); }
};

QAccessibleInterface* rankButtonAccessible(const QString&, QObject* object) {
    auto* button = qobject_cast<RankButton*>(object);
    return button ? new RankButtonAccessible(button) : nullptr;
}

}  // namespace

void installRankButtonAccessibility() { QAccessible::installFactory(rankButtonAccessible); }

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
