#pragma once
#include <QWidget>
#include <functional>
#include <vector>

#include "engine/memory.h"
#include "session/addressview.h"
#include "windows/displayframe.h"
#include "windows/monotext.h"
#include "windows/toolframe.h"

class QTimer;
class QToolButton;
class TAddressView;

// The list of the address-space window: one 16-pixel row per address, yellow fixed-pitch text on
// navy, painted from the cells taken at the last redraw (a few dozen at most), so a frame costs
// no widget per row and a paint reads nothing from the machine. A click selects a row, a
// double-click reports it. In place of the bytes it can show rows of instructions, the row of PC
// on a dark red band.
class TAddressList : public QWidget {
    Q_OBJECT
public:
    explicit TAddressList(QWidget* parent = nullptr);

    static constexpr int kRowHeight = 16;

    // How many rows the list's height holds.
    int FittingRows() const { return height() / kRowHeight; }
    // Shows these cells from `top` on; repaints only when anything differs from what is shown.
    void SetRows(uint16_t top, std::vector<MemoryCell> cells);
    // Shows rows of instructions from `top` on; repaints only when they differ from what is shown.
    void SetInstructions(uint16_t top, std::vector<TDisRow> rows);
    bool ShowsInstructions() const { return instructions_; }
    int RowCount() const { return static_cast<int>(instructions_ ? rows_.size() : cells_.size()); }
    // The address of a listed row (its first byte).
    uint16_t RowAddress(int row) const;
    // The text of a listed row (UTF-8 decoded), empty past the last one.
    QString RowText(int row) const;
    int SelectedRow() const { return selected_; }
    // The centre of a row in widget coordinates (for tests and tools).
    QPoint RowCentre(int row) const { return {width() / 2, row * kRowHeight + kRowHeight / 2}; }

signals:
    void rowDoubleClicked(int row);
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int RowAt(const QPoint& position) const;
    void UpdateRow(int row); // schedules the row to be drawn again

    uint16_t top_ = 0;
    std::vector<MemoryCell> cells_;
    bool instructions_ = false;
    std::vector<TDisRow> rows_;
    int selected_ = -1;
    TMonoText text_; // draws the rows
};

// The address-space window "Naslovni prostor": the list and, in a narrow strip at its right, the
// back and forward buttons (100 ms auto-repeat while held), the jump btnSkok, the follow/freeze
// toggle btnZmrzni ("X" follows the program counter, "O" is frozen), the clear btnBrisi and the
// toggle btnUkazi between the bytes and the instructions from the first address on. A
// double-click on a row edits its byte (an instruction's first byte) while a program is loaded.
//
// The window is a view of a TAddressView, which holds memoryTop and the follow state and knows
// the rules. The list is drawn at the display frames from the first one with a program loaded
// on (before that the memory holds nothing worth listing); every button that changes the view or
// the memory asks for a frame with refreshRequested().
class TfrmSpomin : public TToolFrame {
    Q_OBJECT
public:
    explicit TfrmSpomin(TAddressView& view, QWidget* parent = nullptr);

    static constexpr int kRepeatMs = 100;

    // A display frame: the buttons show the view's state, and the live list takes its rows
    // from the view's first address (repainting what differs). A list that cannot be drawn is
    // told ("Napaka pri izpisu") and keeps what it showed.
    void DrawFrame(const TDisplayFrame& frame = {});
    // Takes the rows now and makes the list live, so that it also follows resizing. Returns
    // true (a failure would be thrown).
    bool Redraw();
    bool Live() const { return live_; }

    TAddressList* List() const { return lbSpomin; }
    QToolButton* BackButton() const { return btnGor; }
    QToolButton* ForwardButton() const { return btnDol; }
    QToolButton* JumpButton() const { return btnSkok; }
    QToolButton* FreezeButton() const { return btnZmrzni; }
    QToolButton* ClearButton() const { return btnBrisi; }
    QToolButton* InstructionsButton() const { return btnUkazi; }
    QTimer* RepeatTimer() const { return tmrPonovi; }

    // The actions of the controls, callable directly.
    void Back();
    void Forward();
    void Jump();
    void ToggleFreeze();
    void ClearMemory();
    void ToggleInstructions();
    // Edits the byte of a listed row (nothing unless a program is loaded).
    void EditRow(int row);

signals:
    // The view or the memory changed: the display is to be drawn anew from memoryTop.
    void refreshRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Snapshot();

    TAddressView& view_;
    bool live_ = false;
    bool repeatForward_ = false;
    TAddressList* lbSpomin;
    QToolButton* btnGor;
    QToolButton* btnDol;
    QToolButton* btnSkok;
    QToolButton* btnZmrzni;
    QToolButton* btnBrisi;
    QToolButton* btnUkazi;
    QTimer* tmrPonovi;
};

// Runs a drawing of the address list. A drawing that fails (it returns false, or throws: out of
// memory, an error of the list's own code) is told as "Napaka pri izpisu", with its reason when it
// has one, and goes no further: nothing is thrown across a signal. Returns whether it succeeded.
bool DrawOrTell(const std::function<bool()>& draw);
