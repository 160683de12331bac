#include "workbench/windowlayout.h"

#include <algorithm>

namespace WindowLayout {

QList<QRect> LayOut(const QRect& area, int stripBottom, const QList<TWish>& windows) {
    QList<QRect> rects;
    const int top = std::max({area.top(), stripBottom + kGap, kMinimumTop});
    const QRect room(QPoint(area.left(), top), area.bottomRight());
    int x = area.left() + kLeft;
    int y = top;
    int columnWidth = 0;
    int columnTop = top;
    int overflow = 0; // columns standing at the right edge so far
    for (const TWish& wish : windows) {
        const QSize size = wish.size.boundedTo(room.size()).expandedTo(wish.minimum);
        if (columnWidth > 0 && y + size.height() > room.bottom() + 1) {
            // The next column.
            x += columnWidth + kGap;
            columnWidth = 0;
            columnTop = top;
            if (x + size.width() > room.right() + 1) columnTop = top + kCascade * ++overflow;
            y = columnTop;
        }
        int left = x;
        int at = y;
        if (left + size.width() > room.right() + 1) left = room.right() + 1 - size.width();
        if (at + size.height() > room.bottom() + 1) at = room.bottom() + 1 - size.height();
        left = std::max(left, room.left());
        at = std::max(at, room.top());
        rects << QRect(QPoint(left, at), size);
        y = at + size.height() + kGap;
        columnWidth = std::max(columnWidth, size.width());
    }
    return rects;
}

QRect KeepInside(const QRect& frame, const QRect& area) {
    if (area.isEmpty() || area.contains(frame)) return frame;
    QRect r(frame.topLeft(), frame.size().boundedTo(area.size()));
    if (r.right() > area.right()) r.moveRight(area.right());
    if (r.bottom() > area.bottom()) r.moveBottom(area.bottom());
    if (r.left() < area.left()) r.moveLeft(area.left());
    if (r.top() < area.top()) r.moveTop(area.top());
    return r;
}

QRect ScreenOf(const QRect& frame, const QList<QRect>& screens) {
    QRect best;
    qint64 bestArea = 0;
    for (const QRect& screen : screens) {
        const QRect common = screen.intersected(frame);
        const qint64 overlap = qint64(common.width()) * common.height();
        if (overlap > bestArea) {
            bestArea = overlap;
            best = screen;
        }
    }
    if (bestArea > 0) return best;
    return screens.isEmpty() ? QRect() : screens.first();
}

} // namespace WindowLayout
