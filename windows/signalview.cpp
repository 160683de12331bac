#include "windows/signalview.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "windows/displaystyle.h"

namespace {

const QColor kWave(0, 70, 160);
const QColor kCursorA(0, 140, 0);
const QColor kCursorB(200, 0, 160);
const QColor kNow(220, 0, 0);
const QColor kGrid(225, 225, 225);
const QColor kSelected(255, 250, 205);
const QColor kHighFill(205, 225, 250); // under a high level

// A ruler step of 1, 2 or 5 times a power of ten units that is at least `minimum` units.
double RulerStep(double minimum) {
    double step = 1;
    while (step < minimum) {
        if (step * 2 >= minimum) return step * 2;
        if (step * 5 >= minimum) return step * 5;
        step *= 10;
    }
    return step;
}

} // namespace

TSignalView::TSignalView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("signalView"));
    setFont(FixedFont());
    setMouseTracking(false);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TSignalView::SetRecording(const TSignalRecorder* recorder, std::vector<TSignal> rows, uint64_t hz) {
    recorder_ = recorder;
    rows_ = std::move(rows);
    hz_ = hz;
    int widest = 0;
    const QFontMetrics metrics(font());
    names_.clear();
    for (const TSignal& signal : rows_) {
        const QString name = QString::fromStdString(signal.Name);
        widest = std::max(widest, metrics.horizontalAdvance(name));
        names_.emplace_back(name);
        names_.back().setTextFormat(Qt::PlainText);
        names_.back().prepare(QTransform(), font());
    }
    nameWidth_ = widest + 12;
    selected_ = std::clamp(selected_, 0, std::max(0, static_cast<int>(rows_.size()) - 1));
    updateGeometry();
    update();
}

QSize TSignalView::sizeHint() const {
    return {nameWidth_ + 600, kRulerHeight + kRowHeight * static_cast<int>(rows_.size()) + 2};
}

QSize TSignalView::minimumSizeHint() const {
    return {nameWidth_ + 100, kRulerHeight + kRowHeight * static_cast<int>(rows_.size()) + 2};
}

uint64_t TSignalView::End() const { return recorder_ ? recorder_->Now() : 0; }

int TSignalView::XOf(double time) const {
    const double x = nameWidth_ + (time - start_) / scale_;
    return static_cast<int>(std::clamp(x, -1e6, 1e6));
}

double TSignalView::TimeAt(int x) const { return start_ + (x - nameWidth_) * scale_; }

int TSignalView::RowAt(int y) const {
    if (y < kRulerHeight) return -1;
    const int row = (y - kRulerHeight) / kRowHeight;
    return row < static_cast<int>(rows_.size()) ? row : -1;
}

void TSignalView::SetView(double start, double scale) {
    // From a thousand pixels a unit to a whole recording of 2^40 units in a window.
    scale = std::clamp(scale, 1e-3, 1e9);
    start = std::clamp(start, 0.0, std::max(0.0, static_cast<double>(End())));
    if (scale == scale_ && start == start_) return;
    // A shift by whole pixels at the same scale (following a run, panning) moves the drawn
    // pixels and paints only the columns that come into view.
    const double shift = (start - start_) / scale_;
    const bool slide = scale == scale_ && isVisible() && painted_ && std::abs(shift) < WaveWidth() &&
                       std::abs(shift - std::round(shift)) < 1e-6;
    scale_ = scale;
    start_ = start;
    if (slide) scroll(-static_cast<int>(std::lround(shift)), 0, QRect(nameWidth_, 0, WaveWidth(), height()));
    else update();
}

void TSignalView::ZoomBy(double factor, std::optional<int> x) {
    const int at = x.value_or(nameWidth_ + WaveWidth() / 2);
    const double anchor = TimeAt(at);
    const double scale = std::clamp(scale_ * factor, 1e-3, 1e9);
    SetView(anchor - (at - nameWidth_) * scale, scale);
}

void TSignalView::ShowAll() {
    const double first = recorder_ ? static_cast<double>(recorder_->Start()) : 0;
    const double span = std::max(1.0, static_cast<double>(End()) - first);
    SetView(first, span / (WaveWidth() - 8));
}

void TSignalView::FollowNow() {
    const double start = static_cast<double>(End()) - (WaveWidth() - 8) * scale_;
    SetView(std::max(0.0, start), scale_);
}

TSignalView::TPainted TSignalView::Recorded() const {
    if (!recorder_) return {};
    return {recorder_->Now(), recorder_->Dropped(), recorder_->Count()};
}

