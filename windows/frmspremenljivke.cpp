#include "windows/frmspremenljivke.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/hex.h"
#include "windows/displaystyle.h"
#include "windows/plaintextdelegate.h"
#include "windows/prompt.h"

namespace {

const QString kTitle = QStringLiteral("Spremenljivke");

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

} // namespace

// ============================================================================ TWatchModel

TWatchModel::TWatchModel(const TWatchList& watches, QObject* parent)
    : QAbstractTableModel(parent), watches_(watches) {
    Reload();
}

int TWatchModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TWatchModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant TWatchModel::data(const QModelIndex& index, int role) const {
    if (index.row() < 0 || index.row() >= rowCount() || index.column() >= ColumnCount) return {};
    if (role == Qt::DisplayRole) return rows_[static_cast<size_t>(index.row())][index.column()];
    if (role == Qt::TextAlignmentRole && index.column() >= UnsignedColumn && index.column() <= BcdColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant TWatchModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const names[ColumnCount] = {"Spremenljivka", "Oblika",      "Naslov", "Hex",
                                                   "Nepredznačeno", "Predznačeno", "BCD",    "Znak"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(names[section]) : QVariant();
}

QStringList TWatchModel::Texts(size_t index) const {
    const TWatch& watch = watches_.Watches()[index];
    const TWatchRow row = watches_.Row(index);
    const bool word = watch.Size == WatchSize::Word;
    QStringList texts{Q(watch.Target), word ? QStringLiteral("beseda") : QStringLiteral("bajt")};
    if (!row.Resolved) {
        texts << QStringLiteral("?") << QStringLiteral("ni oznake") << QString() << QString() << QString()
              << QString();
        return texts;
    }
    texts << QStringLiteral("$") + QString::fromLatin1(HexText(row.Address, 4)) << Q(row.Text.Hex)
          << Q(row.Text.Unsigned) << Q(row.Text.Signed) << Q(row.Text.Bcd) << Q(row.Text.Char);
    return texts;
}

QStringList TWatchModel::RowTexts(int row) const {
    return row >= 0 && row < rowCount() ? rows_[static_cast<size_t>(row)] : QStringList();
}

void TWatchModel::Reload() {
    beginResetModel();
    rows_.clear();
    for (size_t i = 0; i < watches_.Count(); ++i)
        rows_.push_back(Texts(i));
    endResetModel();
}

void TWatchModel::Refresh() {
    if (rows_.size() != watches_.Count()) {
        Reload();
        return;
    }
    for (size_t i = 0; i < rows_.size(); ++i) {
        QStringList texts = Texts(i);
        if (texts == rows_[i]) continue;
        rows_[i] = std::move(texts);
        const int row = static_cast<int>(i);
        emit dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::DisplayRole});
    }
}

// ============================================================================ TfrmSpremenljivke

