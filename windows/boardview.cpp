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

namespace {

// The drawing at 100 %, in pixels: a band with the board's name, then the parts where the file
// puts them; parts without a place flow in rows below, within kFlowWidth.
constexpr qreal kHeader = 22;
constexpr qreal kMargin = 20;
constexpr qreal kFlowGap = 24;
constexpr qreal kFlowWidth = 460;
constexpr qreal kLabelGap = 4;
// How far a part's drawing reaches beyond its body: a lamp's glow (21 around its centre) and
// the ring of a pin in conflict.
constexpr qreal kAround = 10;
// How far a digit's drawing reaches beyond its cell (the slant, the glow); and how many looks
// of the digits are kept drawn.
constexpr qreal kDigitAround = 4;
constexpr int kDigitCacheSize = 512;

// Part sizes.
constexpr qreal kLed = 24;
constexpr QSizeF kSwitch(24, 40);
constexpr qreal kButton = 36;
constexpr qreal kDigitPad = 8, kDigitW = 34, kDigitH = 56, kDigitGap = 4;
constexpr qreal kKeyPad = 8, kKey = 34, kKeyGap = 6;
// An LCD: the module's board, the black bezel and the glass around the characters; a dot every
// 3 pixels, five by eight to a character, one dot's space between characters and a bit more
// between lines.
constexpr qreal kPcb = 6, kBezel = 3, kGlass = 6;
constexpr qreal kDot = 3, kDotSize = 2.5, kCharW = 5 * kDot + kDot, kCharH = 8 * kDot + 4;

// Colours: a dark blue-grey panel with light print on it.
const QColor kPanel(0x25, 0x32, 0x3C);
const QColor kPrint(0xE3, 0xEA, 0xEF);
const QColor kTitle(0x8F, 0xA3, 0xB1);
const QColor kHousing(0x12, 0x16, 0x1A);
const QColor kWarning(0xFF, 0xB0, 0x20);
const QColor kSegmentOff(0x2A, 0x10, 0x0D);
const QColor kSegmentOn(0xFF, 0x3B, 0x24);

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

QFont LabelFont() {
    QFont font;
    font.setPixelSize(11);
    return font;
}

QColor Mix(const QColor& a, const QColor& b, qreal f) {
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * f),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * f),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * f));
}

// The six corners of a segment between two points on a line (horizontal or vertical), `t` thick.
QPolygonF Segment(QPointF from, QPointF to, qreal t) {
    const qreal h = t / 2, gap = 1;
    if (from.y() == to.y()) {
        const qreal y = from.y(), x1 = from.x() + gap, x2 = to.x() - gap;
        return QPolygonF(
            {{x1, y}, {x1 + h, y - h}, {x2 - h, y - h}, {x2, y}, {x2 - h, y + h}, {x1 + h, y + h}});
    }
    const qreal x = from.x(), y1 = from.y() + gap, y2 = to.y() - gap;
    return QPolygonF({{x, y1}, {x + h, y1 + h}, {x + h, y2 - h}, {x, y2}, {x - h, y2 - h}, {x - h, y1 + h}});
}

