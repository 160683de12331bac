#include "windows/frmtrace.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "engine/memory.h"
#include "engine/trace.h"
#include "windows/displaystyle.h"
#include "windows/plaintextdelegate.h"
#include "windows/prompt.h"

namespace {

constexpr int kColumnWidth = 70;
const char* const kColumnNames[3] = {"Naslov", "Podatki", "R/W"};

int RowCount(const TTrace& trace) { return static_cast<int>(std::min<size_t>(trace.Rows().size(), INT_MAX)); }

} // namespace

// ============================================================================ TTraceModel

TTraceModel::TTraceModel(TTrace& trace, QObject* parent)
    : QAbstractTableModel(parent), trace_(trace), shownRows_(RowCount(trace)),
      shownRecorded_(trace.RowsRecorded()) {}

int TTraceModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }

int TTraceModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant TTraceModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shownRows_ ||
        static_cast<size_t>(index.row()) >= trace_.Rows().size())
        return {};
    const TraceColumns text = FormatTraceRow(trace_.Rows()[static_cast<size_t>(index.row())]);
    switch (index.column()) {
    case 0:
        return QString::fromStdString(text.Address);
    case 1:
        return QString::fromStdString(text.Data);
    case 2:
        return QString::fromStdString(text.Direction);
    default:
        return {};
    }
}

QVariant TTraceModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section > 2) return {};
    return QLatin1String(kColumnNames[section]);
}

bool TTraceModel::Stale() const {
    return RowCount(trace_) != shownRows_ || trace_.RowsRecorded() != shownRecorded_;
}

void TTraceModel::Flush() {
    const int total = RowCount(trace_);
    const uint64_t recorded = trace_.RowsRecorded();
    // Only appended rows keep the shown ones where they stand.
    const bool appended = total >= shownRows_ && recorded >= shownRecorded_ &&
                          recorded - shownRecorded_ == static_cast<uint64_t>(total - shownRows_);
    if (!appended) {
        // Emptied or taken back (a step back) behind the model's back.
        beginResetModel();
        shownRows_ = total;
        shownRecorded_ = recorded;
        endResetModel();
        return;
    }
    shownRecorded_ = recorded;
    if (total == shownRows_) return;
    beginInsertRows(QModelIndex(), shownRows_, total - 1);
    shownRows_ = total;
    endInsertRows();
}

void TTraceModel::Reset() {
    beginResetModel();
    shownRows_ = RowCount(trace_);
    shownRecorded_ = trace_.RowsRecorded();
    endResetModel();
}

void TTraceModel::ClearRows() {
    beginResetModel();
    trace_.ClearRows();
    shownRows_ = 0;
    shownRecorded_ = trace_.RowsRecorded();
    endResetModel();
}

// ============================================================================ TConditionPage

