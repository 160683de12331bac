#include "windows/toolframe.h"

#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// Drops the transient parent when the window is about to be mapped (the show event comes before
// the native window is shown, and after any re-creation of it).
class TStandAlone final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show)
            if (QWindow* handle = static_cast<QWidget*>(watched)->windowHandle())
                handle->setTransientParent(nullptr);
        return false;
    }
};

} // namespace

void StandAlone(QWidget& window) {
    if (window.property("standAlone").toBool()) return;
    window.setProperty("standAlone", true);
    window.installEventFilter(new TStandAlone(&window));
}

// ============================================================================ TWidget

TWidget::TWidget(TToolFrame& form)
    : QAbstractButton(form.strip_), form_(form), index_(static_cast<int>(form.widgets_.size())) {
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(kSize, kSize);
    form.widgets_.append(this);
    connect(this, &QAbstractButton::clicked, this, &TWidget::Clicked);
    form.PlaceWidgets();
}

void TWidget::SetDown(bool down) {
    if (down_ == down) return;
    down_ = down;
    update();
}

void TWidget::SetGap(int gap) {
    gap_ = gap;
    form_.PlaceWidgets();
    form_.strip_->update();
}

void TWidget::SetGlyph(QChar glyph) {
    glyph_ = glyph;
    update();
}

void TWidget::SetHint(const QString& hint) {
    hint_ = hint;
    UpdateHint();
}

void TWidget::SetShowHint(bool show) {
    showHint_ = show;
    UpdateHint();
}

void TWidget::UpdateHint() { setToolTip(showHint_ ? hint_ : QString()); }

void TWidget::SetImage(const QPixmap& image) {
    image_ = image;
    update();
}

void TWidget::SetOffset(int left, int top) {
    offsetLeft_ = left;
    offsetTop_ = top;
    update();
}

void TWidget::Clicked() {
    if (popup_) {
        // The menu stands in for the click.
        popup_->popup(mapToGlobal(rect().bottomLeft()));
        return;
    }
    emit OnClick();
}

void TWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool pressed = down_ || isDown();
    // A small push-button face: raised, or sunk and darker while pressed.
    const QPalette& p = palette();
    const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(p.color(QPalette::Shadow).lighter(pressed ? 100 : 160), 1));
    painter.setBrush(pressed ? p.color(QPalette::Mid).lighter(120) : p.color(QPalette::Button).lighter(108));
    painter.drawRoundedRect(outer, 2, 2);
    if (!pressed) {
        painter.setPen(QPen(p.color(QPalette::Light), 1));
        painter.drawLine(QPointF(outer.left() + 1.5, outer.top() + 1.5),
                         QPointF(outer.right() - 1.5, outer.top() + 1.5));
    }

    // The picture sits in the face inset by 2 pixels, one pixel lower right while pressed.
    QRectF face = QRectF(rect()).adjusted(2, 2, -2, -2);
    face.translate(offsetLeft_ + (pressed ? 1 : 0), offsetTop_ + (pressed ? 1 : 0));
    if (!image_.isNull()) {
        const QSizeF size = image_.deviceIndependentSize();
        painter.drawPixmap(
            QPointF(face.center().x() - size.width() / 2, face.center().y() - size.height() / 2), image_);
        return;
    }
    DrawGlyph(painter, face);
}

void TWidget::DrawGlyph(QPainter& painter, const QRectF& face) const {
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText);
    const qreal x0 = face.left() + 1.5, x1 = face.right() - 1.5;
    const qreal xm = face.center().x();
    if (glyph_ == QLatin1Char('v')) {
        // Collapse: a chevron pointing up while open, down while collapsed.
        const bool collapsed = form_.Collapsed();
        const qreal top = face.top() + face.height() * 0.32, bottom = face.bottom() - face.height() * 0.32;
        QPainterPath chevron;
        chevron.moveTo(x0, collapsed ? top : bottom);
        chevron.lineTo(xm, collapsed ? bottom : top);
        chevron.lineTo(x1, collapsed ? top : bottom);
        painter.setPen(QPen(ink, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(chevron);
        return;
    }
    // Stay on top: a triangle standing on a bar.
    const qreal barY = face.bottom() - 1;
    QPainterPath triangle;
    triangle.moveTo(x0, barY - 2.5);
    triangle.lineTo(xm, face.top() + 0.5);
    triangle.lineTo(x1, barY - 2.5);
    triangle.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawPath(triangle);
    painter.fillRect(QRectF(x0, barY - 1, x1 - x0, 1.5), ink);
}

// ============================================================================ TToolFrame

TToolFrame::TToolFrame(const QString& caption, Collapse collapse, QWidget* parent)
    : QWidget(parent, kToolWindowFlags | Qt::WindowStaysOnTopHint), collapse_(collapse) {
    setWindowTitle(caption);
    StandAlone(*this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The window may shrink to its strip; the body then hides instead of forcing a minimum.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    strip_ = new QWidget(this);
    strip_->setObjectName(QStringLiteral("strip"));
    strip_->setFixedHeight(kStripHeight);
    // A title-bar look: a slightly darker band with a line under it.
    strip_->setStyleSheet(
        QStringLiteral("#strip { background: palette(midlight); border-bottom: 1px solid palette(mid); }"));
    strip_->setAttribute(Qt::WA_StyledBackground);
    layout->addWidget(strip_);
    body_ = new QWidget(this);
    body_->setObjectName(QStringLiteral("body"));
    layout->addWidget(body_, 1);
    setMinimumHeight(kStripHeight);

    widget1_ = new TWidget(*this);
    widget1_->setObjectName(QStringLiteral("Widget1"));
    widget2_ = new TWidget(*this);
    widget2_->setObjectName(QStringLiteral("Widget2"));
    widget2_->SetGlyph(QLatin1Char('5'));
    widget2_->SetDown(true);
    for (TWidget* w : widgets_)
        w->SetGap(0);
    widget1_->SetHint(QStringLiteral("Pomanjšaj"));
    widget2_->SetHint(QStringLiteral("Vedno na vrhu"));
    connect(widget1_, &TWidget::OnClick, this, &TToolFrame::ToggleCollapse);
    connect(widget2_, &TWidget::OnClick, this, &TToolFrame::ToggleStayOnTop);
}

bool TToolFrame::StayOnTop() const { return windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

void TToolFrame::SetStayOnTop(bool on) {
    widget2_->SetDown(on);
    if (StayOnTop() == on) return;
    // Changing a window flag re-creates the native window, which hides it: put it back where
    // it was.
    const bool visible = isVisible();
    const QPoint position = pos();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) {
        move(position);
        show();
    }
}

void TToolFrame::ToggleCollapse() {
    if (height() <= kCollapsedMax) {
        if (savedHeight_ > kCollapsedMax) resize(width(), savedHeight_);
        return;
    }
    savedHeight_ = height();
    const int low = collapse_ == Collapse::Strip ? kStripHeight : height() - body_->height();
    resize(width(), std::max(low, kStripHeight));
}

void TToolFrame::PlaceWidgets() {
    int right = width(); // the strip spans the whole window
    for (TWidget* w : widgets_) {
        right -= w->Gap();
        w->move(right - TWidget::kSize, (kStripHeight - TWidget::kSize) / 2);
        right -= TWidget::kSize;
    }
}

void TToolFrame::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    body_->setVisible(height() > kCollapsedMax);
    PlaceWidgets();
    widget1_->update();
}

void TToolFrame::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    PlaceWidgets();
    emit visibilityChanged(true);
}

void TToolFrame::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    emit visibilityChanged(false);
}