// One seven-segment digit in `cell`, each segment as bright as `level` says (0 dark, 1 full).
void DrawDigit(QPainter& p, const QRectF& cell, const std::array<qreal, 8>& level) {
    p.save();
    // A slight slant, as most displays have.
    p.translate(cell.center());
    p.shear(-0.09, 0);
    p.translate(-cell.center());
    const qreal l = cell.left() + 6, r = cell.right() - 8, t = cell.top() + 5, b = cell.bottom() - 5;
    const qreal m = (t + b) / 2, w = 5;
    const QPolygonF segs[7] = {
        Segment({l, t}, {r, t}, w), Segment({r, t}, {r, m}, w), Segment({r, m}, {r, b}, w),
        Segment({l, b}, {r, b}, w), Segment({l, m}, {l, b}, w), Segment({l, t}, {l, m}, w),
        Segment({l, m}, {r, m}, w),
    };
    for (int i = 0; i < 8; ++i) {
        // A lit segment is never as dark as an unlit one, however short it was lit.
        const qreal share = level[static_cast<size_t>(i)];
        const qreal f = share > 0 ? 0.25 + 0.75 * share : 0;
        const QColor colour = Mix(kSegmentOff, kSegmentOn, f);
        if (f > 0) {
            // A soft glow around a lit segment.
            QColor glow = kSegmentOn;
            glow.setAlphaF(static_cast<float>(0.30 * f));
            p.setPen(QPen(glow, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        } else {
            p.setPen(Qt::NoPen);
        }
        p.setBrush(colour);
        if (i < 7) p.drawPolygon(segs[i]);
        else p.drawEllipse(QPointF(r + 4.5, b), 2.6, 2.6);
    }
    p.restore();
}

void ConflictRing(QPainter& p, const QRectF& body) {
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kWarning, 2, Qt::DashLine));
    p.drawRoundedRect(body.adjusted(-4, -4, 4, 4), 6, 6);
    p.restore();
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

// ---------------------------------------------------------------------------- drawing

void TBoardView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    // What is drawn again is what the event asks for (the parts that changed): the panel under
    // it, and every part whose drawing reaches into it.
    const QRect dirty = event->rect();
    p.fillRect(dirty, kPanel);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(toView_);
    p.setFont(LabelFont());
    const QRectF title(kMargin / 2, 0, boardSize_.width() - kMargin, kHeader);
    if (toView_.mapRect(title).toAlignedRect().intersects(dirty)) {
        p.setPen(kTitle);
        p.drawText(title, Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(config_.Name));
    }
    for (size_t i = 0; i < config_.Parts.size(); ++i) {
        const TBoardPart& part = config_.Parts[i];
        const TPlace& place = places_[i];
        if (!DrawnRect(static_cast<int>(i)).intersects(dirty) &&
            !toView_.mapRect(place.Label).toAlignedRect().intersects(dirty))
            continue;
        const TPartShown& s = shown_.Parts[i];
        switch (part.Kind) {
        case TPartKind::Led:
            DrawLed(p, place, s);
            break;
        case TPartKind::Switch:
            DrawSwitch(p, place, s);
            break;
        case TPartKind::Button:
            DrawButton(p, place, s);
            break;
        case TPartKind::Digit:
        case TPartKind::Display:
            DrawDigits(p, static_cast<int>(i), place, s);
            break;
        case TPartKind::Keypad:
            DrawKeypad(p, static_cast<int>(i), place, s);
            break;
        case TPartKind::Lcd:
            DrawLcd(p, part, place, s);
            break;
        }
        if (s.Conflict) ConflictRing(p, place.Body);
        p.setPen(kPrint);
        p.drawText(place.Label, Qt::AlignHCenter | Qt::AlignTop, place.Text);
    }
    // While the keyboard's keys go to the keypads, a thin frame says so.
    const bool keypad = std::any_of(config_.Parts.begin(), config_.Parts.end(),
                                    [](const TBoardPart& part) { return part.Kind == TPartKind::Keypad; });
    if (hasFocus() && keypad) {
        p.resetTransform();
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(kTitle, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void TBoardView::DrawLed(QPainter& p, const TPlace& place, const TPartShown& s) const {
    const QPointF c = place.Body.center();
    p.setPen(Qt::NoPen);
    if (s.On) {
        QRadialGradient glow(c, 21);
        glow.setColorAt(0, QColor(0xFF, 0x40, 0x28, 0x90));
        glow.setColorAt(1, QColor(0xFF, 0x40, 0x28, 0x00));
        p.setBrush(glow);
        p.drawEllipse(c, 21, 21);
    }
    p.setBrush(kHousing);
    p.drawEllipse(c, 11.5, 11.5);
    QRadialGradient lens(c - QPointF(3, 3), 13);
    if (s.On) {
        lens.setColorAt(0, QColor(0xFF, 0xE4, 0xDC));
        lens.setColorAt(0.3, QColor(0xFF, 0x4A, 0x36));
        lens.setColorAt(1, QColor(0xC8, 0x16, 0x0C));
    } else {
        lens.setColorAt(0, QColor(0x80, 0x30, 0x2A));
        lens.setColorAt(0.5, QColor(0x4C, 0x14, 0x10));
        lens.setColorAt(1, QColor(0x2C, 0x0A, 0x08));
    }
    p.setBrush(lens);
    p.drawEllipse(c, 9.5, 9.5);
    p.setBrush(QColor(0xFF, 0xFF, 0xFF, s.On ? 0x90 : 0x38));
    p.drawEllipse(c - QPointF(3.5, 3.5), 2.6, 2.0);
}

void TBoardView::DrawSwitch(QPainter& p, const TPlace& place, const TPartShown& s) const {
    // A slide toggle standing up: the knob at the top and the track green while it is on.
    const QRectF track = place.Body.adjusted(2, 0, -2, 0);
    p.setPen(QPen(QColor(0x0E, 0x12, 0x15), 1.2));
    p.setBrush(s.On ? QColor(0x2F, 0xA8, 0x4F) : QColor(0x55, 0x61, 0x6B));
    p.drawRoundedRect(track, track.width() / 2, track.width() / 2);
    const qreal r = track.width() / 2 - 2;
    const QPointF knob(track.center().x(), s.On ? track.top() + r + 2 : track.bottom() - r - 2);
    QRadialGradient face(knob - QPointF(2, 2), r * 1.6);
    face.setColorAt(0, Qt::white);
    face.setColorAt(1, QColor(0xB8, 0xC0, 0xC7));
    p.setPen(QPen(QColor(0x20, 0x26, 0x2B), 1));
    p.setBrush(face);
    p.drawEllipse(knob, r, r);
    // Which end is on, printed beside the track.
    QFont small = LabelFont();
    small.setPixelSize(9);
    p.setFont(small);
    p.setPen(kTitle);
    p.drawText(QRectF(track.right() + 1, track.top() - 2, 10, 12), Qt::AlignLeft | Qt::AlignTop,
               QStringLiteral("1"));
    p.drawText(QRectF(track.right() + 1, track.bottom() - 10, 10, 12), Qt::AlignLeft | Qt::AlignBottom,
               QStringLiteral("0"));
    p.setFont(LabelFont());
}

void TBoardView::DrawButton(QPainter& p, const TPlace& place, const TPartShown& s) const {
    const QRectF& body = place.Body;
    p.setPen(QPen(QColor(0x12, 0x17, 0x1B), 1));
    p.setBrush(QColor(0x3A, 0x44, 0x4D));
    p.drawRoundedRect(body, 4, 4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1C, 0x22, 0x27));
    for (const QPointF corner : {body.topLeft() + QPointF(5, 5), body.topRight() + QPointF(-5, 5),
                                 body.bottomLeft() + QPointF(5, -5), body.bottomRight() + QPointF(-5, -5)})
        p.drawEllipse(corner, 1.8, 1.8);
    const QPointF c = body.center();
    // The cap: raised, or pushed in (smaller, darker, a little lower) while held.
    p.setBrush(QColor(0x14, 0x18, 0x1C));
    p.drawEllipse(c + QPointF(0, 1.5), 13, 13);
    const qreal r = s.On ? 10.5 : 12;
    const QPointF at = c + QPointF(0, s.On ? 1 : 0);
    QRadialGradient cap(at - QPointF(3, 4), r * 1.7);
    cap.setColorAt(0, s.On ? QColor(0x9C, 0xA4, 0xAC) : QColor(0xF4, 0xF6, 0xF8));
    cap.setColorAt(1, s.On ? QColor(0x5E, 0x67, 0x6F) : QColor(0xAE, 0xB6, 0xBD));
    p.setPen(QPen(QColor(0x20, 0x26, 0x2B), 1));
    p.setBrush(cap);
    p.drawEllipse(at, r, r);
    if (s.On) {
        // The rim's shadow falls on the pushed-in cap.
        p.setPen(QPen(QColor(0x10, 0x14, 0x18, 0xA0), 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(at - QPointF(r - 1, r - 1), QSizeF(2 * r - 2, 2 * r - 2)), 30 * 16, 120 * 16);
    }
}

QRectF TBoardView::DigitCell(int part, int digit) const {
    const QRectF& body = places_[static_cast<size_t>(part)].Body;
    return {body.left() + kDigitPad + digit * (kDigitW + kDigitGap), body.top() + kDigitPad, kDigitW,
            kDigitH};
}

QRect TBoardView::DigitDrawnRect(int part, int digit) const {
    return toView_
        .mapRect(DigitCell(part, digit).adjusted(-kDigitAround, -kDigitAround, kDigitAround, kDigitAround))
        .toAlignedRect();
}

std::array<uint8_t, 8> TBoardView::DigitLevels(const TBoardPart& part, const TPartShown& s, int digit) {
    std::array<uint8_t, 8> levels{};
    for (size_t seg = 0; seg < 8; ++seg)
        levels[seg] = part.Kind == TPartKind::Digit ? ((s.Pattern >> seg) & 1u ? TPartShown::kBrightest : 0)
                                                    : s.Brightness[static_cast<size_t>(digit)][seg];
    return levels;
}

void TBoardView::DrawDigits(QPainter& p, int index, const TPlace& place, const TPartShown& s) const {
    const TBoardPart& part = config_.Parts[static_cast<size_t>(index)];
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(0x0D, 0x0F, 0x11));
    p.drawRoundedRect(place.Body, 3, 3);
    // A digit is drawn once for each look it has in its place, then copied: a multiplexed
    // display changes its look at most frames, and its antialiased segments and glow cost far
    // more than the copy.
    const qreal dpr = devicePixelRatioF();
    if (dpr != cacheDpr_) {
        digitCache_.clear();
        cacheDpr_ = dpr;
    }
    const int n = part.Kind == TPartKind::Digit ? 1 : static_cast<int>(part.Digits.size());
    const QTransform board = p.transform();
    for (int d = 0; d < n; ++d) {
        const std::array<uint8_t, 8> levels = DigitLevels(part, s, d);
        quint64 key = static_cast<quint64>(index) << 48 | static_cast<quint64>(d) << 40;
        for (size_t seg = 0; seg < 8; ++seg)
            key |= static_cast<quint64>(levels[seg] & 0x0F) << (4 * seg);
        const QRect at = DigitDrawnRect(index, d);
        auto cached = digitCache_.constFind(key);
        if (cached == digitCache_.constEnd()) {
            if (digitCache_.size() >= kDigitCacheSize) digitCache_.clear();
            QPixmap pixmap(at.size() * dpr);
            pixmap.setDevicePixelRatio(dpr);
            pixmap.fill(Qt::transparent);
            QPainter q(&pixmap);
            q.setRenderHint(QPainter::Antialiasing);
            q.setTransform(toView_ * QTransform::fromTranslate(-at.left(), -at.top()));
            std::array<qreal, 8> level{};
            for (size_t seg = 0; seg < 8; ++seg)
                level[seg] = levels[seg] / qreal{TPartShown::kBrightest};
            DrawDigit(q, DigitCell(index, d), level);
            q.end();
            cached = digitCache_.insert(key, pixmap);
        }
        p.resetTransform();
        p.drawPixmap(at.topLeft(), *cached);
        p.setTransform(board);
    }
}

void TBoardView::DrawKeypad(QPainter& p, int index, const TPlace& place, const TPartShown& s) const {
    const TBoardPart& part = config_.Parts[static_cast<size_t>(index)];
    p.setPen(QPen(QColor(0x0A, 0x0C, 0x0E), 1));
    p.setBrush(kHousing);
    p.drawRoundedRect(place.Body, 6, 6);
    QFont keyFont = LabelFont();
    keyFont.setPixelSize(15);
    keyFont.setBold(true);
    p.setFont(keyFont);
    for (int k = 0; k < static_cast<int>(part.Keys.size()); ++k) {
        const QRectF key = KeyBody(index, k);
        if (key.isEmpty()) continue;
        const bool held = (s.Keys >> k) & 1u;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x05, 0x06, 0x07));
        p.drawRoundedRect(key.translated(0, 2), 4, 4);
        const QRectF face = key.translated(0, held ? 1.5 : 0);
        QLinearGradient g(face.topLeft(), face.bottomLeft());
        g.setColorAt(0, held ? QColor(0xA4, 0xAC, 0xB3) : QColor(0xF4, 0xF6, 0xF8));
        g.setColorAt(1, held ? QColor(0x8C, 0x95, 0x9C) : QColor(0xC2, 0xC8, 0xCE));
        p.setPen(QPen(QColor(0x4A, 0x53, 0x5B), 1));
        p.setBrush(g);
        p.drawRoundedRect(face, 4, 4);
        const QString text = QString::fromStdString(part.Keys[static_cast<size_t>(k)]);
        // The letters stand out from the digits, as on most keypads.
        const bool letter = text.size() == 1 && text[0].isLetter();
        p.setPen(letter ? QColor(0xB0, 0x24, 0x1A) : QColor(0x1D, 0x23, 0x27));
        p.drawText(face, Qt::AlignCenter, text);
    }
    p.setFont(LabelFont());
}

