#pragma once
#include <QList>
#include <QRect>
#include <QSize>

// Where the workbench's windows stand on the screen: the first-start layout, "Razporedi okna",
// and the correction of a restored window that lies partly off the screen. Rectangles are
// window frames (title bar and border included) in screen coordinates.
namespace WindowLayout {

constexpr int kGap = 4;          // between neighbouring windows, and below the strip
constexpr int kLeft = 5;         // the first column's left edge, from the screen's left edge
constexpr int kCascade = 24;     // how much lower each column that no longer fits stands
constexpr int kMinimumTop = 115; // the first row never starts higher than this

// What one window asks for: its frame size and the smallest frame it can take.
struct TWish {
    QSize size;
    QSize minimum;
};

// Lays windows out in `area` (the screen's available area) below the main strip, whose frame
// ends above `stripBottom`. The windows fill columns from the left, top to bottom in the order
// given; a window that does not fit under the last one starts the next column, right of the
// widest window of the column before. A column that would pass the right edge stands at it,
// a little lower than the one before. A window larger than the room below the strip is made
// smaller, never below its minimum. Every rectangle lies inside the area and below the strip
// unless the minimum itself is larger than the room.
QList<QRect> LayOut(const QRect& area, int stripBottom, const QList<TWish>& windows);

// A frame that lies partly outside `area` moved to lie inside it; one larger than the area is
// made as large as the area first. A frame inside stays as it is.
QRect KeepInside(const QRect& frame, const QRect& area);

// The screen area a frame belongs to: the one it overlaps most, else the first (the primary).
QRect ScreenOf(const QRect& frame, const QList<QRect>& screens);

} // namespace WindowLayout
