// The Qt window in-process on the offscreen platform: layout, fonts, focus,
// and the pictures through play / undo / reset with real input events.
#include "board.h"
#include "card_frame.h"
#include "form.h"
#include "layout.h"
#include "pictures.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFontInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <array>
#include <memory>

using namespace pellora;

namespace {

// The window's parts by the names a user's tools see them by.
QWidget* control(const Form& form, const char* name) { return form.findChild<QWidget*>(QString::fromUtf8(name)); }
QAbstractButton* button(const Form& form, const char* name) { return qobject_cast<QAbstractButton*>(control(form, name)); }
// The group box, which draws the pictures.
CardFrame* frame(const Form& form) { return qobject_cast<CardFrame*>(control(form, "Frame1")); }
// A picture's cell in the window.
QRect cellInWindow(Form& form, int row, int element) {
    CardFrame* box = frame(form);
    const QRect cell = box->cell(cardIndex(row, element));
    return QRect(box->mapTo(&form, cell.topLeft()), cell.size());
}

// "13.0 14.0": the pictures that are hidden, as row.element.
QString hiddenPictures(const Form& form) {
    QStringList hidden;
    for (const PictureCell& cell : pictureTable())
        if (!frame(form)->showsCard(cell.card)) hidden << QStringLiteral("%1.%2").arg(cell.row).arg(cell.element);
    return hidden.join(' ');
}

// Where a picture of a row stands in the window at 96 dpi, in pixels: the
// columns by element (0 rightmost), the lines by row.
QPoint cellPixels(int row, int element) {
    constexpr int kColumns[4] = {120, 97, 74, 51};
    constexpr int kTops[16] = {0, 99, 64, 480, 445, 411, 376, 341, 307, 272, 237, 203, 168, 133, 29, 29};
    const int left = row == 14 ? 51 : row == 15 ? 120 : kColumns[element];
    return {left, kTops[row]};
}

// The window as drawn, in device pixels.
QImage screenshot(Form& form) {
    QImage image = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(1);
    return image;
}

// The device pixels a logical rectangle covers at a fractional scale: its
// edges rounded, as the window system clips a widget.
QRect toDevice(const QRect& logical, qreal ratio) {
    return {QPoint(qRound(logical.left() * ratio), qRound(logical.top() * ratio)),
            QPoint(qRound((logical.left() + logical.width()) * ratio) - 1,
                   qRound((logical.top() + logical.height()) * ratio) - 1)};
}

// Two presses as quickly as the window system reports them: press, release,
// double-click, release.
void doublePress(QWidget* widget, Qt::MouseButton mouseButton) {
    QTest::mousePress(widget, mouseButton);
    QTest::mouseRelease(widget, mouseButton);
    QTest::mouseDClick(widget, mouseButton);
    QTest::mouseRelease(widget, mouseButton);
}

}  // namespace

class FormTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup() { form_.reset(); }

    void windowHasCaptionIconAndFixedClientSize();
    void controlsStandWhereTheTableSays();
    void picturesStandInTheirCellsInsideTheGroupBox();
    void buttonsUseTheRankAndJokerFonts();
    void captionsFitWhateverTheDesktopsFontSize();
    void focusStartsOnAAndTabFollowsTheTable();
    void picturesShowTheirArtInADarkFrame();
    void hiddenPictureEmptiesItsWholeCell();

    void leftClickPlaysAndRightPressUndoes();
    void rightPressUndoesWhateverModifiersAreHeld();
    void middleButtonAndRightClickNeverPlay();
    void quickDoublePressesAllCount();
    void keysOnAFocusedButtonPlayAndPutBack();
    void rankButtonsSayHowToPutACardBack();
    void jokerHidesOnceAndComesBack();
    void resetBringsBackTheDeckAndOnlyItsClickResets();
    void stayOnTopFollowsTheTickWithoutRecreatingTheWindow();
    void aScreenReaderMeetsEveryCardAndWhatRemains();
    void closingEndsTheProgram();

