#include "form.h"

#include "card_frame.h"
#include "embedded_png.h"
#include "rank_button.h"
#include "stay_on_top.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QPushButton>
#include <QToolTip>

#include <algorithm>
#include <vector>

namespace pellora {

namespace {

// Qt lays out in device-independent pixels, 96 to the inch; it scales them
// to the screen itself.
constexpr int kLayoutDpi = 96;

// The rank and joker fonts; the other controls keep the default UI font.
QFont fontFor(FontRole role) {
    const FontSpec& entry = fontSpec(role);
    QFont font;
    // The Windows faces first; then faces that Linux machines have, so the
    // captions always render: a metric twin of Arial, Chinese faces for 宋体.
    QStringList families{QString::fromUtf8(entry.face)};
    if (role == FontRole::Rank) families << QStringLiteral("Liberation Sans");
    if (role == FontRole::Joker)
        families << QStringLiteral("SimSun") << QStringLiteral("WenQuanYi Zen Hei") << QStringLiteral("Noto Sans CJK SC");
    font.setFamilies(families);
    font.setPointSizeF(entry.decipoints / 10.0);
    font.setWeight(static_cast<QFont::Weight>(entry.weight));
    return font;
}

// The desktop's font for this kind of control, but no larger than the layout
// was made for: the captions stand in fixed rectangles.
QFont defaultFontFor(const QWidget* widget) {
    QFont font = QApplication::font(widget);
    const qreal most = fontSpec(FontRole::Default).decipoints / 10.0;
    const int mostPixels = qRound(most * kLayoutDpi / 72);
    if (font.pointSizeF() > most) font.setPointSizeF(most);
    else if (font.pointSizeF() <= 0 && font.pixelSize() > mostPixels) font.setPixelSize(mostPixels);
    return font;
}

// The window as readers expect an application's window: a frame with its
// caption as name. A plain top-level widget would surface as a filler.
QAccessibleInterface* formAccessible(const QString&, QObject* object) {
    auto* form = qobject_cast<Form*>(object);
    return form ? new QAccessibleWidget(form, QAccessible::Window) : nullptr;
}

}  // namespace

Form::Form(QWidget* parent) : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                  Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                                                  Qt::WindowCloseButtonHint) {
    // What a screen reader is told is made only once one asks: until then
    // these are three function pointers in a list.
    QAccessible::installFactory(formAccessible);
    installCardFrameAccessibility();
    installRankButtonAccessibility();
    setObjectName(QStringLiteral("form1"));
    setWindowTitle(QStringLiteral("Pellora"));
    createWindowIcon();
    // The layout does not scale, so the window keeps its size.
    setFixedSize(twipsToPixels(kClientWidthTwips, kLayoutDpi), twipsToPixels(kClientHeightTwips, kLayoutDpi));

    for (const ControlSpec& entry : controlTable()) createControl(entry);
    fitDefaultFonts();
    setTabOrderFromTable();
    rowButtons_[1]->setFocus();

    QAccessible::installActivationObserver(this);
    accessibilityActiveChanged(QAccessible::isActive());
}

Form::~Form() { QAccessible::removeActivationObserver(this); }

void Form::createWindowIcon() {
    // The images of pellora.ico, as the Linux menu icons carry them.
    QIcon icon;
    for (const int side : {16, 24, 32, 48}) {
        const QPixmap image = embeddedPng(QStringLiteral(":/icons/%1.png").arg(side));
        if (image.isNull()) fail(QString::fromUtf8("读不出窗口图标（%1 × %1 像素）").arg(side));
        else icon.addPixmap(image);
    }
    setWindowIcon(icon);
}

void Form::createControl(const ControlSpec& entry) {
    switch (entry.kind) {
        case ControlKind::GroupBox: createFrame(entry); break;
        case ControlKind::PushButton: entry.row != 0 ? createRankButton(entry) : createResetButton(entry); break;
        case ControlKind::CheckBox: createStayOnTopBox(entry); break;
    }
}

