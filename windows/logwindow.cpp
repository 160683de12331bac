#include "windows/logwindow.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "windows/displaystyle.h"

namespace {
const char* const kColumnNames[TLogModel::kColumns] = {"PC", "VRSTA", "OPK", "IUKAZ",    "A",   "B",
                                                       "D",  "X",     "SP",  "  HINZVC", "CAS", "IRQ"};
}

TLogModel::TLogModel(TLog& log, QObject* parent) : QAbstractTableModel(parent), log_(log) {
    shownRows_ = static_cast<int>(std::min<size_t>(log_.Size(), INT_MAX));
    shownDropped_ = log_.Dropped();
    shownAppended_ = log_.Appended();
}

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

void TLogModel::Flush() {
    const int total = static_cast<int>(std::min<size_t>(log_.Size(), INT_MAX));
    const uint64_t appended = log_.Appended();
    if (total < shownRows_ || log_.Dropped() != shownDropped_ || appended < shownAppended_) {
        // The log was emptied or lines were taken back behind the model's back, or the oldest
        // lines were dropped: the rows no longer stand where they stood.
        beginResetModel();
        shownRows_ = total;
        shownDropped_ = log_.Dropped();
        shownAppended_ = appended;
        endResetModel();
        return;
    }
    shownAppended_ = appended;
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
    shownRows_ = static_cast<int>(log_.Size());
    shownDropped_ = log_.Dropped();
    shownAppended_ = log_.Appended();
    endResetModel();
}

// ---------------------------------------------------------------------------------------------

TLogView::TLogView(TLogModel* model, QWidget* parent) : QAbstractScrollArea(parent), model_(model) {
    const QFont mono = FixedFont(9);
    setFont(mono);
    viewport()->setFont(mono);
    const QFontMetrics metrics(mono);
    rowHeight_ = metrics.height() + 2;
    baseline_ = 1 + metrics.ascent();
    charWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
    // Column widths in characters, one blank between columns.
    static const int widths[TLogModel::kColumns] = {4, 5, 3, 9, 2, 2, 4, 4, 4, 8, 5, 5};
    int x = 4, chars = 0;
    for (int width : widths) {
        columnX_.push_back(x);
        columnChar_.push_back(chars);
        x += (width + 2) * charWidth_;
        chars += width + 2;
    }
    contentWidth_ = x;
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);

    connect(model_, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { followAfterReset_ = AtBottom(); });
    connect(model_, &QAbstractItemModel::modelReset, this, [this] {
        anchor_ = current_ = -1;
        UpdateScrollBars();
        if (followAfterReset_) ScrollToBottom();
        viewport()->update();
    });
    connect(model_, &QAbstractItemModel::rowsAboutToBeInserted, this, [this] {
        firstBefore_ = FirstVisibleRow();
        rowsBefore_ = model_->rowCount();
    });
    connect(model_, &QAbstractItemModel::rowsInserted, this, &TLogView::RowsArrived);
    barTimer_ = new QTimer(this);
    barTimer_->setSingleShot(true);
    connect(barTimer_, &QTimer::timeout, this, [this] {
        if (!barBehind_) return;
        UpdateScrollBars();
        ScrollToBottom();
        barUpdated_.start();
    });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] {
        if (following_) return; // RowsArrived paints what the new rows change
        // Moved by the user while the bar was behind: the view stays where the user put it.
        if (barBehind_) UpdateScrollBars();
        viewport()->update();
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
    UpdateScrollBars();
}

int TLogView::VisibleRows() const { return std::max(1, viewport()->height() / rowHeight_); }

int TLogView::FirstVisibleRow() const {
    return barBehind_ ? std::max(0, model_->rowCount() - VisibleRows()) : verticalScrollBar()->value();
}

bool TLogView::AtBottom() const {
    return barBehind_ || verticalScrollBar()->value() >= verticalScrollBar()->maximum();
}

