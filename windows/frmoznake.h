#pragma once
#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <vector>

#include "session/symbols.h"
#include "session/watches.h"
#include "windows/displayframe.h"
#include "windows/toolframe.h"

class QLabel;
class QLineEdit;
class QMenu;
class QTableView;

// The labels of a TSymbolTable as a table: name, value ("$2000") and source line; sorted and
// filtered by the table's own rules, so the view only shows what it is given.
class TSymbolModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, ValueColumn, LineColumn, ColumnCount };

    explicit TSymbolModel(const TSymbolTable& symbols, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    void SetFilter(const QString& filter);
    // Takes the rows again (the table was replaced).
    void Reload();
    // The label of a row, nullptr past the last one.
    const LabelEntry* Entry(int row) const;

private:
    const TSymbolTable& symbols_;
    QString filter_;
    TSymbolTable::SortKey key_ = TSymbolTable::SortKey::Name;
    bool descending_ = false;
    std::vector<size_t> rows_;
};

// The symbol window "Oznake": every label of the last successful assembly with its value and
// source line, sortable by a click on a column header, with a filter field over the table (a
// part of the name, or "$" and the start of the value). Empty until the first successful
// assembly; a display frame that finds the table replaced lists it anew.
//
// Double-click (or Enter) on a label asks for it to be shown: symbolActivated. The context menu
// offers the same and adds the label to the watched variables as a byte or a word.
class TfrmOznake : public TToolFrame {
    Q_OBJECT
public:
    // The table must outlive the window.
    explicit TfrmOznake(TSymbolTable& symbols, QWidget* parent = nullptr);

    TSymbolModel* Model() const { return model_; }
    QTableView* Table() const { return sgOznake; }
    QLineEdit* FilterField() const { return txtFilter; }
    QLabel* StatusLabel() const { return lblStanje; }
    QMenu* ContextMenu() const { return mnuOznaka; }

    // What a double-click on a row does, callable directly.
    void ActivateRow(int row);
    // The context menu's watch items for a row.
    void WatchRow(int row, WatchSize size);

    // A display frame: a table replaced since the last one is listed anew.
    void DrawFrame(const TDisplayFrame& frame = {});

signals:
    // Show the label: its source line in the code window, its value in the address space.
    void symbolActivated(uint16_t value, int line);
    // Add the label (UTF-8 name) to the watched variables.
    void watchRequested(const QString& name, WatchSize size);

private:
    void UpdateStatus();
    int CurrentRow() const;

    TSymbolTable& symbols_;
    uint64_t shownGeneration_ = 0; // the table's Generation() the list shows
    TSymbolModel* model_;
    QLineEdit* txtFilter;
    QTableView* sgOznake;
    QLabel* lblStanje;
    QMenu* mnuOznaka;
};