TConditionPage::TConditionPage(TCoditions& conditions, const QString& noun, QWidget* parent)
    : QWidget(parent), conditions_(conditions) {
    btnBrisiVse = new QPushButton(QStringLiteral("Brisi Vse"), this);
    btnBrisiVse->setObjectName(QStringLiteral("btnBrisiVse") + noun);
    btnBrisi = new QPushButton(QStringLiteral("Brisi ") + noun, this);
    btnBrisi->setObjectName(QStringLiteral("btnBrisi") + noun);
    btnDodaj = new QPushButton(QStringLiteral("Dodaj ") + noun, this);
    btnDodaj->setObjectName(QStringLiteral("btnDodaj") + noun);
    txtNaslov = new QLineEdit(this);
    txtNaslov->setObjectName(QStringLiteral("txtNaslov") + noun);
    txtPodatek = new QLineEdit(this);
    txtPodatek->setObjectName(QStringLiteral("txtPodatek") + noun);
    txtRW = new QLineEdit(this);
    txtRW->setObjectName(QStringLiteral("txtRW") + noun);
    const QFontMetrics metrics(txtNaslov->font());
    txtNaslov->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("FFFFF")) + 12);
    txtPodatek->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("FFF")) + 12);
    txtRW->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("Write")) + 12);
    lvSeznam = new QTreeWidget(this);
    lvSeznam->setObjectName(QStringLiteral("lv") + noun);
    lvSeznam->setHeaderLabels({QStringLiteral("Naslov"), QStringLiteral("Podatki"), QStringLiteral("R/W")});
    lvSeznam->setColumnWidth(0, kColumnWidth);
    lvSeznam->setColumnWidth(1, kColumnWidth);
    lvSeznam->setRootIsDecorated(false);
    lvSeznam->setUniformRowHeights(true);
    lvSeznam->setFont(FixedFont(9));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnBrisiVse);
    buttons->addWidget(btnBrisi);
    buttons->addWidget(btnDodaj);
    buttons->addStretch(1);
    auto* fields = new QHBoxLayout;
    for (auto [label, field] :
         {std::pair{"Naslov:", txtNaslov}, std::pair{"Podatek:", txtPodatek}, std::pair{"R/W:", txtRW}}) {
        fields->addWidget(new QLabel(QLatin1String(label), this));
        fields->addWidget(field);
    }
    fields->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addLayout(buttons);
    layout->addLayout(fields);
    layout->addWidget(lvSeznam, 1);

    connect(btnDodaj, &QPushButton::clicked, this, &TConditionPage::Add);
    connect(btnBrisi, &QPushButton::clicked, this, &TConditionPage::RemoveSelected);
    connect(btnBrisiVse, &QPushButton::clicked, this, &TConditionPage::ClearAll);
    Relist();
}

void TConditionPage::Add() {
    const auto condition = ParseCondition(txtNaslov->text().toStdString(), txtPodatek->text().toStdString(),
                                          txtRW->text().toStdString());
    if (!condition) {
        Prompt().ShowMessage(QStringLiteral("Orlek"), QStringLiteral("Napacni podatki!"));
        return;
    }
    conditions_.Add(*condition);
    Relist();
}

void TConditionPage::RemoveSelected() {
    const QTreeWidgetItem* row = lvSeznam->currentItem();
    if (!row || !row->isSelected()) return;
    // The row's text is the form the parser reads, so it names the condition that made it.
    const auto condition =
        ParseCondition(row->text(0).toStdString(), row->text(1).toStdString(), row->text(2).toStdString());
    if (!condition) return;
    conditions_.Remove(*condition);
    Relist();
}

void TConditionPage::ClearAll() {
    conditions_.Clear();
    Relist();
}

void TConditionPage::Relist() {
    lvSeznam->clear();
    QList<QTreeWidgetItem*> rows;
    conditions_.Rewind();
    while (!conditions_.AtEnd) {
        const TraceColumns text = FormatCondition(conditions_.Next());
        rows << new QTreeWidgetItem(QStringList{QString::fromStdString(text.Address),
                                                QString::fromStdString(text.Data),
                                                QString::fromStdString(text.Direction)});
    }
    lvSeznam->addTopLevelItems(rows);
}

// ============================================================================ TfrmTrace