private:
    std::unique_ptr<Form> form_;
};

void FormTest::init() {
    form_ = std::make_unique<Form>();
    QVERIFY2(form_->startupError().isEmpty(), qPrintable(form_->startupError()));
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void FormTest::windowHasCaptionIconAndFixedClientSize() {
    QCOMPARE(form_->windowTitle(), QStringLiteral("Pellora"));
    QCOMPARE(form_->size(), QSize(153, 561));
    QCOMPARE(form_->minimumSize(), form_->maximumSize());
    const QList<QSize> iconSizes = form_->windowIcon().availableSizes();
    for (int side : {16, 24, 32, 48}) QVERIFY2(iconSizes.contains(QSize(side, side)), qPrintable(QString::number(side)));
}

void FormTest::controlsStandWhereTheTableSays() {
    // The window as it measures at 96 dpi, in pixels.
    const QMap<QString, QRect> expected = {
        {"Frame1", {8, 8, 137, 513}},     {"Command14", {16, 29, 27, 30}},  {"Command15", {86, 29, 27, 30}},
        {"Command2", {16, 64, 27, 30}},   {"Command1", {16, 99, 27, 30}},   {"Command13", {16, 133, 27, 30}},
        {"Command12", {16, 168, 27, 30}}, {"Command11", {16, 203, 27, 30}}, {"Command10", {16, 237, 27, 30}},
        {"Command9", {16, 272, 27, 30}},  {"Command8", {16, 307, 27, 30}},  {"Command7", {16, 341, 27, 30}},
        {"Command6", {16, 376, 27, 30}},  {"Command5", {16, 411, 27, 30}},  {"Command4", {16, 445, 27, 30}},
        {"Command3", {16, 480, 27, 30}},  {"Command17", {72, 528, 65, 25}}, {"Check1", {16, 528, 49, 25}},
    };
    for (const ControlSpec& entry : controlTable()) {
        QWidget* widget = control(*form_, entry.name);
        QVERIFY2(widget, entry.name);
        QCOMPARE(widget->parentWidget(), form_.get());
        QCOMPARE(widget->geometry(), expected.value(QString::fromUtf8(entry.name)));
        QVERIFY(widget->isEnabled() && widget->isVisible());
        const QString caption = QString::fromUtf8(entry.caption);
        if (auto* groupBox = qobject_cast<QGroupBox*>(widget)) QCOMPARE(groupBox->title(), caption);
        else QCOMPARE(qobject_cast<QAbstractButton*>(widget)->text(), caption);
    }
    // The buttons inside the group box take their own clicks.
    const QWidget* frame = control(*form_, "Frame1");
    for (int row = kFirstRow; row <= kLastRow; ++row) {
        QWidget* rankButton = control(*form_, buttonForRow(row)->name);
        QCOMPARE(form_->childAt(rankButton->geometry().center()), rankButton);
        QVERIFY(frame->geometry().contains(rankButton->geometry()));
    }
    QVERIFY(!qobject_cast<QCheckBox*>(control(*form_, "Check1"))->isChecked());
}

void FormTest::picturesStandInTheirCellsInsideTheGroupBox() {
    CardFrame* box = frame(*form_);
    QVERIFY(box);
    QCOMPARE(box->focusPolicy(), Qt::NoFocus);
    for (int row = 1; row <= 15; ++row)
        for (int element = 0; element < (row >= 14 ? 1 : 4); ++element) {
            QCOMPARE(cellInWindow(*form_, row, element), QRect(cellPixels(row, element), QSize(16, 30)));
            QVERIFY(box->rect().contains(box->cell(cardIndex(row, element))));
        }
}

void FormTest::buttonsUseTheRankAndJokerFonts() {
    const QStringList latin{QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
    const QStringList chinese{QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Zen Hei"),
                              QStringLiteral("Noto Sans CJK SC")};
    for (const ControlSpec& entry : controlTable()) {
        const QFont font = control(*form_, entry.name)->font();
        if (entry.font == FontRole::Default) {
            QCOMPARE(font, QApplication::font(control(*form_, entry.name)));
            continue;
        }
        const bool rank = entry.font == FontRole::Rank;
        QCOMPARE(font.families().first(), QString::fromUtf8(fontSpec(entry.font).face));
        QCOMPARE(font.pointSizeF(), rank ? 10.5 : 9.0);
        QCOMPARE(font.weight(), QFont::Bold);
        QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
        // What the machine draws with is one of the faces asked for, so the
        // captions do not fall back to boxes.
        const QString drawnWith = QFontInfo(font).family();
        QVERIFY2((rank ? latin : chinese).contains(drawnWith), qPrintable(drawnWith));
        QVERIFY(font.families() == (rank ? latin : chinese));
    }
}

void FormTest::captionsFitWhateverTheDesktopsFontSize() {
    const QFont desktop = QApplication::font();
    const auto restore = qScopeGuard([desktop] { QApplication::setFont(desktop); });
    // Each caption's text, plus what the style puts around it, within its control.
    auto fits = [](QWidget* widget) {
        const QFontMetrics metrics(widget->font());
        QStyle* style = widget->style();
        int around = 2 * style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, widget);
        QString text;
        if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            text = box->title();
            around = 0;
        } else {
            text = qobject_cast<QAbstractButton*>(widget)->text();
        }
        if (qobject_cast<QCheckBox*>(widget))
            around = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget) +
                     style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, widget);
        return metrics.horizontalAdvance(text) + around <= widget->width() && metrics.height() <= widget->height();
    };
    for (const qreal points : {8.0, 9.0, 12.0, 14.0}) {
        QFont font = desktop;
        font.setPointSizeF(points);
        QApplication::setFont(font);
        const Form form;
        for (const char* name : {"Frame1", "Command17", "Check1"}) {
            QWidget* widget = control(form, name);
            QCOMPARE(widget->font().family(), desktop.family());
            QCOMPARE(widget->font().pointSizeF(), std::min(points, 9.0));
            QVERIFY2(fits(widget), qPrintable(QStringLiteral("%1 at %2 pt").arg(name).arg(points)));
        }
        QCOMPARE(control(form, "Command1")->font().pointSizeF(), 10.5);
    }
    // A window already open follows the desktop when its font changes.
    QFont larger = desktop;
    larger.setPointSizeF(14);
    QApplication::setFont(larger);
    QCOMPARE(control(*form_, "Command17")->font().pointSizeF(), 9.0);
    QApplication::setFont(desktop);
    QCOMPARE(control(*form_, "Command17")->font(), QApplication::font(control(*form_, "Command17")));
}

