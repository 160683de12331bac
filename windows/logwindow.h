#pragma once
#include <QAbstractScrollArea>
#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QWidget>

#include <algorithm>
#include <vector>

#include "session/log.h"
#include "windows/monotext.h"

class QLabel;
class QPushButton;
class QTimer;

// The run log as a table: one row per log line (header lines included), one column per
// tab-separated field. Rows are formatted only when the view asks for them, and appended rows
// are announced to the view in batches, so a long fast run costs one vector push per step.
// When the log drops its oldest lines (a turbo run keeps only the most recent ones) or takes
// lines back (reverse step), the model is reset at the next batch.
class TLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 12;
    // New rows reach the views at most this often (ms): a fast run appends a line every
    // millisecond, far faster than anyone reads, and each batch costs one repaint.
    static constexpr int kFlushInterval = 40;

    // Takes over the log's onAppended callback. While the model exists, the log must too.
    explicit TLogModel(TLog& log, QObject* parent = nullptr);
    ~TLogModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Announces the lines appended since the last call to the views (normally done by a
    // timer, kFlushInterval after the first of a burst of appends).
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
    void Appended();

    TLog& log_;
    int shownRows_ = 0;
    uint64_t shownDropped_ = 0;
    QTimer* flushTimer_;
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

private:
    void ShowDropped();

    TLogModel* model_;
    TLogView* view_;
    QPushButton* btnBrisi;
    QLabel* lblIzpusceno;
};
