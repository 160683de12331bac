#include "windows/frmoznake.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QVBoxLayout>

#include "base/encoding.h"
#include "engine/hex.h"
#include "windows/displaystyle.h"
#include "windows/plaintextdelegate.h"

namespace {

QString Utf8(const std::string& cp1250) { return QString::fromStdString(Cp1250ToUtf8(cp1250)); }

} // namespace

// ============================================================================ TSymbolModel

TSymbolModel::TSymbolModel(const TSymbolTable& symbols, QObject* parent)
    : QAbstractTableModel(parent), symbols_(symbols) {
    Reload();
}

int TSymbolModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TSymbolModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

const LabelEntry* TSymbolModel::Entry(int row) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return nullptr;
    return &symbols_.Entries()[rows_[static_cast<size_t>(row)]];
}

QVariant TSymbolModel::data(const QModelIndex& index, int role) const {
    const LabelEntry* e = Entry(index.row());
    if (!e || role != Qt::DisplayRole) return {};
    switch (index.column()) {
    case NameColumn:
        return Utf8(e->Name);
    case ValueColumn:
        return QStringLiteral("$") + QString::fromLatin1(HexText(e->Value, 4));
    case LineColumn:
        return e->Line > 0 ? QVariant(e->Line) : QVariant();
    default:
        return {};
    }
}

QVariant TSymbolModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
    case NameColumn:
        return QStringLiteral("Oznaka");
    case ValueColumn:
        return QStringLiteral("Vrednost");
    case LineColumn:
        return QStringLiteral("Vrstica");
    default:
        return {};
    }
}

void TSymbolModel::sort(int column, Qt::SortOrder order) {
    key_ = column == ValueColumn  ? TSymbolTable::SortKey::Value
           : column == LineColumn ? TSymbolTable::SortKey::Line
                                  : TSymbolTable::SortKey::Name;
    descending_ = order == Qt::DescendingOrder;
    Reload();
}

void TSymbolModel::SetFilter(const QString& filter) {
    if (filter == filter_) return;
    filter_ = filter;
    Reload();
}

void TSymbolModel::Reload() {
    beginResetModel();
    rows_ = symbols_.Rows(filter_.toStdString(), key_, descending_);
    endResetModel();
}

// ============================================================================ TfrmOznake

TfrmOznake::TfrmOznake(TSymbolTable& symbols, QWidget* parent)
    : TToolFrame(QStringLiteral("Oznake"), Collapse::Strip, parent), symbols_(symbols) {
    setObjectName(QStringLiteral("frmOznake"));
    Widget2()->SetShowHint(true);

    auto* layout = new QVBoxLayout(Body());
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    txtFilter = new QLineEdit(Body());
    txtFilter->setObjectName(QStringLiteral("txtFilter"));
    txtFilter->setPlaceholderText(QStringLiteral("Filter: del imena ali $naslov"));
    txtFilter->setClearButtonEnabled(true);
    layout->addWidget(txtFilter);

    model_ = new TSymbolModel(symbols_, this);
    sgOznake = new QTableView(Body());
    sgOznake->setItemDelegate(new TPlainTextDelegate(sgOznake));
    sgOznake->setObjectName(QStringLiteral("sgOznake"));
    sgOznake->setModel(model_);
    sgOznake->setFont(FixedFont(sgOznake->font()));
    sgOznake->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgOznake->setSelectionMode(QAbstractItemView::SingleSelection);
    sgOznake->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgOznake->setSortingEnabled(true);
    sgOznake->sortByColumn(TSymbolModel::NameColumn, Qt::AscendingOrder);
    sgOznake->verticalHeader()->hide();
    sgOznake->verticalHeader()->setDefaultSectionSize(sgOznake->fontMetrics().height() + 2);
    // The name takes what the window's width leaves; value and line are short.
    QHeaderView* header = sgOznake->horizontalHeader();
    header->setSectionResizeMode(TSymbolModel::NameColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(TSymbolModel::ValueColumn, QHeaderView::Fixed);
    header->setSectionResizeMode(TSymbolModel::LineColumn, QHeaderView::Fixed);
    sgOznake->setColumnWidth(TSymbolModel::ValueColumn, 75);
    sgOznake->setColumnWidth(TSymbolModel::LineColumn, 60);
    sgOznake->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(sgOznake, 1);

    lblStanje = new QLabel(Body());
    lblStanje->setObjectName(QStringLiteral("lblStanje"));
    layout->addWidget(lblStanje);

    mnuOznaka = new QMenu(this);
    mnuOznaka->setObjectName(QStringLiteral("mnuOznaka"));
    QAction* show = mnuOznaka->addAction(QStringLiteral("Pokaži v kodi in naslovnem prostoru"));
    mnuOznaka->addSeparator();
    QAction* watchByte = mnuOznaka->addAction(QStringLiteral("Opazuj kot bajt"));
    QAction* watchWord = mnuOznaka->addAction(QStringLiteral("Opazuj kot besedo"));
    show->setObjectName(QStringLiteral("mnuPokazi"));
    watchByte->setObjectName(QStringLiteral("mnuOpazujBajt"));
    watchWord->setObjectName(QStringLiteral("mnuOpazujBesedo"));
    connect(show, &QAction::triggered, this, [this] { ActivateRow(CurrentRow()); });
    connect(watchByte, &QAction::triggered, this, [this] { WatchRow(CurrentRow(), WatchSize::Byte); });
    connect(watchWord, &QAction::triggered, this, [this] { WatchRow(CurrentRow(), WatchSize::Word); });
    connect(sgOznake, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = sgOznake->indexAt(at);
        if (!index.isValid()) return;
        sgOznake->selectRow(index.row());
        mnuOznaka->popup(sgOznake->viewport()->mapToGlobal(at));
    });

    connect(sgOznake, &QAbstractItemView::activated, this,
            [this](const QModelIndex& i) { ActivateRow(i.row()); });
    connect(txtFilter, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_->SetFilter(text);
        UpdateStatus();
    });
    shownGeneration_ = symbols_.Generation();
    UpdateStatus();
    resize(300, 360);
}

void TfrmOznake::DrawFrame(const TDisplayFrame&) {
    if (symbols_.Generation() == shownGeneration_) return;
    shownGeneration_ = symbols_.Generation();
    model_->Reload();
    UpdateStatus();
}

void TfrmOznake::UpdateStatus() {
    if (symbols_.Empty()) {
        lblStanje->setText(QStringLiteral("Ni še uspešnega prevoda z oznakami."));
        return;
    }
    const int total = static_cast<int>(symbols_.Entries().size());
    const int shown = model_->rowCount();
    lblStanje->setText(shown == total ? QStringLiteral("Oznake: %1").arg(total)
                                      : QStringLiteral("Oznake: %1 od %2").arg(shown).arg(total));
}

int TfrmOznake::CurrentRow() const {
    const QModelIndex index = sgOznake->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void TfrmOznake::ActivateRow(int row) {
    if (const LabelEntry* e = model_->Entry(row)) emit symbolActivated(e->Value, e->Line);
}

void TfrmOznake::WatchRow(int row, WatchSize size) {
    if (const LabelEntry* e = model_->Entry(row)) emit watchRequested(Utf8(e->Name), size);
}
