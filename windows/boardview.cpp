#include "windows/boardview.h"
#include "windows/boardwiring.h"

#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QScreen>
#include <QStackedLayout>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

#include "board/charrom.h"
#include "board/hd44780.h"
#include "board/labboard.h"
#include "board/sevenseg.h"

#include "windows/boardlook.h"

using namespace boardlook;

namespace {

QSizeF BodySize(const TBoardPart& p) {
    switch (p.Kind) {
    case TPartKind::Led:
        return {kLed, kLed};
    case TPartKind::Switch:
        return kSwitch;
    case TPartKind::Button:
        return {kButton, kButton};
    case TPartKind::Digit:
    case TPartKind::Display: {
        const qreal n =
            p.Kind == TPartKind::Digit ? 1 : std::max<qreal>(1, static_cast<qreal>(p.Digits.size()));
        return {2 * kDigitPad + n * kDigitW + (n - 1) * kDigitGap, 2 * kDigitPad + kDigitH};
    }
    case TPartKind::Keypad: {
        const qreal cols = static_cast<qreal>(p.Cols.size()), rows = static_cast<qreal>(p.Rows.size());
        return {2 * kKeyPad + cols * kKey + (cols - 1) * kKeyGap,
                2 * kKeyPad + rows * kKey + (rows - 1) * kKeyGap};
    }
    case TPartKind::Lcd: {
        const qreal around = 2 * (kPcb + kBezel + kGlass);
        return {p.LcdCols * kCharW - kDot + around, p.LcdRows * kCharH - 4 + around};
    }
    }
    return {kLed, kLed};
}

} // namespace

// ============================================================================ TBoardView

