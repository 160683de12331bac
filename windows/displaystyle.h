#pragma once
#include <QColor>
#include <QFont>
#include <QString>

// The look the machine's displays share: the fixed-pitch "Courier New" (Liberation Mono stands
// in for it with the same metrics) and the navy background of the registers, the address list
// and the code window.
inline const QString kFixedFontFamily = QStringLiteral("Courier New");
inline constexpr QColor kNavy(0x00, 0x00, 0x80);

// `base` (its size, weight, ...) in the fixed-pitch family.
inline QFont FixedFont(const QFont& base) {
    QFont font = base;
    font.setFamily(kFixedFontFamily);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    // One script, no ligatures and no kerning in a fixed-pitch font: the toolkit may place the
    // glyphs without shaping the text, which is most of what a short text costs to draw.
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    return font;
}

// The fixed-pitch font; a size of 0 keeps the toolkit's default size.
inline QFont FixedFont(int pointSize = 0) {
    QFont font = FixedFont(QFont());
    if (pointSize > 0) font.setPointSize(pointSize);
    return font;
}
