#pragma once
#include <QWidget>
#include <cstdint>
#include <vector>

#include "windows/displayframe.h"
#include "windows/monotext.h"

class TSession;

// A small grid of text cells drawn in one paint: yellow Courier text on navy with grid lines,
// fixed column widths and 18-pixel rows, no scroll bars, no editing. A click selects a cell,
// a double-click reports it. Setting a text that differs schedules a repaint; nothing else does.
class TTextGrid : public QWidget {
    Q_OBJECT
public:
    TTextGrid(const std::vector<int>& columnWidths, int rows, int pointSize, QWidget* parent = nullptr);

    static constexpr int kRowHeight = 18;

    int ColumnCount() const { return static_cast<int>(widths_.size()); }
    int RowCount() const { return rows_; }
    void SetColumnWidth(int column, int width);
    int ColumnWidth(int column) const { return widths_.at(static_cast<size_t>(column)); }

    QString Cell(int column, int row) const;
    void SetCell(int column, int row, const QString& text);

    int SelectedColumn() const { return selColumn_; }
    int SelectedRow() const { return selRow_; }
    void Select(int column, int row);
    // The cell under a point in widget coordinates, or (-1, -1).
    QPoint CellAt(const QPoint& position) const;
    // The centre of a cell in widget coordinates (for tests and tools).
    QPoint CellCentre(int column, int row) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void cellDoubleClicked(int column, int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QRect CellRect(int column, int row) const;

    std::vector<int> widths_;
    int rows_;
    std::vector<QString> cells_; // row-major
    int selColumn_ = 0;
    int selRow_ = 0;
    TMonoText text_; // draws the cells
};

// The panels under the toolbar: registers gRegistri (A, B, D, X, PC, SP), condition codes
// gCCR (H I N Z V C), the cycle counter gCikli beside them ("Cikli:" and the time on the chip)
// and the instruction grid sgUkaz (previous and next instruction). They show the session's
// processor; its fields are the truth and every display frame that shows the processor rewrites
// the cells from them. Double-clicks ask for a register value (through the value-entry dialog)
// or toggle a flag; the session applies the edit, which it does only while a program is loaded,
// and the panels then ask for a display frame. The session must outlive every use of the panels.
class TRegisterPanels : public QWidget {
    Q_OBJECT
public:
    explicit TRegisterPanels(TSession& session, QWidget* parent = nullptr);

    // A display frame: rewrites the register, flag, cycle and instruction cells from the session
    // when the frame shows the processor; otherwise the cells keep their last contents. Only
    // changed cells are repainted, later, by the event loop.
    void DrawFrame(const TDisplayFrame& frame = {});

    // The name in the "Naslednji ukaz:" cell.
    QString NextInstruction() const { return sgUkaz->Cell(1, 1); }

    // The double-click actions, callable directly. Both do nothing unless loaded.
    // column, row: the cell of gRegistri; column: the column of gCCR.
    void EditRegister(int column, int row);
    void ToggleFlag(int column);
    // The double-click on the cycle counter: back to 0 (to time one stretch of the program).
    void ResetCycles();

    TTextGrid* Registers() const { return gRegistri; }
    TTextGrid* Flags() const { return gCCR; }
    TTextGrid* Cycles() const { return gCikli; }
    TTextGrid* Instructions() const { return sgUkaz; }

signals:
    // A register or a flag was changed by the user: the display is to show it.
    void refreshRequested();

private:
    bool Loaded() const;
    // Widens the next-instruction column when an instruction name is longer than its 50 pixels
    // (the names carry the addressing mode, e.g. "LDAA EXT").
    void FitInstructionColumn();
    void ShowCycles();

    TSession& session_;
    TTextGrid* gRegistri;
    TTextGrid* gCCR;
    TTextGrid* gCikli;
    TTextGrid* sgUkaz;
};
