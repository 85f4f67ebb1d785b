// A rank or joker button: a click plays; a right-button press, the menu key
// or Shift+F10 puts a card back.
#pragma once

#include <QPushButton>

namespace pellora {

class RankButton : public QPushButton {
    Q_OBJECT

public:
    RankButton(const QString& caption, QWidget* parent);

signals:
    // Once per right press or key press; also a screen reader's action.
    void putBackRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// Lets a screen reader press a rank button, or put one of its cards back, as
// two actions. Only registers a factory: Qt makes the objects when an
// assistive technology first asks.
void installRankButtonAccessibility();

}  // namespace pellora
