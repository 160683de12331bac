#include "logwindow.h"

#include <QApplication>
#include <algorithm>
#include <climits>
#include <QClipboard>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeySequence>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const char* const kColumnNames[TLogModel::kColumns] = {"PC", "VRSTA", "OPK", "IUKAZ", "A", "B",
                                                       "D", "X", "SP", "  HINZVC", "CAS", "IRQ"};
}

TLogModel::TLogModel(TLog& log, QObject* parent) : QAbstractTableModel(parent), log_(log) {
    flushTimer_ = new QTimer(this);
    flushTimer_->setSingleShot(true);
    flushTimer_->setInterval(0);
    connect(flushTimer_, &QTimer::timeout, this, &TLogModel::Flush);
    shownRows_ = static_cast<int>(std::min<size_t>(log_.Size(), INT_MAX));
    log_.onAppended = [this](size_t) { Appended(); };
}

TLogModel::~TLogModel() { log_.onAppended = nullptr; }

int TLogModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shownRows_; }

int TLogModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant TLogModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= shownRows_ ||
        static_cast<size_t>(index.row()) >= log_.Size())
        return {};
    const TLogRecord& record = log_.Record(static_cast<size_t>(index.row()));
    if (record.Header) return QString::fromLatin1(kColumnNames[index.column()]);
    // Format the line and pick the field; only rows in view are ever formatted.
    const std::string line = log_.Format(record);
    int column = 0;
    size_t start = 0;
    while (column < index.column()) {
        size_t tab = line.find('\t', start);
        if (tab == std::string::npos) return QString();
        start = tab + 1;
        ++column;
    }
    size_t end = line.find('\t', start);
    if (end == std::string::npos) end = line.size();
    return QString::fromStdString(line.substr(start, end - start));
}

QString TLogModel::RowText(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= log_.Size()) return {};
    return QString::fromStdString(log_.Format(static_cast<size_t>(row)));
}

void TLogModel::Appended() {
    if (!flushTimer_->isActive()) flushTimer_->start();
}

void TLogModel::Flush() {
    flushTimer_->stop();
    const int total = static_cast<int>(std::min<size_t>(log_.Size(), INT_MAX));
    if (total < shownRows_) {
        // The log was emptied behind the model's back.
        beginResetModel();
        shownRows_ = total;
        endResetModel();
        return;
    }
    if (total == shownRows_) return;
    beginInsertRows(QModelIndex(), shownRows_, total - 1);
    shownRows_ = total;
    endInsertRows();
    emit rowsAppended();
}

void TLogModel::ClearLog() {
    beginResetModel();
    log_.Clear();
    log_.AppendHeader();
    flushTimer_->stop();
    shownRows_ = static_cast<int>(log_.Size());
    endResetModel();
}

TfrmLog::TfrmLog(TLog& log, QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName("frmLog");
    setWindowTitle(QStringLiteral("Dnevnik"));
    resize(601, 480);

    btnBrisi = new QPushButton(QStringLiteral("Brisi dnevnik"), this);
    btnBrisi->setObjectName("btnBrisi");

    model_ = new TLogModel(log, this);
    view_ = new QTableView(this);
    view_->setObjectName("txtLog");
    view_->setModel(model_);
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPointSize(9);
    view_->setFont(mono);
    view_->setShowGrid(false);
    view_->setWordWrap(false);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->horizontalHeader()->hide();
    view_->verticalHeader()->hide();
    // Uniform rows: the view never measures rows, whatever the length of the log.
    const int rowHeight = QFontMetrics(mono).height() + 2;
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(rowHeight);
    view_->verticalHeader()->setMinimumSectionSize(rowHeight);
    view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const int charWidth = QFontMetrics(mono).horizontalAdvance(QLatin1Char('0'));
    const int widths[TLogModel::kColumns] = {5, 6, 4, 6, 3, 3, 5, 5, 5, 9, 6, 4};
    for (int column = 0; column < TLogModel::kColumns; ++column)
        view_->setColumnWidth(column, (widths[column] + 1) * charWidth);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(btnBrisi, 0, Qt::AlignLeft);
    layout->addWidget(view_);

    connect(btnBrisi, &QPushButton::clicked, model_, &TLogModel::ClearLog);
    connect(model_, &TLogModel::rowsAppended, this, &TfrmLog::RowsAppended);
    // Remember whether the user is looking at the end before rows arrive.
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        followEnd_ = value >= view_->verticalScrollBar()->maximum();
    });

    // Ctrl+C copies the selected lines as the tab-separated log text.
    auto* copy = new QShortcut(QKeySequence::Copy, view_);
    copy->setContext(Qt::WidgetShortcut);
    connect(copy, &QShortcut::activated, this, [this] {
        QStringList lines;
        QModelIndexList rows = view_->selectionModel()->selectedRows();
        std::sort(rows.begin(), rows.end());
        for (const QModelIndex& index : rows) lines << model_->RowText(index.row());
        if (!lines.isEmpty()) QApplication::clipboard()->setText(lines.join('\n') + '\n');
    });
}

void TfrmLog::RowsAppended() {
    if (followEnd_ && isVisible()) view_->scrollToBottom();
}