void TLogView::RowsArrived() {
    // AtBottom as it was before the rows came: the bar's maximum has not moved yet.
    const bool follow = barBehind_ || verticalScrollBar()->value() >= verticalScrollBar()->maximum();
    following_ = true;
    if (follow && barUpdated_.isValid() && barUpdated_.elapsed() < kScrollBarMs) {
        barBehind_ = true;
        if (!barTimer_->isActive()) barTimer_->start(static_cast<int>(kScrollBarMs - barUpdated_.elapsed()));
    } else {
        UpdateScrollBars();
        if (follow) ScrollToBottom();
        // Rows arriving at the end within kScrollBarMs from now leave the bar behind.
        if (follow) barUpdated_.start();
        else barUpdated_.invalidate();
    }
    following_ = false;
    // The rows in view move up by as many rows as the view moved down, and only the rows that
    // were not in view before are painted: following the end costs a row's paint per new row.
    // Rows that arrive again before the paint (steps faster than the screen) repaint the view
    // once instead of moving its pixels at every batch.
    const int moved = FirstVisibleRow() - firstBefore_;
    const int visible = VisibleRows();
    if (moved < 0 || moved >= visible || (moved > 0 && scrolledUnpainted_)) {
        viewport()->update();
        return;
    }
    if (moved > 0) {
        viewport()->scroll(0, -moved * rowHeight_);
        scrolledUnpainted_ = true;
    }
    const int firstNew = std::max(rowsBefore_, FirstVisibleRow()) - FirstVisibleRow();
    if (firstNew <= visible)
        viewport()->update(0, firstNew * rowHeight_, viewport()->width(),
                           viewport()->height() - firstNew * rowHeight_);
}

void TLogView::ScrollToBottom() { verticalScrollBar()->setValue(verticalScrollBar()->maximum()); }

void TLogView::UpdateScrollBars() {
    barBehind_ = false;
    const int rows = model_->rowCount();
    verticalScrollBar()->setRange(0, std::max(0, rows - VisibleRows()));
    verticalScrollBar()->setPageStep(VisibleRows());
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, std::max(0, contentWidth_ - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(charWidth_);
}

void TLogView::resizeEvent(QResizeEvent* event) {
    const bool follow = AtBottom();
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    if (follow) ScrollToBottom();
}

void TLogView::paintEvent(QPaintEvent* event) {
    scrolledUnpainted_ = false;
    QPainter painter(viewport());
    const int rows = model_->rowCount();
    const int top = FirstVisibleRow();
    // Only the rows the paint asks for.
    const int first = top + std::max(0, event->rect().top()) / rowHeight_;
    const int last = std::min({rows - 1, top + VisibleRows(), top + event->rect().bottom() / rowHeight_});
    const int dx = -horizontalScrollBar()->value();
    const QPalette& pal = palette();
    const int selFirst = SelectionFirst(), selLast = SelectionLast();
    painter.setFont(viewport()->font());
    text_.SetFont(viewport()->font());
    for (int row = first; row <= last; ++row) {
        const int y = (row - top) * rowHeight_;
        const bool selected = selFirst >= 0 && row >= selFirst && row <= selLast;
        if (selected) painter.fillRect(0, y, viewport()->width(), rowHeight_, pal.highlight());
        painter.setPen(selected ? pal.highlightedText().color() : pal.text().color());
        // One formatted line per row, its tabs turned into blanks up to each column's edge (the
        // font is fixed-pitch), drawn as one string.
        const QString text = model_->RowText(row);
        QString line;
        line.reserve(columnChar_.back() + 16);
        int column = 0;
        qsizetype start = 0;
        while (column < TLogModel::kColumns && start <= text.size()) {
            qsizetype tab = text.indexOf(QLatin1Char('\t'), start);
            if (tab < 0) tab = text.size();
            const qsizetype edge = columnChar_[static_cast<size_t>(column)];
            if (line.size() < edge) line.append(QString(edge - line.size(), QLatin1Char(' ')));
            else if (column > 0) line.append(QLatin1Char(' '));
            line.append(QStringView(text).mid(start, tab - start));
            start = tab + 1;
            ++column;
        }
        text_.Draw(painter, columnX_[0] + dx, y + baseline_, line);
    }
}

int TLogView::RowAt(int y) const {
    const int row = FirstVisibleRow() + y / rowHeight_;
    return std::clamp(row, 0, std::max(0, model_->rowCount() - 1));
}

void TLogView::SelectRows(int anchor, int current) {
    anchor_ = anchor;
    current_ = current;
    viewport()->update();
}

void TLogView::mousePressEvent(QMouseEvent* event) {
    if (model_->rowCount() == 0) return;
    const int row = RowAt(static_cast<int>(event->position().y()));
    if ((event->modifiers() & Qt::ShiftModifier) && anchor_ >= 0) SelectRows(anchor_, row);
    else SelectRows(row, row);
}

void TLogView::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) && anchor_ >= 0)
        SelectRows(anchor_, RowAt(static_cast<int>(event->position().y())));
}

