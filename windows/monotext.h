#pragma once
#include <QFont>
#include <QHash>
#include <QPointF>
#include <QRawFont>
#include <QRect>
#include <QStringView>
#include <QVector>

class QPainter;

// Draws the short single-line texts of the painted grids and lists (register values, address
// rows, log lines) without shaping them. Shaping a text costs tens of microseconds whatever its
// length, and a fast run redraws hundreds of such texts a second; these texts need none of it
// (one script, no ligatures), so each character's glyph and advance are looked up once and the
// glyphs are placed side by side. A text with a character the font has no glyph for, or one
// that would not fit its rectangle, is drawn by QPainter::drawText as before, so that font
// fallback and clipping stay exactly the toolkit's.
class TMonoText {
public:
    // Takes the painter's font before drawing; the glyphs looked up so far are kept while the
    // font stays the same. Pen and clipping are the painter's.
    void SetFont(const QFont& font);
    // Draws with the left end at x and the baseline at y.
    void Draw(QPainter& painter, qreal x, qreal y, QStringView text);
    // Draws within rect as QPainter::drawText(rect, flags, text) would for one line: flags
    // take Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight and Qt::AlignVCenter.
    void Draw(QPainter& painter, const QRect& rect, int flags, QStringView text);
    // The width Draw gives the text, or -1 for a text it leaves to the toolkit (a character the
    // font has no glyph for).
    qreal Width(QStringView text);

private:
    struct TGlyph {
        quint32 Index = 0;
        qreal Advance = 0;
    };
    // The glyphs of text in indexes_ and positions_ (from x = 0); false when a character has no
    // glyph in the font.
    bool Layout(QStringView text, qreal& width);
    const TGlyph* Glyph(char16_t c);
    // Draws the glyphs Layout() placed, the first at baseline.
    void DrawLaidOut(QPainter& painter, QPointF baseline);

    QFont font_;
    QRawFont raw_;
    qreal ascent_ = 0, height_ = 0;
    QHash<char16_t, TGlyph> glyphs_;
    QVector<quint32> indexes_;
    QVector<QPointF> positions_;
};
