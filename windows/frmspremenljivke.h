#pragma once
#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

#include "session/watches.h"
#include "windows/displayframe.h"
#include "windows/toolframe.h"

class QComboBox;
class QLineEdit;
class QMenu;
class QTableView;
class QToolButton;

// The watched variables as a table: the target, its size, its address and the value in every
// form. The texts are taken by Refresh, so painting reads nothing from the machine, and only
// rows whose texts changed are announced to the view.
class TWatchModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        TargetColumn,
        SizeColumn,
        AddressColumn,
        HexColumn,
        UnsignedColumn,
        SignedColumn,
        BcdColumn,
        CharColumn,
        ColumnCount
    };

    explicit TWatchModel(const TWatchList& watches, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Takes the list again (watches added, removed or changed).
    void Reload();
    // Reads the values again and announces the rows that changed.
    void Refresh();
    // The texts of a row, one per column.
    QStringList RowTexts(int row) const;

private:
    QStringList Texts(size_t index) const;

    const TWatchList& watches_;
    std::vector<QStringList> rows_;
};

// The watch window "Spremenljivke": a field for a label or an address (STEVEC, STEVEC+1, $1000),
// the choice between byte and word and "Dodaj" over the table of watched variables, "Odstrani"
// under it (Delete does the same); the context menu switches a row between byte and word or
// removes it. A refused entry is explained in a message and stays in the field.
//
// The values are read again at every display frame while the window is shown, and when it is
// shown again; a list the owner replaced (another document) is taken at the next frame too. The
// window's own edits of the list are told with watchesChanged().
class TfrmSpremenljivke : public TToolFrame {
    Q_OBJECT
public:
    // The list must outlive the window.
    explicit TfrmSpremenljivke(TWatchList& watches, QWidget* parent = nullptr);

    TWatchModel* Model() const { return model_; }
    QTableView* Table() const { return sgSpremenljivke; }
    QLineEdit* TargetField() const { return txtNaslov; }
    QComboBox* SizeChoice() const { return cmbVelikost; }
    QToolButton* AddButton() const { return btnDodaj; }
    QToolButton* RemoveButton() const { return btnOdstrani; }
    QMenu* ContextMenu() const { return mnuSpremenljivka; }

    // The controls' actions, callable directly.
    void AddFromField();
    // Adds a watch (the symbol window's context menu); false when refused (and explained).
    bool AddWatch(const QString& target, WatchSize size);
    void RemoveSelected();
    void SetSelectedSize(WatchSize size);

    // A display frame: reads the values again when shown.
    void DrawFrame(const TDisplayFrame& frame = {});

signals:
    // The user changed the list of watches (to be kept with the document).
    void watchesChanged();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int SelectedRow() const;
    void ListChanged();

    TWatchList& watches_;
    TWatchModel* model_;
    QLineEdit* txtNaslov;
    QComboBox* cmbVelikost;
    QToolButton* btnDodaj;
    QTableView* sgSpremenljivke;
    QToolButton* btnOdstrani;
    QMenu* mnuSpremenljivka;
};
