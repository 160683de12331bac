// The lab board's drawing: the panel, each part as it shows, and the digits' looks kept drawn.
#include "windows/boardview.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "board/charrom.h"
#include "windows/boardlook.h"

using namespace boardlook;

namespace {

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