TfrmTrace::TfrmTrace(TMemory& memory, QWidget* parent)
    : TToolFrame(QStringLiteral("Trace"), Collapse::TitleOnly, parent), memory_(memory) {
    setObjectName(QStringLiteral("frmTrace"));
    TTrace& trace = memory_.Trace;
    model_ = new TTraceModel(trace, this);

    pcStrani = new QTabWidget(Body());
    pcStrani->setObjectName(QStringLiteral("pcStrani"));

    auto* tracePage = new QWidget(pcStrani);
    btnBrisiTrace = new QPushButton(QStringLiteral("Brisi Trace"), tracePage);
    btnBrisiTrace->setObjectName(QStringLiteral("btnBrisiTrace"));
    cbTrace = new QCheckBox(QStringLiteral("Trace ON/OFF"), tracePage);
    cbTrace->setObjectName(QStringLiteral("cbTrace"));
    lvTrace = new QTableView(tracePage);
    lvTrace->setObjectName(QStringLiteral("lvTrace"));
    lvTrace->setFont(FixedFont(9));
    lvTrace->setModel(model_);
    lvTrace->setItemDelegate(new TPlainTextDelegate(lvTrace));
    lvTrace->setShowGrid(false);
    lvTrace->setWordWrap(false);
    lvTrace->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvTrace->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvTrace->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    lvTrace->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lvTrace->horizontalHeader()->setHighlightSections(false);
    // Rows of one fixed height: the view never measures a row.
    QHeaderView* rows = lvTrace->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(QFontMetrics(lvTrace->font()).height() + 2);
    auto* strip = new QHBoxLayout;
    strip->addWidget(btnBrisiTrace);
    strip->addWidget(cbTrace);
    strip->addStretch(1);
    lblPolna = new QLabel(tracePage);
    lblPolna->setObjectName(QStringLiteral("lblPolna"));
    lblPolna->setWordWrap(true);
    lblPolna->hide();
    auto* traceLayout = new QVBoxLayout(tracePage);
    traceLayout->setContentsMargins(4, 4, 4, 4);
    traceLayout->setSpacing(4);
    traceLayout->addLayout(strip);
    traceLayout->addWidget(lblPolna);
    traceLayout->addWidget(lvTrace, 1);

    triggers_ = new TConditionPage(trace.Triggers, QStringLiteral("Trigger"), pcStrani);
    qualifiers_ = new TConditionPage(trace.Qualifiers, QStringLiteral("Qualifier"), pcStrani);
    pcStrani->addTab(tracePage, QStringLiteral("Trace"));
    pcStrani->addTab(triggers_, QStringLiteral("Trigger"));
    pcStrani->addTab(qualifiers_, QStringLiteral("Qualifier"));
    pcStrani->setCurrentWidget(qualifiers_);

    auto* layout = new QVBoxLayout(Body());
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(pcStrani);

    connect(cbTrace, &QCheckBox::toggled, this, [this](bool on) { memory_.TraceEnabled = on; });
    connect(btnBrisiTrace, &QPushButton::clicked, this, [this] {
        model_->ClearRows();
        Draw();
    });
    connect(pcStrani, &QTabWidget::currentChanged, this, &TfrmTrace::Draw);
    resize(300, 320);
}

void TfrmTrace::DrawFrame(const TDisplayFrame& frame) {
    if (!isVisible()) return; // drawn when shown
    // Accesses a full trace turned away add no rows; the count still has to be shown.
    if (!model_->Stale() && memory_.Trace.DroppedRows() == shownDropped_ &&
        cbTrace->isChecked() == memory_.TraceEnabled)
        return;
    // Rows recorded below the part of the list in view change only its scroll bar, and every
    // announcement costs the table a pass over all its rows: during a run they wait a little
    // longer than a frame. The frame that ends the run shows them.
    if (frame.Running && !NewRowsInView() && lastShown_.isValid() && lastShown_.elapsed() < kOutOfViewMs)
        return;
    Draw();
}

bool TfrmTrace::NewRowsInView() const {
    if (!lvTrace->isVisible()) return false;
    // The row at the foot of the list, or -1 when the rows end above it.
    const int foot = lvTrace->rowAt(lvTrace->viewport()->height() - 1);
    return foot < 0 || foot >= model_->rowCount() - 1;
}

void TfrmTrace::Reload() {
    triggers_->Relist();
    qualifiers_->Relist();
    model_->Reset();
    Draw();
}

void TfrmTrace::showEvent(QShowEvent* event) {
    TToolFrame::showEvent(event);
    Draw();
}

void TfrmTrace::Draw() {
    if (!isVisible()) return; // shown when the window is
    model_->Flush();
    lastShown_.start(); // after the announcement, which a long trace makes take a while
    const TTrace& trace = memory_.Trace;
    shownDropped_ = trace.DroppedRows();
    lblPolna->setVisible(trace.DroppedRows() > 0);
    if (trace.DroppedRows() > 0)
        lblPolna->setText(QStringLiteral("Sled je polna: posnetih je %1 dostopov, nadaljnjih %2 ni posnetih.")
                              .arg(trace.Rows().size())
                              .arg(trace.DroppedRows()));
    if (cbTrace->isChecked() != memory_.TraceEnabled) {
        const QSignalBlocker quiet(cbTrace);
        cbTrace->setChecked(memory_.TraceEnabled);
    }
}
