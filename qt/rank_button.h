// A rank or joker button: a click plays, a right-button press undoes.
#pragma once

#include <QPushButton>

namespace pellora {

class RankButton : public QPushButton {
    Q_OBJECT

public:
    RankButton(const QString& caption, QWidget* parent);

signals:
    void rightPressed();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

}  // namespace pellora