TBoardView::TBoardView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("BoardView"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void TBoardView::SetParts(const TBoardConfig& config) {
    ReleaseHeld();
    config_ = config;
    shown_ = {};
    shown_.Parts.resize(config_.Parts.size());
    LayOut();
    updateGeometry();
    update();
}

void TBoardView::Show(const TBoardShown& shown) {
    if (shown == shown_) return;
    // Only the parts that show something else are drawn again, each in its own place.
    const size_t parts = config_.Parts.size();
    for (size_t i = 0; i < parts; ++i) {
        static const TPartShown dark;
        const TPartShown& now = i < shown.Parts.size() ? shown.Parts[i] : dark;
        const TPartShown& was = shown_.Parts[i];
        if (now == was) continue;
        const TBoardPart& part = config_.Parts[i];
        // A display's digits each in their cell, unless its ring came or went.
        if ((part.Kind == TPartKind::Display || part.Kind == TPartKind::Digit) &&
            now.Conflict == was.Conflict) {
            const int digits = part.Kind == TPartKind::Digit ? 1 : static_cast<int>(part.Digits.size());
            for (int d = 0; d < digits; ++d)
                if (DigitLevels(part, now, d) != DigitLevels(part, was, d))
                    update(DigitDrawnRect(static_cast<int>(i), d).adjusted(-1, -1, 1, 1));
            continue;
        }
        update(DrawnRect(static_cast<int>(i)));
    }
    shown_ = shown;
    shown_.Parts.resize(parts);
}

QRect TBoardView::DrawnRect(int part) const {
    // The body with what is drawn around it: a lamp's glow, the ring of a pin in conflict.
    const QRectF body =
        places_[static_cast<size_t>(part)].Body.adjusted(-kAround, -kAround, kAround, kAround);
    return toView_.mapRect(body).toAlignedRect().adjusted(-1, -1, 1, 1);
}

void TBoardView::LayOut() {
    places_.assign(config_.Parts.size(), {});
    const QFontMetricsF fm(LabelFont());
    qreal right = 0, bottom = 0;
    const auto label = [&](TPlace& place, const TBoardPart& part) {
        place.Text = QString::fromStdString(part.Label.empty() ? part.Name : part.Label);
        const qreal w = fm.horizontalAdvance(place.Text) + 2;
        place.Label =
            QRectF(place.Body.center().x() - w / 2, place.Body.bottom() + kLabelGap, w, fm.height());
    };
    const auto grow = [&](const TPlace& place) {
        const QRectF all = place.Body.united(place.Label);
        right = std::max(right, all.right());
        bottom = std::max(bottom, all.bottom());
    };
    // Parts the file places first, then the others in rows below them.
    for (size_t i = 0; i < config_.Parts.size(); ++i) {
        const TBoardPart& part = config_.Parts[i];
        if (!part.X || !part.Y) continue;
        places_[i].Body = QRectF(QPointF(*part.X, *part.Y + kHeader), BodySize(part));
        label(places_[i], part);
        grow(places_[i]);
    }
    const qreal limit = std::max(right, kFlowWidth);
    qreal x = kMargin, y = bottom > 0 ? bottom + kFlowGap : kHeader + kMargin / 2, row = 0;
    for (size_t i = 0; i < config_.Parts.size(); ++i) {
        const TBoardPart& part = config_.Parts[i];
        if (part.X && part.Y) continue;
        const QSizeF size = BodySize(part);
        const QString text = QString::fromStdString(part.Label.empty() ? part.Name : part.Label);
        const qreal width = std::max(size.width(), fm.horizontalAdvance(text) + 2);
        if (x > kMargin && x + width > limit) {
            x = kMargin;
            y += row + kFlowGap;
            row = 0;
        }
        places_[i].Body = QRectF(QPointF(x + (width - size.width()) / 2, y), size);
        label(places_[i], part);
        grow(places_[i]);
        x += width + kFlowGap;
        row = std::max(row, size.height() + kLabelGap + fm.height());
    }
    const QFontMetricsF title(LabelFont());
    right = std::max(right, kMargin + title.horizontalAdvance(QString::fromStdString(config_.Name)));
    boardSize_ = QSize(static_cast<int>(std::ceil(std::max<qreal>(right + kMargin, 200))),
                       static_cast<int>(std::ceil(std::max<qreal>(bottom + kMargin, kHeader + 60))));
    resizeEvent(nullptr);
}

void TBoardView::resizeEvent(QResizeEvent*) {
    // The whole drawing fits the view, centred; a larger window shows the parts larger.
    const qreal sx = width() / static_cast<qreal>(boardSize_.width());
    const qreal sy = height() / static_cast<qreal>(boardSize_.height());
    const qreal scale = std::clamp(std::min(sx, sy), 0.25, 4.0);
    toView_ = QTransform();
    toView_.translate((width() - boardSize_.width() * scale) / 2,
                      (height() - boardSize_.height() * scale) / 2);
    toView_.scale(scale, scale);
    digitCache_.clear();
}

QRectF TBoardView::KeyBody(int part, int key) const {
    const TBoardPart& p = config_.Parts[static_cast<size_t>(part)];
    const int cols = static_cast<int>(p.Cols.size());
    if (cols == 0 || key < 0 || key >= cols * static_cast<int>(p.Rows.size())) return {};
    const QRectF& body = places_[static_cast<size_t>(part)].Body;
    return {body.left() + kKeyPad + (key % cols) * (kKey + kKeyGap),
            body.top() + kKeyPad + (key / cols) * (kKey + kKeyGap), kKey, kKey};
}

QRectF TBoardView::PartRect(int part) const {
    if (part < 0 || part >= static_cast<int>(places_.size())) return {};
    return toView_.mapRect(places_[static_cast<size_t>(part)].Body);
}

QRectF TBoardView::KeyRect(int part, int key) const {
    if (part < 0 || part >= static_cast<int>(places_.size())) return {};
    if (config_.Parts[static_cast<size_t>(part)].Kind != TPartKind::Keypad) return {};
    return toView_.mapRect(KeyBody(part, key));
}

QString TBoardView::KeyName(int part, int key) const {
    const TBoardPart& p = config_.Parts[static_cast<size_t>(part)];
    if (key < 0 || key >= static_cast<int>(p.Keys.size())) return {};
    return QString::fromStdString(p.Name + ":" + p.Keys[static_cast<size_t>(key)]);
}

std::pair<int, int> TBoardView::HitTest(QPointF at) const {
    const QPointF point = toView_.inverted().map(at);
    for (int i = 0; i < static_cast<int>(places_.size()); ++i) {
        if (!places_[static_cast<size_t>(i)].Body.contains(point)) continue;
        const TBoardPart& p = config_.Parts[static_cast<size_t>(i)];
        if (p.Kind != TPartKind::Keypad) return {i, -1};
        for (int k = 0; k < static_cast<int>(p.Keys.size()); ++k)
            if (KeyBody(i, k).contains(point)) return {i, k};
        return {i, -1};
    }
    return {-1, -1};
}

void TBoardView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const auto [part, key] = HitTest(event->position());
    if (part < 0) return;
    const TBoardPart& p = config_.Parts[static_cast<size_t>(part)];
    const QString name = QString::fromStdString(p.Name);
    if (p.Kind == TPartKind::Switch) {
        emit switchSet(name, !shown_.Parts[static_cast<size_t>(part)].On);
    } else if (p.Kind == TPartKind::Button || (p.Kind == TPartKind::Keypad && key >= 0)) {
        if (!mouseHeld_.isEmpty()) emit released(std::exchange(mouseHeld_, QString()));
        mouseHeld_ = p.Kind == TPartKind::Button ? name : KeyName(part, key);
        emit pressed(mouseHeld_);
    }
}

