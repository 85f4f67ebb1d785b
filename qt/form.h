// The window form1 on Qt: the same controls, pictures and behaviour as the
// Windows program, built from the shared layout table and driving the tally.
#pragma once

#include "layout.h"
#include "tally.h"

#include <QAccessible>
#include <QString>
#include <QWidget>

#include <array>

class QAbstractButton;
class QCheckBox;

namespace pellora {

class CardPicture;

class Form : public QWidget, private QAccessible::ActivationObserver {
    Q_OBJECT

public:
    explicit Form(QWidget* parent = nullptr);
    ~Form() override;

    // Empty when the window was built completely; otherwise what failed.
    QString startupError() const { return startupError_; }

    // For the tests, as the controls' own names: "Command1", "Check1", ...
    QWidget* control(const char* name) const;
    CardPicture* picture(int row, int element) const;

private:
    void createControl(const ControlSpec& entry);
    void createFrame(const ControlSpec& entry);
    void createRankButton(const ControlSpec& entry);
    void createResetButton(const ControlSpec& entry);
    void createStayOnTopBox(const ControlSpec& entry);
    void createPictures();
    void setTabOrderFromTable();

    void onRankButtonClick(int row);
    void onRankButtonRightPress(int row);
    void onResetClick();
    void onStayOnTopClick();

    void apply(const Assignment& assignment);
    // "剩 3 张" as the accessible description of the row's button.
    void describeRemaining(int row);
    void accessibilityActiveChanged(bool active) override;
    void place(QWidget* widget, const ControlSpec& entry);
    void fail(const QString& what);

    Tally tally_;
    std::array<QWidget*, kControlCount> controls_{};  // in table order
    std::array<CardPicture*, kRowCount * kSuitsPerRank> pictures_{};
    QWidget* frame_ = nullptr;
    QCheckBox* stayOnTop_ = nullptr;
    bool describing_ = false;  // a screen reader is there: the buttons' descriptions follow the tally
    QString startupError_;
};

}  // namespace pellora