void TLogView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        const QString text = SelectedText();
        if (!text.isEmpty()) QApplication::clipboard()->setText(text);
        return;
    }
    if (event->matches(QKeySequence::SelectAll) && model_->rowCount() > 0) {
        SelectRows(0, model_->rowCount() - 1);
        return;
    }
    if (event->key() == Qt::Key_End) {
        ScrollToBottom();
        return;
    }
    if (event->key() == Qt::Key_Home) {
        verticalScrollBar()->setValue(0);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

QString TLogView::SelectedText() const {
    if (SelectionFirst() < 0) return {};
    // A bounded copy: a selection of millions of lines would make a huge clipboard text.
    constexpr int kMaxCopiedRows = 100000;
    const int last = std::min(SelectionLast(), SelectionFirst() + kMaxCopiedRows - 1);
    QString text;
    for (int row = SelectionFirst(); row <= last; ++row) {
        text += model_->RowText(row);
        text += QLatin1Char('\n');
    }
    return text;
}

// ---------------------------------------------------------------------------------------------

TfrmLog::TfrmLog(TLog& log, QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName("frmLog");
    setWindowTitle(QStringLiteral("Dnevnik"));
    resize(601, 480);

    btnBrisi = new QPushButton(QStringLiteral("Brisi dnevnik"), this);
    btnBrisi->setObjectName("btnBrisi");
    lblIzpusceno = new QLabel(this);
    lblIzpusceno->setObjectName("lblIzpusceno");
    lblIzpusceno->hide();

    model_ = new TLogModel(log, this);
    view_ = new TLogView(model_, this);
    view_->setObjectName("txtLog");

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto* top = new QHBoxLayout;
    top->addWidget(btnBrisi);
    top->addWidget(lblIzpusceno, 1);
    layout->addLayout(top);
    layout->addWidget(view_);

    connect(btnBrisi, &QPushButton::clicked, model_, &TLogModel::ClearLog);
    connect(model_, &TLogModel::rowsAppended, this, &TfrmLog::ShowDropped);
    connect(model_, &QAbstractItemModel::modelReset, this, &TfrmLog::ShowDropped);
    ShowDropped();
}

QString TfrmLog::DroppedText(uint64_t dropped) {
    if (dropped == 0) return {};
    return QStringLiteral("Starejših zapisov, ki jih dnevnik ni obdržal: %1")
        .arg(QLocale(QLocale::Slovenian).toString(static_cast<qulonglong>(dropped)));
}

void TfrmLog::DrawFrame(const TDisplayFrame& frame) {
    if (frame.Loaded && lastBatch_.isValid() && lastBatch_.elapsed() < kBatchMs) return;
    lastBatch_.start();
    model_->Flush();
}

void TfrmLog::ShowDropped() {
    const QString text = DroppedText(model_->Dropped());
    lblIzpusceno->setText(text);
    lblIzpusceno->setVisible(!text.isEmpty());
}
