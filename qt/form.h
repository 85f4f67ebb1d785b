// The window form1 on Qt: the same controls, pictures and behaviour as the
// Windows program. It builds the controls from the layout table, forwards
// input to the board and shows what the board changes.
#pragma once

#include "board.h"
#include "layout.h"

#include <QAccessible>
#include <QString>
#include <QWidget>

#include <array>

class QCheckBox;

namespace pellora {

class CardFrame;
class RankButton;

class Form : public QWidget, private QAccessible::ActivationObserver, private Board::View {
    Q_OBJECT

public:
    explicit Form(QWidget* parent = nullptr);
    ~Form() override;

    // Empty when the window was built completely; otherwise what failed.
    QString startupError() const { return startupError_; }

private:
    void createWindowIcon();
    void createControl(const ControlSpec& entry);
    void createFrame(const ControlSpec& entry);
    void createRankButton(const ControlSpec& entry);
    void createResetButton(const ControlSpec& entry);
    void createStayOnTopBox(const ControlSpec& entry);
    void setTabOrderFromTable();
    // The controls in the default font take the desktop's, at most 9 pt.
    void fitDefaultFonts();
    void changeEvent(QEvent* event) override;

    void onStayOnTopClick();

    // What the board changed.
    void cardShown(int card, bool shown) override;
    void rowRemaining(int row, int left) override;
    void accessibilityActiveChanged(bool active) override;

    void place(QWidget* widget, const ControlSpec& entry);
    void fail(const QString& what);

    Board board_{*this};
    std::array<QWidget*, kControlCount> controls_{};  // in table order
    std::array<RankButton*, kLastRow + 1> rowButtons_{};  // by row
    CardFrame* frame_ = nullptr;
    QCheckBox* stayOnTop_ = nullptr;
    bool describing_ = false;  // a screen reader is there: the buttons' descriptions follow the board
    QString startupError_;
};

}  // namespace pellora
