#pragma once
#include <QAbstractTableModel>
#include <QElapsedTimer>
#include <QWidget>
#include <cstdint>

#include "windows/displayframe.h"
#include "windows/toolframe.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QTreeWidget;
class TCoditions;
class TMemory;
class TTrace;

// The recorded bus accesses as a table: "Naslov", "Podatki", "R/W". The rows are the trace's
// own compact records, formatted only when a view asks for a cell. Rows recorded since the
// last Flush() are announced to the views in one batch, so a program that records at every
// step costs one insertion per display frame, not one per access.
class TTraceModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TTraceModel(TTrace& trace, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Whether the trace holds other rows than the views were last told of.
    bool Stale() const;
    // Announces the rows recorded since the last call (or, when rows were emptied or taken back
    // meanwhile, the rows anew).
    void Flush();
    // "Brisi Trace": empties the recorded rows; the conditions and the trigger stay.
    void ClearRows();
    // The rows were replaced as a whole: the views take them anew.
    void Reset();

private:
    TTrace& trace_;
    int shownRows_ = 0;
    uint64_t shownRecorded_ = 0; // the trace's RowsRecorded() at the last announcement
};

// One condition page of the trace window ("Trigger" or "Qualifier"): the buttons "Brisi Vse",
// "Brisi <noun>" and "Dodaj <noun>", the entry fields "Naslov:", "Podatek:" and "R/W:", and the
// list of the conditions, newest first. Adding parses the fields (they keep their text);
// removing parses the selected row back, which finds the condition that produced it.
class TConditionPage : public QWidget {
    Q_OBJECT
public:
    // The list must outlive the page.
    TConditionPage(TCoditions& conditions, const QString& noun, QWidget* parent = nullptr);

    QLineEdit* AddressField() const { return txtNaslov; }
    QLineEdit* DataField() const { return txtPodatek; }
    QLineEdit* DirectionField() const { return txtRW; }
    QPushButton* AddButton() const { return btnDodaj; }
    QPushButton* RemoveButton() const { return btnBrisi; }
    QPushButton* ClearButton() const { return btnBrisiVse; }
    QTreeWidget* List() const { return lvSeznam; }

    // The buttons, callable directly. Add shows "Napacni podatki!" for an entry it cannot read.
    void Add();
    void RemoveSelected();
    void ClearAll();
    // Shows the list anew after the conditions were replaced (a snapshot was opened).
    void Relist();

private:
    TCoditions& conditions_;
    QPushButton* btnBrisiVse;
    QPushButton* btnBrisi;
    QPushButton* btnDodaj;
    QLineEdit* txtNaslov;
    QLineEdit* txtPodatek;
    QLineEdit* txtRW;
    QTreeWidget* lvSeznam;
};

// "Trace": switches recording on and off, shows the recorded accesses and edits the trigger
// and qualifier conditions, on three pages ("Trace", "Trigger", "Qualifier"; it opens on
// "Qualifier"). The recording switch, the conditions and the rows are the address space's
// (TMemory.TraceEnabled, TTrace): the window only shows and edits them.
//
// At every display frame the window announces the rows recorded since the last one to the
// table, except that during a run rows landing below the part of the list in view wait a few
// frames (they only move the scroll bar). The table keeps its place as rows are added (the
// moment the trigger struck stays in view); the scroll bar shows the trace growing.
class TfrmTrace : public TToolFrame {
    Q_OBJECT
public:
    // The memory must outlive the window.
    explicit TfrmTrace(TMemory& memory, QWidget* parent = nullptr);

    QTabWidget* Pages() const { return pcStrani; }
    QCheckBox* TraceSwitch() const { return cbTrace; }
    QPushButton* ClearTraceButton() const { return btnBrisiTrace; }
    QTableView* TraceList() const { return lvTrace; }
    TTraceModel* Model() const { return model_; }
    TConditionPage* TriggerPage() const { return triggers_; }
    TConditionPage* QualifierPage() const { return qualifiers_; }

    // A display frame: shows what was recorded since the last one.
    void DrawFrame(const TDisplayFrame& frame = {});
    // The conditions and the rows were replaced (a snapshot was opened): both lists anew.
    void Reload();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Draw();
    // Whether rows added now would show: the end of the list is in view.
    bool NewRowsInView() const;

    // During a fast run, rows that would not show are announced at most this often (ms).
    static constexpr int kOutOfViewMs = 250;

    TMemory& memory_;
    QElapsedTimer lastShown_; // when the rows were last announced
    TTraceModel* model_;
    QTabWidget* pcStrani;
    QCheckBox* cbTrace;
    QPushButton* btnBrisiTrace;
    QLabel* lblPolna;           // shown once the trace is full
    uint64_t shownDropped_ = 0; // the dropped-access count the label shows
    QTableView* lvTrace;
    TConditionPage* triggers_;
    TConditionPage* qualifiers_;
};