void TSignalView::RecordingMoved() {
    const TPainted now = Recorded();
    if (painted_ == now) return;
    // The recording only grew at its end or was taken back to an earlier time: what changed
    // lies from the earlier of the two present times on (the marker of the old one included).
    if (painted_ && recorder_ && now.Dropped == painted_->Dropped) {
        const int from = std::max(
            nameWidth_,
            std::min(XOf(static_cast<double>(painted_->Now)), XOf(static_cast<double>(now.Now))) - 2);
        if (from < width()) update(QRect(from, 0, width() - from, height()));
        return;
    }
    update();
}

void TSignalView::SetCursors(std::optional<uint64_t> a, std::optional<uint64_t> b) {
    cursorA_ = a;
    cursorB_ = b;
    update();
}

void TSignalView::SelectRow(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    selected_ = row;
    update();
}

bool TSignalView::JumpToNextEdge() {
    if (!recorder_ || rows_.empty()) return false;
    const uint64_t from = cursorA_.value_or(recorder_->Start());
    const std::optional<uint64_t> edge = recorder_->NextEdge(rows_[selected_].Bit, from);
    if (!edge) return false;
    cursorA_ = *edge;
    // The edge comes into view, a quarter of the way in when it was outside.
    const int x = XOf(static_cast<double>(*edge));
    if (x < nameWidth_ || x >= width())
        SetView(static_cast<double>(*edge) - WaveWidth() / 4.0 * scale_, scale_);
    update();
    return true;
}

// --- drawing -------------------------------------------------------------------------------------

void TSignalView::paintEvent(QPaintEvent* event) {
    painted_ = Recorded();
    QPainter painter(this);
    // Only the columns and rows the event asks for are drawn (a run that follows the present
    // time asks for the few columns that came into view): the time they show, a column more on
    // either side for the edges and the ruler's numbers that reach into them.
    const QRect dirty = event->rect();
    painter.fillRect(dirty, palette().base());
    const int left = std::max(nameWidth_, dirty.left() - 1);
    const double firstTime = std::max(0.0, TimeAt(left));
    const uint64_t first = static_cast<uint64_t>(firstTime);
    const uint64_t last = static_cast<uint64_t>(std::max(0.0, std::ceil(TimeAt(dirty.right() + 2))));
    if (dirty.top() < kRulerHeight) {
        // A number is written to the right of its tick: ticks up to a label's width to the left
        // of the columns drawn reach into them.
        const double before = std::max(0.0, TimeAt(std::max(nameWidth_, dirty.left() - 80)));
        DrawRuler(painter, static_cast<uint64_t>(before), last);
    }
    const int firstRow = std::max(0, (dirty.top() - kRulerHeight) / kRowHeight);
    const int lastRow =
        std::min(static_cast<int>(rows_.size()) - 1, (dirty.bottom() - kRulerHeight) / kRowHeight);
    for (int row = firstRow; row <= lastRow; ++row)
        DrawRow(painter, row, first, last, dirty.left() < nameWidth_);
    painter.setClipRect(nameWidth_, 0, WaveWidth(), height());
    DrawLine(painter, recorder_ ? std::optional<uint64_t>(End()) : std::nullopt, kNow);
    DrawLine(painter, cursorA_, kCursorA);
    DrawLine(painter, cursorB_, kCursorB);
    painter.setClipping(false);
    painter.setPen(palette().mid().color());
    painter.drawLine(nameWidth_ - 1, 0, nameWidth_ - 1, height());
}

void TSignalView::DrawRuler(QPainter& painter, uint64_t first, uint64_t last) {
    painter.setPen(palette().text().color());
    const double step = RulerStep(std::max(1.0, 90 * scale_));
    painter.drawLine(nameWidth_, kRulerHeight - 1, width(), kRulerHeight - 1);
    for (double t = std::floor(first / step) * step; t <= static_cast<double>(last); t += step) {
        const int x = XOf(t);
        if (x < nameWidth_) continue;
        painter.drawLine(x, kRulerHeight - 6, x, kRulerHeight - 1);
        painter.drawText(x + 3, kRulerHeight - 6, QString::number(static_cast<qulonglong>(t)));
    }
}