void FormTest::focusStartsOnAAndTabFollowsTheTable() {
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QCOMPARE(QApplication::focusWidget(), control(*form_, "Command1"));
    const QStringList expected{"Command2",  "Command3",  "Command4",  "Command5",  "Command6",  "Command7",
                               "Command8",  "Command9",  "Command10", "Command11", "Command12", "Command13",
                               "Command17", "Command14", "Command15", "Check1",    "Command1"};
    QStringList seen;
    for (int i = 0; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(seen, expected);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Check1"));
}

void FormTest::picturesShowTheirArtInADarkFrame() {
    const qreal ratio = form_->devicePixelRatioF();
    const QImage window = screenshot(*form_);
    const int scale = artScaleForDpi(qRound(96 * ratio));
    QCOMPARE(frame(*form_)->artScale(), scale);
    for (const PictureCell& cell : pictureTable()) {
        QImage art(cardPictureResource(cell.card, scale));
        QVERIFY(!art.isNull());
        art = art.convertToFormat(QImage::Format_RGB32);
        const QRect device = toDevice(cellInWindow(*form_, cell.row, cell.element), ratio);
        const QImage shown = window.copy(device);
        const QByteArray label = QStringLiteral("Image%1(%2)").arg(cell.row).arg(cell.element).toUtf8();
        const char* name = label.constData();
        const QRgb frameColour = shown.pixel(0, 0);
        QVERIFY2(qGray(frameColour) < 100, name);
        // The line is whole on all four sides and lies on the cell's own edge:
        // what is just outside it is the group box again.
        for (int x = 0; x < shown.width(); ++x) {
            QVERIFY2(shown.pixel(x, 0) == frameColour && shown.pixel(x, shown.height() - 1) == frameColour, name);
            QVERIFY2(qGray(window.pixel(device.left() + x, device.top() - 1)) > 150, name);
            QVERIFY2(qGray(window.pixel(device.left() + x, device.bottom() + 1)) > 150, name);
        }
        for (int y = 0; y < shown.height(); ++y) {
            QVERIFY2(shown.pixel(0, y) == frameColour && shown.pixel(shown.width() - 1, y) == frameColour, name);
            QVERIFY2(qGray(window.pixel(device.left() - 1, device.top() + y)) > 150, name);
            QVERIFY2(qGray(window.pixel(device.right() + 1, device.top() + y)) > 150, name);
        }
        const QRect inside = shown.rect().adjusted(1, 1, -1, -1);
        const QPoint artAt(inside.left() + (inside.width() - art.width()) / 2,
                           inside.top() + (inside.height() - art.height()) / 2);
        QCOMPARE(shown.copy(QRect(artAt, art.size())), art);
    }
}

void FormTest::hiddenPictureEmptiesItsWholeCell() {
    QTest::mouseClick(button(*form_, "Command13"), Qt::LeftButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("13.0"));
    const qreal ratio = form_->devicePixelRatioF();
    const QImage window = screenshot(*form_);
    const QRect cell = toDevice(QRect(cellPixels(13, 0), QSize(16, 30)), ratio);
    const QRgb background = window.pixel(cell.left() - 2, cell.center().y());  // between two cells
    const QImage shown = window.copy(cell);
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) QCOMPARE(shown.pixel(x, y), background);
    // The neighbour keeps its place and its frame.
    QVERIFY(frame(*form_)->showsCard(cardIndex(13, 1)));
    const QRect neighbour = toDevice(QRect(cellPixels(13, 1), QSize(16, 30)), ratio);
    QVERIFY(qGray(window.pixel(neighbour.topLeft())) < 100 && qGray(window.pixel(neighbour.bottomRight())) < 100);
}

