#include "windows/valuefield.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

namespace {

// The line edit's margins around its text, in pixels.
constexpr int kHorizontalMargin = 2;
constexpr int kVerticalMargin = 1;

QStyleOptionFrame FrameOption(const QWidget* widget) {
    QStyleOptionFrame option;
    option.initFrom(widget);
    option.rect = widget->rect();
    option.lineWidth = widget->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, widget);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken | QStyle::State_ReadOnly;
    option.features = QStyleOptionFrame::None;
    return option;
}

} // namespace

TValueField::TValueField(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    // Filled with the window colour before the field draws itself, so that a new value repaints
    // the field alone and not what lies behind it.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
}

void TValueField::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

QSize TValueField::sizeHint() const {
    const QFontMetrics metrics(font());
    const QStyleOptionFrame option = FrameOption(this);
    const QSize contents(metrics.horizontalAdvance(text_) + 2 * kHorizontalMargin,
                         std::max(metrics.height(), 14) + 2 * kVerticalMargin);
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, this);
}

void TValueField::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QStyleOptionFrame option = FrameOption(this);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);
    const QRect contents =
        style()
            ->subElementRect(QStyle::SE_LineEditContents, &option, this)
            .adjusted(kHorizontalMargin, kVerticalMargin, -kHorizontalMargin, -kVerticalMargin);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    mono_.SetFont(font());
    mono_.Draw(painter, contents, Qt::AlignLeft | Qt::AlignVCenter, text_);
}
