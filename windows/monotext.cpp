#include "windows/monotext.h"

#include <QGlyphRun>
#include <QPainter>

void TMonoText::SetFont(const QFont& font) {
    if (raw_.isValid() && font == font_) return;
    font_ = font;
    raw_ = QRawFont::fromFont(font);
    const QFontMetricsF metrics(font);
    ascent_ = metrics.ascent();
    height_ = metrics.height();
    glyphs_.clear();
}

const TMonoText::TGlyph* TMonoText::Glyph(char16_t c) {
    auto it = glyphs_.find(c);
    if (it == glyphs_.end()) {
        TGlyph glyph;
        const QChar ch(c);
        quint32 index = 0;
        int count = 1;
        // A surrogate half is no character on its own, and glyph 0 is the font's "missing"
        // glyph: texts with either are left to the toolkit.
        if (raw_.isValid() && !ch.isSurrogate() && raw_.glyphIndexesForChars(&ch, 1, &index, &count) &&
            count == 1 && index != 0) {
            glyph.Index = index;
            const QList<QPointF> advance = raw_.advancesForGlyphIndexes(QList<quint32>{index});
            glyph.Advance = advance.isEmpty() ? 0 : advance.front().x();
        }
        it = glyphs_.insert(c, glyph);
    }
    return it->Index != 0 ? &*it : nullptr;
}

bool TMonoText::Layout(QStringView text, qreal& width) {
    indexes_.resize(text.size());
    positions_.resize(text.size());
    qreal x = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const TGlyph* glyph = Glyph(text[i].unicode());
        if (!glyph) return false;
        indexes_[i] = glyph->Index;
        positions_[i] = QPointF(x, 0);
        x += glyph->Advance;
    }
    width = x;
    return true;
}

void TMonoText::Draw(QPainter& painter, qreal x, qreal y, QStringView text) {
    qreal width = 0;
    if (text.isEmpty()) return;
    if (!Layout(text, width)) {
        painter.drawText(QPointF(x, y), text.toString());
        return;
    }
    DrawLaidOut(painter, QPointF(x, y));
}

void TMonoText::Draw(QPainter& painter, const QRect& rect, int flags, QStringView text) {
    qreal width = 0;
    if (text.isEmpty()) return;
    if (!Layout(text, width) || width > rect.width()) {
        painter.drawText(rect, flags, text.toString());
        return;
    }
    const qreal x = flags & Qt::AlignHCenter ? rect.x() + (rect.width() - width) / 2
                    : flags & Qt::AlignRight ? rect.x() + rect.width() - width
                                             : rect.x();
    const qreal top = flags & Qt::AlignVCenter ? rect.y() + (rect.height() - height_) / 2 : rect.y();
    DrawLaidOut(painter, QPointF(x, top + ascent_));
}

qreal TMonoText::Width(QStringView text) {
    qreal width = 0;
    return Layout(text, width) ? width : -1;
}

void TMonoText::DrawLaidOut(QPainter& painter, QPointF baseline) {
    QGlyphRun run;
    run.setRawFont(raw_);
    run.setGlyphIndexes(indexes_);
    run.setPositions(positions_);
    painter.drawGlyphRun(baseline, run);
}
