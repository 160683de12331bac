#pragma once
#include <QAbstractTableModel>
#include <QWidget>

#include "session/log.h"

class QPushButton;
class QTableView;
class QTimer;

// The run log as a table: one row per log line (header lines included), one column per
// tab-separated field. Rows are formatted only when the view asks for them, and appended rows
// are announced to the view in batches, so a long fast run costs one vector push per step.
class TLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kColumns = 12;

    // Takes over the log's onAppended callback. The log must outlive the model.
    explicit TLogModel(TLog& log, QObject* parent = nullptr);
    ~TLogModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Announces the lines appended since the last call to the views (normally done by a
    // zero-interval timer after each burst of appends).
    void Flush();
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
    QTimer* flushTimer_;
};

// The log window "Dnevnik": the button "Brisi dnevnik" over the table of log lines. It follows
// the end of the log while the last row is in view.
class TfrmLog : public QWidget {
    Q_OBJECT
public:
    explicit TfrmLog(TLog& log, QWidget* parent = nullptr);

    TLogModel* Model() const { return model_; }
    QTableView* View() const { return view_; }
    QPushButton* ClearButton() const { return btnBrisi; }

private:
    void RowsAppended();

    TLogModel* model_;
    QTableView* view_;
    QPushButton* btnBrisi;
    bool followEnd_ = true;
};
