#pragma once
#include <QStringList>
#include <QWidget>
#include <cstdint>

#include "windows/monotext.h"

// The bit grid of a device register: two rows of one cell per bit (eight, or five for Port 2),
// 22 x 14 pixels each, no scroll bars, no editing. Row 0 names the bits "b7" ... "b0" on a header
// face; row 1 shows the register's bits as "0" and "1", the highest bit leftmost. The grid holds
// the value it was last given; setting a different one schedules a repaint, nothing else does.
// A click on a cell is reported. Each column can carry the name of its bit and what it does,
// shown as the tool tip of both its cells (the captions stay "b7" ... "b0").
class TBitGrid : public QWidget {
    Q_OBJECT
public:
    explicit TBitGrid(int columns = 8, QWidget* parent = nullptr);

    static constexpr int kCellWidth = 22;
    static constexpr int kCellHeight = 14;
    static constexpr int kLine = 1; // grid line width

    int ColumnCount() const { return columns_; }
    uint8_t Value() const { return value_; }
    void SetValue(uint8_t value);
    // The text of a cell: "b7" ... "b0" in row 0, "0" / "1" in row 1.
    QString Cell(int column, int row) const;
    QPoint CellCentre(int column, int row) const { return CellRect(column, row).center(); }
    // The bits' names and meanings, one line per bit from the highest down: "ICF – ...".
    void SetBitHints(const QStringList& hints);
    // The tool tip of a column: "b7 ICF – ...", empty without a hint.
    QString BitHint(int column) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void cellClicked(int column, int row);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QRect CellRect(int column, int row) const;

    int columns_;
    uint8_t value_ = 0;
    QStringList hints_;
    TMonoText text_; // draws the cells
};