void TSignalView::DrawRow(QPainter& painter, int row, uint64_t first, uint64_t last, bool withName) {
    const int top = kRulerHeight + row * kRowHeight;
    const QRect names(0, top, nameWidth_ - 1, kRowHeight);
    if (row == selected_) painter.fillRect(names, kSelected);
    painter.setPen(kGrid);
    painter.drawLine(0, top + kRowHeight - 1, width(), top + kRowHeight - 1);
    painter.setPen(palette().text().color());
    const QStaticText& name = names_[row];
    if (withName)
        painter.drawStaticText(4, top + (kRowHeight - static_cast<int>(name.size().height())) / 2, name);
    if (!recorder_ || recorder_->Count() == 0) return;

    const uint32_t mask = uint32_t{1} << rows_[row].Bit;
    const int high = top + 3, low = top + kRowHeight - 4;
    const uint64_t begin = std::max(first, recorder_->Start());
    const uint64_t end = std::min(last, End());
    if (begin > end) return;
    // Everything below lies within the row, from the names' edge on.
    painter.setPen(QPen(kWave, 1));
    size_t i = recorder_->IndexAt(begin);
    const size_t lastIndex = recorder_->IndexAt(end);
    bool level = recorder_->At(i).Levels & mask;
    int x = std::max(nameWidth_, XOf(static_cast<double>(begin)));
    const int xEnd = XOf(static_cast<double>(end));
    if (lastIndex - i <= static_cast<size_t>(4 * WaveWidth())) {
        // Few changes: each edge where it is.
        for (++i; i <= lastIndex; ++i) {
            const bool next = recorder_->At(i).Levels & mask;
            if (next == level) continue;
            const int xe = XOf(static_cast<double>(recorder_->At(i).Time));
            if (level) painter.fillRect(x, high, xe - x, low - high, kHighFill);
            painter.drawLine(x, level ? high : low, xe, level ? high : low);
            painter.drawLine(xe, high, xe, low);
            x = xe;
            level = next;
        }
        if (level) painter.fillRect(x, high, xEnd - x, low - high, kHighFill);
        painter.drawLine(x, level ? high : low, xEnd, level ? high : low);
    } else {
        // More changes than pixels: a column with an edge in it is drawn full height.
        for (int px = x; px < xEnd; ++px) {
            const size_t a = recorder_->IndexAt(static_cast<uint64_t>(std::max(0.0, TimeAt(px))));
            const size_t b = recorder_->IndexAt(static_cast<uint64_t>(std::max(0.0, TimeAt(px + 1))));
            bool edge = false;
            const bool startLevel = recorder_->At(a).Levels & mask;
            const size_t stride = std::max<size_t>(1, (b - a) / 16);
            for (size_t j = a + 1; j <= b && !edge; j += stride)
                edge = static_cast<bool>(recorder_->At(j).Levels & mask) != startLevel;
            if (edge) painter.drawLine(px, high, px, low);
            else painter.drawPoint(px, startLevel ? high : low);
        }
    }
}

void TSignalView::DrawLine(QPainter& painter, std::optional<uint64_t> time, const QColor& color) {
    if (!time) return;
    const int x = XOf(static_cast<double>(*time));
    if (x < nameWidth_ || x > width()) return;
    painter.setPen(QPen(color, 1, color == kNow ? Qt::SolidLine : Qt::DashLine));
    painter.drawLine(x, kRulerHeight, x, height());
}

// --- the user's hand -----------------------------------------------------------------------------

void TSignalView::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::MiddleButton) {
        dragX_ = at.x();
        dragStart_ = start_;
        return;
    }
    if (at.x() < nameWidth_) {
        const int row = RowAt(at.y());
        if (row >= 0) {
            SelectRow(row);
            emit viewChanged();
        }
        return;
    }
    const uint64_t time = static_cast<uint64_t>(std::max(0.0, std::round(TimeAt(at.x()))));
    const bool second = event->button() == Qt::RightButton ||
                        (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
    if (second) cursorB_ = time;
    else if (event->button() == Qt::LeftButton) cursorA_ = time;
    else return;
    update();
    emit viewChanged();
}

void TSignalView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragX_) return;
    SetView(dragStart_ - (event->position().x() - *dragX_) * scale_, scale_);
    emit viewChanged();
}

void TSignalView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton) dragX_.reset();
}

void TSignalView::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0) return;
    if (event->modifiers() & Qt::ShiftModifier) {
        SetView(start_ - delta / 120.0 * WaveWidth() / 8 * scale_, scale_);
    } else {
        ZoomBy(delta > 0 ? 1 / 1.25 : 1.25, static_cast<int>(event->position().x()));
    }
    emit viewChanged();
}
