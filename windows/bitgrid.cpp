#include "windows/bitgrid.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

TBitGrid::TBitGrid(int columns, QWidget* parent) : QWidget(parent), columns_(columns) {
    QFont small = font();
    small.setPixelSize(10);
    setFont(small);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TBitGrid::SetValue(uint8_t value) {
    if (value == value_) return;
    value_ = value;
    update(QRect(0, kCellHeight + kLine, width(), kCellHeight + 2 * kLine));
}

QString TBitGrid::Cell(int column, int row) const {
    if (column < 0 || column >= columns_ || row < 0 || row > 1) return {};
    const int bit = columns_ - 1 - column;
    if (row == 0) return QStringLiteral("b%1").arg(bit);
    return (value_ >> bit) & 1 ? QStringLiteral("1") : QStringLiteral("0");
}

void TBitGrid::SetBitHints(const QStringList& hints) { hints_ = hints; }

QString TBitGrid::BitHint(int column) const {
    if (column < 0 || column >= columns_ || column >= hints_.size() || hints_[column].isEmpty()) return {};
    return Cell(column, 0) + QLatin1Char(' ') + hints_[column];
}

bool TBitGrid::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        for (int row = 0; row < 2; ++row)
            for (int column = 0; column < columns_; ++column)
                if (CellRect(column, row).contains(help->pos()) && !BitHint(column).isEmpty()) {
                    QToolTip::showText(help->globalPos(), BitHint(column), this, CellRect(column, row));
                    return true;
                }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

QRect TBitGrid::CellRect(int column, int row) const {
    return {kLine + column * (kCellWidth + kLine), kLine + row * (kCellHeight + kLine), kCellWidth,
            kCellHeight};
}

QSize TBitGrid::sizeHint() const {
    return {kLine + columns_ * (kCellWidth + kLine), kLine + 2 * (kCellHeight + kLine)};
}

void TBitGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QPalette& p = palette();
    painter.fillRect(event->rect(), p.color(QPalette::Mid));
    text_.SetFont(font());
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < columns_; ++column) {
            const QRect rect = CellRect(column, row);
            if (!rect.intersects(event->rect())) continue;
            // The names stand on a header face, the bits on the field colour.
            painter.fillRect(rect, p.color(row == 0 ? QPalette::Button : QPalette::Base));
            painter.setPen(p.color(row == 0 ? QPalette::ButtonText : QPalette::Text));
            text_.Draw(painter, rect, Qt::AlignCenter, Cell(column, row));
        }
    }
}

void TBitGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < columns_; ++column)
            if (CellRect(column, row).contains(p)) {
                emit cellClicked(column, row);
                return;
            }
}