void FormTest::leftClickPlaysAndRightPressUndoes() {
    auto* k = button(*form_, "Command13");
    QTest::mouseClick(k, Qt::LeftButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("13.0"));
    QTest::mouseClick(k, Qt::LeftButton);
    QTest::mouseClick(button(*form_, "Command2"), Qt::LeftButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("2.0 13.0 13.1"));
    // The undo puts back the card played last in that row only.
    QTest::mousePress(k, Qt::RightButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("2.0 13.0"));
    QTest::mouseRelease(k, Qt::RightButton);
    QTest::mousePress(k, Qt::RightButton);
    QTest::mouseRelease(k, Qt::RightButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("2.0"));
    // Nothing left to put back in K: changes nothing.
    QTest::mousePress(k, Qt::RightButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("2.0"));
    // A full row: four plays, and a fifth repeats the last.
    auto* three = button(*form_, "Command3");
    for (int i = 0; i < 5; ++i) QTest::mouseClick(three, Qt::LeftButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("2.0 3.0 3.1 3.2 3.3"));
}

void FormTest::rightPressUndoesWhateverModifiersAreHeld() {
    auto* a = button(*form_, "Command1");
    for (int i = 0; i < 4; ++i) QTest::mouseClick(a, Qt::LeftButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("1.0 1.1 1.2 1.3"));
    const Qt::KeyboardModifiers held[] = {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier,
                                          Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier};
    const QString after[] = {"1.0 1.1 1.2", "1.0 1.1", "1.0", ""};
    for (int i = 0; i < 4; ++i) {
        QTest::mousePress(a, Qt::RightButton, held[i]);
        QTest::mouseRelease(a, Qt::RightButton, held[i]);
        QCOMPARE(hiddenPictures(*form_), after[i]);
    }
}

