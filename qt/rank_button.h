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
    // Once per right press or key press.
    void putBackRequested();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace pellora