void TBoardView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !mouseHeld_.isEmpty())
        emit released(std::exchange(mouseHeld_, QString()));
    QWidget::mouseReleaseEvent(event);
}

namespace {

// A key of the keyboard, the same at its press and its release: the key code may differ between
// the two when Shift is let go first ("*" pressed, "8" released), the key's place does not.
int KeyId(const QKeyEvent* event) {
    return event->nativeScanCode() != 0 ? static_cast<int>(event->nativeScanCode() | 0x40000000u)
                                        : event->key();
}

} // namespace

void TBoardView::keyPressEvent(QKeyEvent* event) {
    // The character the key types, whatever it takes to type it (Shift, AltGr); a control
    // character (Ctrl with a letter) is none.
    const QString text = event->text();
    if (!text.isEmpty() && text[0].isPrint())
        for (int i = 0; i < static_cast<int>(config_.Parts.size()); ++i) {
            const TBoardPart& p = config_.Parts[static_cast<size_t>(i)];
            if (p.Kind != TPartKind::Keypad) continue;
            for (int k = 0; k < static_cast<int>(p.Keys.size()); ++k) {
                if (QString::fromStdString(p.Keys[static_cast<size_t>(k)])
                        .compare(text, Qt::CaseInsensitive) != 0)
                    continue;
                event->accept();
                if (event->isAutoRepeat() || keysHeld_.contains(KeyId(event))) return;
                const QString name = KeyName(i, k);
                keysHeld_.insert(KeyId(event), name);
                emit pressed(name);
                return;
            }
        }
    QWidget::keyPressEvent(event);
}

void TBoardView::keyReleaseEvent(QKeyEvent* event) {
    const auto held = keysHeld_.find(KeyId(event));
    if (held == keysHeld_.end()) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat()) return;
    const QString name = held.value();
    keysHeld_.erase(held);
    emit released(name);
}

// Whatever the hand holds is let go when the view loses it: a key held while the focus moved
// away would never see its release.
void TBoardView::ReleaseHeld() {
    if (!mouseHeld_.isEmpty()) emit released(std::exchange(mouseHeld_, QString()));
    const QHash<int, QString> keys = std::exchange(keysHeld_, {});
    for (const QString& name : keys)
        emit released(name);
}

void TBoardView::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void TBoardView::focusOutEvent(QFocusEvent* event) {
    update();
    // The keyboard's keys are let go; the mouse's press ends with its own release.
    const QHash<int, QString> keys = std::exchange(keysHeld_, {});
    for (const QString& name : keys)
        emit released(name);
    QWidget::focusOutEvent(event);
}

void TBoardView::hideEvent(QHideEvent* event) {
    ReleaseHeld();
    QWidget::hideEvent(event);
}

bool TBoardView::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const auto [part, key] = HitTest(help->pos());
        if (part < 0) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        QString text = Wiring(config_.Parts[static_cast<size_t>(part)]);
        if (key >= 0) text += QStringLiteral("\ntipka ") + KeyName(part, key);
        QToolTip::showText(help->globalPos(), text, this,
                           toView_.mapRect(places_[static_cast<size_t>(part)].Body).toRect());
        return true;
    }
    return QWidget::event(event);
}