void FormTest::middleButtonAndRightClickNeverPlay() {
    auto* q = button(*form_, "Command12");
    QTest::mouseClick(q, Qt::MiddleButton);
    QTest::mouseClick(q, Qt::RightButton);
    QTest::mouseClick(q, Qt::RightButton, Qt::ShiftModifier);
    QCOMPARE(hiddenPictures(*form_), QString());
    QTest::mouseClick(q, Qt::LeftButton);
    QTest::mouseClick(q, Qt::MiddleButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("12.0"));
    // Clicks on a picture, the group box and the background change nothing.
    const QPoint picture = frame(*form_)->cell(cardIndex(12, 1)).center();
    QTest::mouseClick(frame(*form_), Qt::LeftButton, {}, picture);
    QTest::mouseClick(frame(*form_), Qt::RightButton, {}, picture);
    QTest::mouseClick(control(*form_, "Frame1"), Qt::RightButton, {}, QPoint(5, 300));
    QTest::mouseClick(form_.get(), Qt::RightButton, {}, QPoint(2, 2));
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("12.0"));
}

void FormTest::quickDoublePressesAllCount() {
    auto* j = button(*form_, "Command11");
    doublePress(j, Qt::LeftButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("11.0 11.1"));
    doublePress(j, Qt::LeftButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("11.0 11.1 11.2 11.3"));
    doublePress(j, Qt::RightButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("11.0 11.1"));
    doublePress(j, Qt::MiddleButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("11.0 11.1"));
}

void FormTest::keysOnAFocusedButtonPlayAndPutBack() {
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
    QWidget* a = control(*form_, "Command1");
    QCOMPARE(QApplication::focusWidget(), a);
    QTest::keyClick(a, Qt::Key_Space);
    QTest::keyClick(a, Qt::Key_Return);
    QTest::keyClick(a, Qt::Key_Enter);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("1.0 1.1 1.2"));
    // The keyboard's right button: the menu key and Shift+F10, once per
    // press however long held; F10 alone is no such key.
    QTest::keyClick(a, Qt::Key_Menu);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("1.0 1.1"));
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Menu, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(a, &repeat);
    QTest::keyClick(a, Qt::Key_F10);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("1.0 1.1"));
    QTest::keyClick(a, Qt::Key_F10, Qt::ShiftModifier);
    QTest::keyClick(a, Qt::Key_Menu);
    QTest::keyClick(a, Qt::Key_Menu);
    QCOMPARE(hiddenPictures(*form_), QString());
    // The context menu that follows a right press or the menu key puts nothing back.
    QTest::keyClick(a, Qt::Key_Space);
    for (const auto reason : {QContextMenuEvent::Mouse, QContextMenuEvent::Keyboard}) {
        QContextMenuEvent menu(reason, QPoint(5, 5), a->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(a, &menu);
    }
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("1.0"));
    // Enter on the focused reset button resets.
    QWidget* reset = control(*form_, "Command17");
    reset->setFocus();
    QTest::keyClick(reset, Qt::Key_Return);
    QCOMPARE(hiddenPictures(*form_), QString());
}

void FormTest::rankButtonsSayHowToPutACardBack() {
    const QString help = QStringLiteral("单击或按空格键：记下出了一张\n右键单击，或按菜单键、Shift+F10：放回一张");
    for (const ControlSpec& entry : controlTable())
        QCOMPARE(control(*form_, entry.name)->toolTip(), entry.row ? help : QString());
}

