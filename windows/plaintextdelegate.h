#pragma once
#include <QStyledItemDelegate>

#include "windows/monotext.h"

// Draws a table cell's text straight onto its row, without the style's item pipeline (icons,
// check boxes, rich layout): the tables a run keeps up to date (watches, profile, call stack,
// trace) repaint their rows in view at every display frame, and the pipeline costs tens of
// microseconds a cell. Takes the text, its alignment and the selection; draws the focus frame
// of the current cell as the style does. A text too long for its cell is left to the style's
// pipeline, which elides it.
class TPlainTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    mutable TMonoText text_;
};