void TBoardView::DrawLcd(QPainter& p, const TBoardPart& part, const TPlace& place,
                         const TPartShown& s) const {
    const QRectF& body = place.Body;
    // The module: its green board with four mounting holes, the black bezel, the lit glass.
    p.setPen(QPen(QColor(0x12, 0x4A, 0x2C), 1));
    p.setBrush(QColor(0x1F, 0x6E, 0x44));
    p.drawRoundedRect(body, 3, 3);
    p.setPen(QPen(QColor(0xC9, 0xB5, 0x6A), 1));
    p.setBrush(QColor(0x0B, 0x2A, 0x19));
    for (const QPointF corner : {body.topLeft() + QPointF(3, 3), body.topRight() + QPointF(-3, 3),
                                 body.bottomLeft() + QPointF(3, -3), body.bottomRight() + QPointF(-3, -3)})
        p.drawEllipse(corner, 1.6, 1.6);
    const QRectF bezel = body.adjusted(kPcb, kPcb, -kPcb, -kPcb);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x10, 0x10, 0x10));
    p.drawRect(bezel);
    const QRectF glass = bezel.adjusted(kBezel, kBezel, -kBezel, -kBezel);
    QLinearGradient light(glass.topLeft(), glass.bottomLeft());
    light.setColorAt(0, QColor(0xBC, 0xD6, 0x52));
    light.setColorAt(1, QColor(0xA2, 0xC0, 0x3C));
    p.setBrush(light);
    p.drawRect(glass);

    QVector<QRectF> on, off;
    on.reserve(part.LcdRows * part.LcdCols * 20);
    off.reserve(part.LcdRows * part.LcdCols * 40);
    const bool hasGlass = static_cast<int>(s.Glass.size()) == part.LcdRows * part.LcdCols;
    for (int row = 0; row < part.LcdRows; ++row)
        for (int col = 0; col < part.LcdCols; ++col) {
            const int16_t code = hasGlass ? s.Glass[static_cast<size_t>(row * part.LcdCols + col)] : -1;
            TGlyph glyph{};
            if (code >= 0) glyph = CharacterGlyph(static_cast<uint8_t>(code), s.Cgram);
            if (row == s.CursorRow && col == s.CursorCol) {
                if (s.Underline) glyph[7] = 0x1F;
                if (s.BlinkFilled) glyph.fill(0x1F);
            }
            const QPointF origin(glass.left() + kGlass + col * kCharW, glass.top() + kGlass + row * kCharH);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 5; ++x) {
                    const QRectF dot(origin.x() + x * kDot, origin.y() + y * kDot, kDotSize, kDotSize);
                    ((glyph[static_cast<size_t>(y)] >> (4 - x)) & 1u ? on : off).append(dot);
                }
        }
    p.setBrush(QColor(0x00, 0x00, 0x00, 0x16));
    p.drawRects(off);
    p.setBrush(QColor(0x1C, 0x28, 0x10));
    p.drawRects(on);
}
