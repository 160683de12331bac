#pragma once
#include <QWidget>
#include <cstdint>

// The bit grid of an 8-bit device register: two rows of eight cells, 22 x 14 pixels each, no
// scroll bars, no editing. Row 0 names the bits "b7" ... "b0" on a header face; row 1 shows the
// register's bits as "0" and "1", bit 7 leftmost. The grid holds the value it was last given;
// setting a different one schedules a repaint, nothing else does.
class TRegisterBits : public QWidget {
    Q_OBJECT
public:
    explicit TRegisterBits(QWidget* parent = nullptr);

    static constexpr int kColumns = 8;
    static constexpr int kCellWidth = 22;
    static constexpr int kCellHeight = 14;
    static constexpr int kLine = 1; // grid line width

    uint8_t Value() const { return value_; }
    void SetValue(uint8_t value);
    // The text of a cell: "b7" ... "b0" in row 0, "0" / "1" in row 1.
    QString Cell(int column, int row) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect CellRect(int column, int row) const;

    uint8_t value_ = 0;
};