void FormTest::jokerHidesOnceAndComesBack() {
    auto* big = button(*form_, "Command14");
    auto* small = button(*form_, "Command15");
    QTest::mouseClick(big, Qt::LeftButton);
    QTest::mouseClick(big, Qt::LeftButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("14.0"));
    QTest::mouseClick(small, Qt::LeftButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("14.0 15.0"));
    QTest::mousePress(big, Qt::RightButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("15.0"));
    QTest::mousePress(big, Qt::RightButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("15.0"));
}

void FormTest::resetBringsBackTheDeckAndOnlyItsClickResets() {
    for (int row = kFirstRow; row <= kLastRow; ++row)
        for (int i = 0; i < picturesInRow(row); ++i) QTest::mouseClick(button(*form_, buttonForRow(row)->name), Qt::LeftButton);
    QCOMPARE(hiddenPictures(*form_).split(' ').size(), kCardCount);
    auto* reset = button(*form_, "Command17");
    auto* check = button(*form_, "Check1");
    QTest::mouseClick(check, Qt::LeftButton);
    QTest::mouseClick(reset, Qt::RightButton);
    QTest::mouseClick(reset, Qt::MiddleButton);
    QCOMPARE(hiddenPictures(*form_).split(' ').size(), kCardCount);
    QTest::mouseClick(reset, Qt::LeftButton);
    QCOMPARE(hiddenPictures(*form_), QString());
    QVERIFY(check->isChecked());
    // Cursors are back at the start too.
    QTest::mouseClick(button(*form_, "Command5"), Qt::LeftButton);
    QCOMPARE(hiddenPictures(*form_), QStringLiteral("5.0"));
}