void Form::createFrame(const ControlSpec& entry) {
    // Made first, so every button stacks above it and takes its own clicks.
    frame_ = new CardFrame(QString::fromUtf8(entry.caption), board_, this);
    place(frame_, entry);
    if (const int card = frame_->missingArt(); card >= 0)
        fail(QString::fromUtf8("读不出%1的图片（%2）").arg(QString::fromUtf8(cardName(card)), cardPictureResource(card, 100)));
}

void Form::createRankButton(const ControlSpec& entry) {
    auto* button = new RankButton(QString::fromUtf8(entry.caption), this);
    const int row = entry.row;
    connect(button, &QPushButton::clicked, this, [this, row] { board_.play(row); });
    connect(button, &RankButton::putBackRequested, this, [this, row] { board_.undo(row); });
    button->setToolTip(QString::fromUtf8(buttonHelp()));
    rowButtons_[static_cast<std::size_t>(row)] = button;
    place(button, entry);
}

void Form::createResetButton(const ControlSpec& entry) {
    auto* button = new QPushButton(QString::fromUtf8(entry.caption), this);
    button->setAutoDefault(true);
    connect(button, &QPushButton::clicked, this, [this] { board_.reset(); });
    place(button, entry);
}

void Form::createStayOnTopBox(const ControlSpec& entry) {
    stayOnTop_ = new QCheckBox(QString::fromUtf8(entry.caption), this);
    connect(stayOnTop_, &QCheckBox::clicked, this, &Form::onStayOnTopClick);
    place(stayOnTop_, entry);
    if (!canKeepAbove()) stayOnTop_->setToolTip(keepAboveLimit());
}

void Form::setTabOrderFromTable() {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < controlTable().size(); ++i)
        if (controls_[i]->focusPolicy() != Qt::NoFocus) order.push_back(i);
    std::sort(order.begin(), order.end(),
              [](std::size_t a, std::size_t b) { return controlTable()[a].tab < controlTable()[b].tab; });
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(controls_[order[i - 1]], controls_[order[i]]);
}

void Form::onStayOnTopClick() {
    // The click has already changed the tick: this is the new value.
    const bool above = stayOnTop_->checkState() == Qt::Checked;
    keepAbove(this, above);
    // Said when it matters, not at start-up.
    if (above && !canKeepAbove())
        QToolTip::showText(stayOnTop_->mapToGlobal(QPoint(0, stayOnTop_->height())), keepAboveLimit(), stayOnTop_);
}

void Form::cardShown(int card, bool) { frame_->cardChanged(card); }

void Form::rowRemaining(int row, int left) {
    // Qt tells a listening screen reader when the text changes; while no
    // reader listens the descriptions are left as they are.
    if (describing_) rowButtons_[static_cast<std::size_t>(row)]->setAccessibleDescription(QString::fromUtf8(remainingText(left)));
}

void Form::accessibilityActiveChanged(bool active) {
    describing_ = active;
    if (active)
        for (int row = kFirstRow; row <= kLastRow; ++row) rowRemaining(row, board_.remaining(row));
}

void Form::fitDefaultFonts() {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (controlTable()[i].font != FontRole::Default) continue;
        // Follows the desktop's font as long as it fits.
        const QFont font = defaultFontFor(controls_[i]);
        controls_[i]->setFont(font == QApplication::font(controls_[i]) ? QFont() : font);
    }
}

void Form::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ApplicationFontChange) fitDefaultFonts();
    QWidget::changeEvent(event);
}

void Form::place(QWidget* widget, const ControlSpec& entry) {
    widget->setObjectName(QString::fromUtf8(entry.name));
    if (entry.font != FontRole::Default) widget->setFont(fontFor(entry.font));
    const Rect px = toPixels(entry.twips, kLayoutDpi);
    widget->setGeometry(px.left, px.top, px.width, px.height);
    const auto index = static_cast<std::size_t>(&entry - controlTable().data());
    controls_[index] = widget;
}

void Form::fail(const QString& what) {
    if (startupError_.isEmpty()) startupError_ = what;
}

}  // namespace pellora