TfrmSpremenljivke::TfrmSpremenljivke(TWatchList& watches, QWidget* parent)
    : TToolFrame(kTitle, Collapse::Strip, parent), watches_(watches) {
    setObjectName(QStringLiteral("frmSpremenljivke"));
    Widget2()->SetShowHint(true);

    auto* layout = new QVBoxLayout(Body());
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    auto* entry = new QHBoxLayout();
    entry->setSpacing(2);
    txtNaslov = new QLineEdit(Body());
    txtNaslov->setObjectName(QStringLiteral("txtNaslov"));
    txtNaslov->setPlaceholderText(QStringLiteral("oznaka ali naslov, npr. STEVEC ali $1000"));
    cmbVelikost = new QComboBox(Body());
    cmbVelikost->setObjectName(QStringLiteral("cmbVelikost"));
    cmbVelikost->addItems({QStringLiteral("bajt"), QStringLiteral("beseda")});
    btnDodaj = new QToolButton(Body());
    btnDodaj->setObjectName(QStringLiteral("btnDodaj"));
    btnDodaj->setText(QStringLiteral("Dodaj"));
    btnDodaj->setToolTip(QStringLiteral("Dodaj spremenljivko"));
    entry->addWidget(txtNaslov, 1);
    entry->addWidget(cmbVelikost);
    entry->addWidget(btnDodaj);
    layout->addLayout(entry);

    model_ = new TWatchModel(watches_, this);
    sgSpremenljivke = new QTableView(Body());
    sgSpremenljivke->setItemDelegate(new TPlainTextDelegate(sgSpremenljivke));
    sgSpremenljivke->setObjectName(QStringLiteral("sgSpremenljivke"));
    sgSpremenljivke->setModel(model_);
    const QFont fixed = FixedFont(sgSpremenljivke->font());
    sgSpremenljivke->setFont(fixed);
    sgSpremenljivke->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgSpremenljivke->setSelectionMode(QAbstractItemView::SingleSelection);
    sgSpremenljivke->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgSpremenljivke->verticalHeader()->hide();
    sgSpremenljivke->verticalHeader()->setDefaultSectionSize(sgSpremenljivke->fontMetrics().height() + 2);
    sgSpremenljivke->horizontalHeader()->setStretchLastSection(true);
    // Each column as wide as its caption and its widest value, so neither is cut.
    const int widths[TWatchModel::ColumnCount] = {110, 55, 55, 55, 105, 90, 50, 40};
    const char* const widest[TWatchModel::ColumnCount] = {"STEVEC+1", "beseda", "$FFFF",  "$FFFF",
                                                          "65535",    "-32768", "ni BCD", "WW"};
    const QFontMetrics cells(fixed), captions(sgSpremenljivke->horizontalHeader()->font());
    const int margin = 2 * sgSpremenljivke->style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    int total = 0;
    for (int c = 0; c < TWatchModel::ColumnCount; ++c) {
        const int width =
            std::max({widths[c], cells.horizontalAdvance(QString::fromLatin1(widest[c])) + margin,
                      captions.horizontalAdvance(model_->headerData(c, Qt::Horizontal).toString()) + margin});
        sgSpremenljivke->setColumnWidth(c, width);
        total += width;
    }
    sgSpremenljivke->setContextMenuPolicy(Qt::CustomContextMenu);
    sgSpremenljivke->installEventFilter(this);
    layout->addWidget(sgSpremenljivke, 1);

    auto* bottom = new QHBoxLayout();
    btnOdstrani = new QToolButton(Body());
    btnOdstrani->setObjectName(QStringLiteral("btnOdstrani"));
    btnOdstrani->setText(QStringLiteral("Odstrani"));
    btnOdstrani->setToolTip(QStringLiteral("Odstrani izbrano spremenljivko (Delete)"));
    btnOdstrani->setEnabled(false);
    bottom->addWidget(btnOdstrani);
    bottom->addStretch(1);
    layout->addLayout(bottom);

    mnuSpremenljivka = new QMenu(this);
    mnuSpremenljivka->setObjectName(QStringLiteral("mnuSpremenljivka"));
    QAction* asByte = mnuSpremenljivka->addAction(QStringLiteral("Bajt"));
    QAction* asWord = mnuSpremenljivka->addAction(QStringLiteral("Beseda"));
    mnuSpremenljivka->addSeparator();
    QAction* remove = mnuSpremenljivka->addAction(QStringLiteral("Odstrani"));
    asByte->setObjectName(QStringLiteral("mnuBajt"));
    asWord->setObjectName(QStringLiteral("mnuBeseda"));
    remove->setObjectName(QStringLiteral("mnuOdstrani"));
    asByte->setCheckable(true);
    asWord->setCheckable(true);
    connect(asByte, &QAction::triggered, this, [this] { SetSelectedSize(WatchSize::Byte); });
    connect(asWord, &QAction::triggered, this, [this] { SetSelectedSize(WatchSize::Word); });
    connect(remove, &QAction::triggered, this, &TfrmSpremenljivke::RemoveSelected);
    connect(sgSpremenljivke, &QWidget::customContextMenuRequested, this,
            [this, asByte, asWord](const QPoint& at) {
                const QModelIndex index = sgSpremenljivke->indexAt(at);
                if (!index.isValid()) return;
                sgSpremenljivke->selectRow(index.row());
                const bool word =
                    watches_.Watches()[static_cast<size_t>(index.row())].Size == WatchSize::Word;
                asByte->setChecked(!word);
                asWord->setChecked(word);
                mnuSpremenljivka->popup(sgSpremenljivke->viewport()->mapToGlobal(at));
            });

    connect(btnDodaj, &QToolButton::clicked, this, &TfrmSpremenljivke::AddFromField);
    connect(txtNaslov, &QLineEdit::returnPressed, this, &TfrmSpremenljivke::AddFromField);
    connect(btnOdstrani, &QToolButton::clicked, this, &TfrmSpremenljivke::RemoveSelected);
    connect(sgSpremenljivke->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { btnOdstrani->setEnabled(SelectedRow() >= 0); });
    connect(model_, &QAbstractItemModel::modelReset, this,
            [this] { btnOdstrani->setEnabled(SelectedRow() >= 0); });
    resize(std::max(600, total + 8), 220);
}

void TfrmSpremenljivke::AddFromField() {
    const WatchSize size = cmbVelikost->currentIndex() == 1 ? WatchSize::Word : WatchSize::Byte;
    if (AddWatch(txtNaslov->text(), size)) txtNaslov->clear();
}

bool TfrmSpremenljivke::AddWatch(const QString& target, WatchSize size) {
    const std::string error = watches_.Add(target.toStdString(), size);
    if (error.empty()) {
        ListChanged();
        sgSpremenljivke->selectRow(static_cast<int>(watches_.Count()) - 1);
        return true;
    }
    Prompt().ShowMessage(kTitle, Q(error));
    return false;
}

int TfrmSpremenljivke::SelectedRow() const {
    const QModelIndexList rows = sgSpremenljivke->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TfrmSpremenljivke::RemoveSelected() {
    const int row = SelectedRow();
    if (row < 0) return;
    watches_.Remove(static_cast<size_t>(row));
    ListChanged();
    // The next row (or the new last one) is selected, so Delete can go on removing.
    if (watches_.Count() > 0)
        sgSpremenljivke->selectRow(std::min(row, static_cast<int>(watches_.Count()) - 1));
}

void TfrmSpremenljivke::SetSelectedSize(WatchSize size) {
    const int row = SelectedRow();
    if (row < 0) return;
    watches_.SetSize(static_cast<size_t>(row), size);
    ListChanged();
    sgSpremenljivke->selectRow(row);
}

void TfrmSpremenljivke::ListChanged() {
    model_->Reload();
    emit watchesChanged();
}

void TfrmSpremenljivke::DrawFrame(const TDisplayFrame&) {
    if (isVisible()) model_->Refresh();
}

void TfrmSpremenljivke::showEvent(QShowEvent* event) {
    TToolFrame::showEvent(event);
    model_->Refresh();
}

bool TfrmSpremenljivke::eventFilter(QObject* watched, QEvent* event) {
    if (watched == sgSpremenljivke && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        RemoveSelected();
        return true;
    }
    return TToolFrame::eventFilter(watched, event);
}