void FormTest::stayOnTopFollowsTheTickWithoutRecreatingTheWindow() {
    auto* check = button(*form_, "Check1");
    QWindow* handle = form_->windowHandle();
    const WId id = form_->winId();
    const QRect placed = form_->geometry();
    QTest::mouseClick(check, Qt::RightButton);
    QVERIFY(!check->isChecked());
    QVERIFY(!(handle->flags() & Qt::WindowStaysOnTopHint));

    QTest::mouseClick(check, Qt::LeftButton);
    QVERIFY(check->isChecked());
    QVERIFY(handle->flags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(form_->windowHandle(), handle);
    QCOMPARE(form_->winId(), id);
    QCOMPARE(form_->geometry(), placed);
    QVERIFY(form_->isVisible());

    QTest::keyClick(check, Qt::Key_Space);
    QVERIFY(!check->isChecked());
    QVERIFY(!(handle->flags() & Qt::WindowStaysOnTopHint));
    QCOMPARE(form_->winId(), id);
    QCOMPARE(form_->geometry(), placed);
}

void FormTest::aScreenReaderMeetsEveryCardAndWhatRemains() {
    // A reader that starts after the window is shown: from then on the buttons
    // say how many of their cards remain.
    QTest::mouseClick(button(*form_, "Command13"), Qt::LeftButton);
    QAccessible::setActive(true);
    const auto inactive = qScopeGuard([] { QAccessible::setActive(false); });
    Form& form = *form_;
    auto describe = [&form](const char* name) {
        return QAccessible::queryAccessibleInterface(control(form, name))->text(QAccessible::Description);
    };
    QAccessibleInterface* group = QAccessible::queryAccessibleInterface(control(form, "Frame1"));
    const std::array<int, kPictureCount> order = readingOrder();
    auto card = [group, &order](int row, int element) {
        const auto at = std::find(order.begin(), order.end(), cardIndex(row, element)) - order.begin();
        return group->child(static_cast<int>(at));
    };
    QCOMPARE(describe("Command13"), QStringLiteral("剩 3 张"));
    QCOMPARE(describe("Command14"), QStringLiteral("剩 1 张"));

    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&form);
    QCOMPARE(window->role(), QAccessible::Window);
    QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Pellora"));
    // The group box holds the cards as a sighted user reads them: line by line
    // from the top, left to right.
    QStringList expected{QStringLiteral("大王"), QStringLiteral("小王")};
    for (const char* rank : {"2", "A", "K", "Q", "J", "10", "9", "8", "7", "6", "5", "4", "3"})
        for (const char* suit : {"黑桃", "红桃", "梅花", "方块"}) expected << QString::fromUtf8(suit) + QString::fromUtf8(rank);
    QCOMPARE(group->role(), QAccessible::Grouping);
    QCOMPARE(group->text(QAccessible::Name), QStringLiteral("剩牌"));
    QStringList names;
    QCOMPARE(group->childCount(), kPictureCount);
    for (int i = 0; i < group->childCount(); ++i) {
        QAccessibleInterface* child = group->child(i);
        QCOMPARE(child->role(), QAccessible::Graphic);
        QCOMPARE(child->parent(), group);
        QCOMPARE(group->indexOfChild(child), i);
        QVERIFY(!child->state().focusable);
        const int shown = order[static_cast<std::size_t>(i)];
        const bool played = shown == cardIndex(13, 0);  // played above
        QCOMPARE(child->state().invisible, played);
        const QRect cell = cellInWindow(form, cardPlace(shown).row, cardPlace(shown).element);
        QCOMPARE(child->rect(), played ? QRect() : QRect(form.mapToGlobal(cell.topLeft()), cell.size()));
        names << child->text(QAccessible::Name);
    }
    QCOMPARE(names, expected);

    auto* k = button(form, "Command13");
    QTest::mousePress(k, Qt::RightButton);
    QVERIFY(!card(13, 0)->state().invisible);
    QCOMPARE(describe("Command13"), QStringLiteral("剩 4 张"));
    QTest::mouseClick(k, Qt::LeftButton);
    QVERIFY(card(13, 0)->state().invisible);
    QVERIFY(!card(13, 1)->state().invisible);
    QCOMPARE(describe("Command13"), QStringLiteral("剩 3 张"));
    QTest::mouseClick(button(form, "Command14"), Qt::LeftButton);
    QTest::mouseClick(button(form, "Command2"), Qt::LeftButton);
    QVERIFY(card(14, 0)->state().invisible);
    QCOMPARE(describe("Command14"), QStringLiteral("剩 0 张"));
    QCOMPARE(describe("Command2"), QStringLiteral("剩 3 张"));
    QTest::mouseClick(button(form, "Command17"), Qt::LeftButton);
    for (const PictureCell& cell : pictureTable()) QVERIFY(!card(cell.row, cell.element)->state().invisible);
    for (int row = kFirstRow; row <= kLastRow; ++row) {
        const ControlSpec* entry = buttonForRow(row);
        QCOMPARE(describe(entry->name), isJokerRow(row) ? QStringLiteral("剩 1 张") : QStringLiteral("剩 4 张"));
        // The name stays the caption.
        QCOMPARE(QAccessible::queryAccessibleInterface(control(form, entry->name))->text(QAccessible::Name),
                 QString::fromUtf8(entry->caption));
    }
}

void FormTest::closingEndsTheProgram() {
    // Whatever the tally's state, a close ends the event loop at once.
    QTest::mouseClick(button(*form_, "Command1"), Qt::LeftButton);
    bool timedOut = false;
    QTimer::singleShot(0, form_.get(), [this] { form_->close(); });
    // Owned here, so it can never fire into this function's dead frame.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    connect(&watchdog, &QTimer::timeout, [&timedOut] {
        timedOut = true;
        QApplication::exit(1);
    });
    watchdog.start(5000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(!timedOut);
    QVERIFY(!form_->isVisible());
}

QTEST_MAIN(FormTest)
#include "form_test.moc"
