#pragma once
// The look of the lab board's drawing: its sizes at 100 % and its colours, shared by the
// view's layout and its painting.
#include <QColor>
#include <QFont>
#include <QSizeF>

namespace boardlook {

// The drawing at 100 %, in pixels: a band with the board's name, then the parts where the file
// puts them; parts without a place flow in rows below, within kFlowWidth.
inline constexpr qreal kHeader = 22;
inline constexpr qreal kMargin = 20;
inline constexpr qreal kFlowGap = 24;
inline constexpr qreal kFlowWidth = 460;
inline constexpr qreal kLabelGap = 4;
// How far a part's drawing reaches beyond its body: a lamp's glow (21 around its centre) and
// the ring of a pin in conflict.
inline constexpr qreal kAround = 10;
// How far a digit's drawing reaches beyond its cell (the slant, the glow); and how many looks
// of the digits are kept drawn.
inline constexpr qreal kDigitAround = 4;
inline constexpr int kDigitCacheSize = 512;

// Part sizes.
inline constexpr qreal kLed = 24;
inline constexpr QSizeF kSwitch(24, 40);
inline constexpr qreal kButton = 36;
inline constexpr qreal kDigitPad = 8, kDigitW = 34, kDigitH = 56, kDigitGap = 4;
inline constexpr qreal kKeyPad = 8, kKey = 34, kKeyGap = 6;
// An LCD: the module's board, the black bezel and the glass around the characters; a dot every
// 3 pixels, five by eight to a character, one dot's space between characters and a bit more
// between lines.
inline constexpr qreal kPcb = 6, kBezel = 3, kGlass = 6;
inline constexpr qreal kDot = 3, kDotSize = 2.5, kCharW = 5 * kDot + kDot, kCharH = 8 * kDot + 4;

// Colours: a dark blue-grey panel with light print on it.
inline const QColor kPanel(0x25, 0x32, 0x3C);
inline const QColor kPrint(0xE3, 0xEA, 0xEF);
inline const QColor kTitle(0x8F, 0xA3, 0xB1);
inline const QColor kHousing(0x12, 0x16, 0x1A);
inline const QColor kWarning(0xFF, 0xB0, 0x20);
inline const QColor kSegmentOff(0x2A, 0x10, 0x0D);
inline const QColor kSegmentOn(0xFF, 0x3B, 0x24);

inline QFont LabelFont() {
    QFont font;
    font.setPixelSize(11);
    return font;
}

} // namespace boardlook
