#pragma once
#include <QAbstractScrollArea>
#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QWidget>

#include <algorithm>
#include <vector>

#include "session/log.h"
#include "windows/displayframe.h"
#include "windows/monotext.h"

class QLabel;
class QPushButton;
class QTimer;

// The run log as a table: one row per log line (header lines included), one column per
// tab-separated field. Rows are formatted only when the view asks for them, and the rows
// appended since the last display frame are announced to the view in one batch, so a long fast
// run costs one vector push per step and one repaint per frame. When the log drops its oldest
// lines (a turbo run keeps only the most recent ones) or takes lines back (reverse step), the
// model is reset at the next batch.
class TLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 12;

    // While the model is used, the log must exist.
    explicit TLogModel(TLog& log, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Announces the lines appended since the last call to the views (done at every display
    // frame), or all lines anew when lines were dropped, taken back or emptied meanwhile.
    void Flush();
    // Earlier lines the log dropped, as the views last saw the log.
    uint64_t Dropped() const { return shownDropped_; }
    // Empties the log and writes the header line again.
    void ClearLog();
    // Text of one row as the log line (tab-separated).
    QString RowText(int row) const;

    TLog& Log() const { return log_; }

signals:
    // Emitted after new rows became visible to the views.
    void rowsAppended();

private:
    TLog& log_;
    int shownRows_ = 0;
    uint64_t shownDropped_ = 0;
    uint64_t shownAppended_ = 0; // the log's Appended() at the last announcement
};

// A view of a TLogModel that paints only the rows in sight, straight from the model: appending
// rows costs a scroll-bar range change, however long the log grows. While the view follows the
// end and rows keep coming (a fast run), the scroll bar catches up at most kScrollBarMs apart:
// the newest rows are drawn at every batch, and the bar, whose handle hardly moves in a long
// log, is not repainted with each. Rows are selected with the mouse (Shift extends) and Ctrl+C
// copies them as tab-separated log lines.
class TLogView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TLogView(TLogModel* model, QWidget* parent = nullptr);

    static constexpr int kScrollBarMs = 250;

    int RowHeight() const { return rowHeight_; }
    // Rows that fit in the viewport.
    int VisibleRows() const;
    int FirstVisibleRow() const;
    void ScrollToBottom();
    bool AtBottom() const;
    // Selected rows, first..last inclusive; first = -1 when none.
    int SelectionFirst() const { return std::min(anchor_, current_); }
    int SelectionLast() const { return std::max(anchor_, current_); }
    void SelectRows(int anchor, int current);
    // The text Ctrl+C puts on the clipboard: the selected lines, each ending in a line break.
    QString SelectedText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void UpdateScrollBars();
    void RowsArrived();
    int RowAt(int y) const;

    TLogModel* model_;
    int rowHeight_ = 14;
    int baseline_ = 12; // from a row's top to the text's baseline
    int charWidth_ = 8;
    std::vector<int> columnX_;    // left edge of each column, in pixels
    std::vector<int> columnChar_; // left edge of each column, in characters
    int contentWidth_ = 0;
    int anchor_ = -1;
    int current_ = -1;
    bool followAfterReset_ = false;
    // Where the view stood before rows were appended, and whether RowsArrived is moving it.
    int firstBefore_ = 0;
    int rowsBefore_ = 0;
    bool following_ = false;
    bool scrolledUnpainted_ = false; // the pixels were moved and not painted since
    // Following the end ahead of the scroll bar, which shows an older range until the next
    // UpdateScrollBars().
    bool barBehind_ = false;
    QElapsedTimer barUpdated_;
    QTimer* barTimer_;
    TMonoText text_; // draws the rows
};

// The log window "Dnevnik": the button "Brisi dnevnik" over the log lines. It follows the end of
// the log while the last row is in view. When the log has dropped earlier lines (a turbo run
// keeps only the most recent ones), a line beside the button says how many.
class TfrmLog : public QWidget {
    Q_OBJECT
public:
    explicit TfrmLog(TLog& log, QWidget* parent = nullptr);

    TLogModel* Model() const { return model_; }
    TLogView* View() const { return view_; }
    QPushButton* ClearButton() const { return btnBrisi; }
    QLabel* DroppedLabel() const { return lblIzpusceno; }

    // "Starejših zapisov, ki jih dnevnik ni obdržal: 1.234.567"; empty for none.
    static QString DroppedText(uint64_t dropped);

    // A display frame: the lines logged since the last one are shown. While a program is
    // loaded they are shown at most once per kBatchMs: steps faster than that (a held F7, a
    // fast run) add their lines in batches, and the frames go on while a program is loaded (the
    // run's, the device clocks'), so a later one shows what this one left.
    void DrawFrame(const TDisplayFrame& frame = {});
    static constexpr int kBatchMs = 30;

private:
    void ShowDropped();

    TLogModel* model_;
    TLogView* view_;
    QPushButton* btnBrisi;
    QLabel* lblIzpusceno;
    QElapsedTimer lastBatch_; // when lines were last shown
};
