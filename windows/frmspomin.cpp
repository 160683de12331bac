#include "windows/frmspomin.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <new>

#include "engine/hex.h"
#include "session/addressview.h"
#include "windows/displaystyle.h"
#include "windows/paintedicon.h"
#include "windows/prompt.h"
#include "windows/vnos.h"

namespace {

const QColor kText(Qt::yellow);
const QColor kBackground = kNavy;
const QColor kSelected(0x00, 0x00, 0xD0); // a brighter blue behind the selected row
const QColor kPcRow(0x80, 0x00, 0x00);    // dark red behind the instruction at PC

QString Hex(unsigned value, int digits) { return QString::fromLatin1(HexText(value, digits)); }

// The pictures of the strip's buttons, drawn at whatever size and pixel density they are shown.
void DrawUp(QPainter& p, const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.left() + r.width() * 0.15, r.top() + r.height() * 0.7);
    path.lineTo(r.center().x(), r.top() + r.height() * 0.25);
    path.lineTo(r.right() - r.width() * 0.15, r.top() + r.height() * 0.7);
    path.closeSubpath();
    p.fillPath(path, p.pen().color());
}

void DrawDown(QPainter& p, const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.left() + r.width() * 0.15, r.top() + r.height() * 0.3);
    path.lineTo(r.center().x(), r.top() + r.height() * 0.75);
    path.lineTo(r.right() - r.width() * 0.15, r.top() + r.height() * 0.3);
    path.closeSubpath();
    p.fillPath(path, p.pen().color());
}

// Jump: an arrow pointing at a bar.
void DrawJump(QPainter& p, const QRectF& r) {
    const QColor ink = p.pen().color();
    const qreal y = r.center().y(), w = r.width();
    p.setPen(QPen(ink, w * 0.11, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(r.left() + w * 0.1, y), QPointF(r.left() + w * 0.55, y));
    QPainterPath head;
    head.moveTo(r.left() + w * 0.5, y - w * 0.25);
    head.lineTo(r.left() + w * 0.78, y);
    head.lineTo(r.left() + w * 0.5, y + w * 0.25);
    head.closeSubpath();
    p.fillPath(head, ink);
    p.fillRect(QRectF(r.left() + w * 0.8, r.top() + w * 0.15, w * 0.1, r.height() - w * 0.3), ink);
}

// Clear: a waste bin.
void DrawClear(QPainter& p, const QRectF& r) {
    const QColor ink = p.pen().color();
    const qreal w = r.width(), h = r.height();
    p.setPen(QPen(ink, w * 0.08, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(r.left() + w * 0.15, r.top() + h * 0.22),
               QPointF(r.right() - w * 0.15, r.top() + h * 0.22));
    p.drawLine(QPointF(r.left() + w * 0.4, r.top() + h * 0.12),
               QPointF(r.right() - w * 0.4, r.top() + h * 0.12));
    QPainterPath bin;
    bin.moveTo(r.left() + w * 0.24, r.top() + h * 0.3);
    bin.lineTo(r.left() + w * 0.31, r.bottom() - h * 0.1);
    bin.lineTo(r.right() - w * 0.31, r.bottom() - h * 0.1);
    bin.lineTo(r.right() - w * 0.24, r.top() + h * 0.3);
    p.drawPath(bin);
    for (qreal x : {0.42, 0.58})
        p.drawLine(QPointF(r.left() + w * x, r.top() + h * 0.4),
                   QPointF(r.left() + w * x, r.bottom() - h * 0.22));
}

// Instructions: lines of text of different lengths, indented like source lines.
void DrawInstructions(QPainter& p, const QRectF& r) {
    const QColor ink = p.pen().color();
    const qreal w = r.width(), h = r.height();
    p.setPen(QPen(ink, h * 0.1, Qt::SolidLine, Qt::FlatCap));
    const qreal rows[][2] = {{0.1, 0.9}, {0.3, 0.75}, {0.3, 0.85}, {0.3, 0.6}};
    for (int i = 0; i < 4; ++i) {
        const qreal y = r.top() + h * (0.2 + 0.2 * i);
        p.drawLine(QPointF(r.left() + w * rows[i][0], y), QPointF(r.left() + w * rows[i][1], y));
    }
}

QToolButton* StripButton(QWidget* parent, const char* name, const QString& hint, const QIcon& icon) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(22, 22);
    if (!icon.isNull()) {
        b->setIcon(icon);
        b->setIconSize(QSize(16, 16));
    }
    return b;
}

} // namespace

// ============================================================================ TAddressList

TAddressList::TAddressList(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("lbSpomin"));
    QFont font = FixedFont();
    font.setPixelSize(13);
    setFont(font);
    // Clicked, never tabbed into.
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(60, kRowHeight);
}

void TAddressList::SetRows(uint16_t top, std::vector<MemoryCell> cells) {
    const auto same = [](const MemoryCell& a, const MemoryCell& b) {
        return a.Value == b.Value && a.Line == b.Line;
    };
    if (!instructions_ && top == top_ && cells.size() == cells_.size() &&
        std::equal(cells.begin(), cells.end(), cells_.begin(), same))
        return;
    // The selection marks a row of addresses: when the list moves, it goes (as a list box's
    // selection goes when its items are replaced).
    const bool wasSelected = selected_ >= 0;
    if (instructions_ || top != top_ || selected_ >= static_cast<int>(cells.size())) selected_ = -1;
    // Rows already drawn stay: the list's picture moves with them when the list moves by fewer
    // rows than it shows (as it does when it follows the program counter), and only the rows
    // that came into view or whose cell changed are drawn again.
    const int count = static_cast<int>(cells.size());
    const int shift = static_cast<int>(top) - static_cast<int>(top_);
    if (!instructions_ && cells.size() == cells_.size() && std::abs(shift) < count &&
        !(shift != 0 && wasSelected)) {
        if (shift != 0) {
            scroll(0, -shift * kRowHeight);
            // Below the last row the list is empty, whatever the move brought there.
            update(0, count * kRowHeight, width(), height() - count * kRowHeight);
        }
        for (int row = 0; row < count; ++row) {
            const int was = row + shift; // where the row's address stood
            if (was < 0 || was >= count ||
                !same(cells[static_cast<size_t>(row)], cells_[static_cast<size_t>(was)]))
                UpdateRow(row);
        }
    } else {
        update();
    }
    instructions_ = false;
    rows_.clear();
    top_ = top;
    cells_ = std::move(cells);
}

void TAddressList::SetInstructions(uint16_t top, std::vector<TDisRow> rows) {
    if (instructions_ && top == top_ && rows == rows_) return;
    if (!instructions_ || top != top_ || selected_ >= static_cast<int>(rows.size())) selected_ = -1;
    if (instructions_ && top == top_ && rows.size() == rows_.size()) {
        for (size_t row = 0; row < rows.size(); ++row)
            if (!(rows[row] == rows_[row])) UpdateRow(static_cast<int>(row));
    } else {
        update();
    }
    instructions_ = true;
    cells_.clear();
    top_ = top;
    rows_ = std::move(rows);
}

void TAddressList::UpdateRow(int row) { update(0, row * kRowHeight, width(), kRowHeight); }

uint16_t TAddressList::RowAddress(int row) const {
    if (instructions_ && row >= 0 && row < RowCount()) return rows_[static_cast<size_t>(row)].Address;
    return static_cast<uint16_t>(top_ + row);
}

QString TAddressList::RowText(int row) const {
    if (row < 0 || row >= RowCount()) return {};
    if (instructions_) return QString::fromStdString(rows_[static_cast<size_t>(row)].Text);
    return QString::fromStdString(
        TAddressView::RowText(static_cast<uint16_t>(top_ + row), cells_[static_cast<size_t>(row)]));
}

int TAddressList::RowAt(const QPoint& position) const {
    if (position.y() < 0) return -1;
    const int row = position.y() / kRowHeight;
    return row < RowCount() ? row : -1;
}

void TAddressList::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), kBackground);
    painter.setFont(font());
    text_.SetFont(font());
    painter.setPen(kText);
    // The rows of each part of the region (a frame may change a few rows far apart).
    for (const QRect& part : event->region()) {
        const int first = std::max(0, part.top() / kRowHeight);
        const int last = std::min(RowCount() - 1, part.bottom() / kRowHeight);
        for (int row = first; row <= last; ++row) {
            const QRect rect(0, row * kRowHeight, width(), kRowHeight);
            if (row == selected_) painter.fillRect(rect, kSelected);
            else if (instructions_ && rows_[static_cast<size_t>(row)].Pc) painter.fillRect(rect, kPcRow);
            text_.Draw(painter, rect.adjusted(3, 0, 0, 0),
                       Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, RowText(row));
        }
    }
}

void TAddressList::mousePressEvent(QMouseEvent* event) {
    const int row = RowAt(event->position().toPoint());
    if (row >= 0 && row != selected_) {
        selected_ = row;
        update();
    }
    QWidget::mousePressEvent(event);
}

void TAddressList::mouseDoubleClickEvent(QMouseEvent* event) {
    // Below the last listed row there is nothing to edit.
    const int row = RowAt(event->position().toPoint());
    if (row < 0) return;
    selected_ = row;
    update();
    emit rowDoubleClicked(row);
}

void TAddressList::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    emit resized();
}

// ============================================================================ TfrmSpomin

TfrmSpomin::TfrmSpomin(TAddressView& view, QWidget* parent)
    : TToolFrame(QStringLiteral("Naslovni prostor"), Collapse::Strip, parent), view_(view) {
    setObjectName(QStringLiteral("frmSpomin"));
    Widget2()->SetShowHint(true);

    auto* layout = new QHBoxLayout(Body());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    lbSpomin = new TAddressList(Body());
    layout->addWidget(lbSpomin, 1);

    auto* strip = new QVBoxLayout();
    strip->setContentsMargins(0, 1, 1, 1);
    strip->setSpacing(1);
    btnGor = StripButton(Body(), "btnGor", QStringLiteral("Nazaj"), PaintedIcon(DrawUp));
    btnDol = StripButton(Body(), "btnDol", QStringLiteral("Naprej"), PaintedIcon(DrawDown));
    btnSkok = StripButton(Body(), "btnSkok", QStringLiteral("Skoči na lokacijo"), PaintedIcon(DrawJump));
    btnZmrzni = StripButton(Body(), "btnZmrzni", QStringLiteral("Zamrzni/odmrzni"), QIcon());
    QFont bold = btnZmrzni->font();
    bold.setBold(true);
    btnZmrzni->setFont(bold);
    btnBrisi =
        StripButton(Body(), "btnBrisi", QStringLiteral("Brisi naslovni prostor"), PaintedIcon(DrawClear));
    btnUkazi = StripButton(Body(), "btnUkazi", QStringLiteral("Ukazi/bajti"), PaintedIcon(DrawInstructions));
    btnUkazi->setCheckable(true);
    for (QToolButton* b : {btnGor, btnDol, btnSkok, btnZmrzni, btnBrisi, btnUkazi})
        strip->addWidget(b);
    strip->addStretch(1);
    layout->addLayout(strip);
    resize(230, 400);

    // Auto-repeat: a press with any mouse button starts it, the release stops it; the click of
    // the release (left button) adds one more step.
    tmrPonovi = new QTimer(this);
    tmrPonovi->setObjectName(QStringLiteral("tmrPonovi"));
    tmrPonovi->setInterval(kRepeatMs);
    connect(tmrPonovi, &QTimer::timeout, this, [this] { repeatForward_ ? Forward() : Back(); });
    btnGor->installEventFilter(this);
    btnDol->installEventFilter(this);
    lbSpomin->installEventFilter(this);
    connect(this, &TToolFrame::visibilityChanged, tmrPonovi, [this](bool shown) {
        if (!shown) tmrPonovi->stop();
    });

    connect(btnGor, &QToolButton::clicked, this, &TfrmSpomin::Back);
    connect(btnDol, &QToolButton::clicked, this, &TfrmSpomin::Forward);
    connect(btnSkok, &QToolButton::clicked, this, &TfrmSpomin::Jump);
    connect(btnZmrzni, &QToolButton::clicked, this, &TfrmSpomin::ToggleFreeze);
    connect(btnBrisi, &QToolButton::clicked, this, &TfrmSpomin::ClearMemory);
    connect(btnUkazi, &QToolButton::clicked, this, &TfrmSpomin::ToggleInstructions);
    connect(lbSpomin, &TAddressList::rowDoubleClicked, this, &TfrmSpomin::EditRow);
    connect(lbSpomin, &TAddressList::resized, this, &TfrmSpomin::Snapshot);

    DrawFrame({.Loaded = false});
}

void TfrmSpomin::DrawFrame(const TDisplayFrame& frame) {
    const QString freeze = QLatin1String(view_.FreezeCaption());
    if (btnZmrzni->text() != freeze) btnZmrzni->setText(freeze);
    if (btnUkazi->isChecked() != view_.Disassembly()) btnUkazi->setChecked(view_.Disassembly());
    if (frame.Loaded || live_) DrawOrTell([this] { return Redraw(); });
}

bool TfrmSpomin::Redraw() {
    live_ = true;
    Snapshot();
    return true;
}

bool DrawOrTell(const std::function<bool()>& draw) {
    QString reason;
    try {
        if (draw()) return true;
    } catch (const std::bad_alloc&) {
        reason = QStringLiteral("zmanjkalo je pomnilnika");
    } catch (const std::exception& e) {
        reason = QString::fromUtf8(e.what());
    }
    Prompt().ShowMessage(QStringLiteral("Orlek"), reason.isEmpty()
                                                      ? QStringLiteral("Napaka pri izpisu")
                                                      : QStringLiteral("Napaka pri izpisu: ") + reason);
    return false;
}

void TfrmSpomin::Snapshot() {
    // Before the first load there is nothing to list; a list nobody sees waits until it is shown.
    if (!live_ || !lbSpomin->isVisible()) return;
    if (view_.Disassembly()) {
        lbSpomin->SetInstructions(view_.Top(), view_.DisassemblyRows(lbSpomin->FittingRows()));
        return;
    }
    const int rows = view_.RowCount(lbSpomin->FittingRows());
    std::vector<MemoryCell> cells(static_cast<size_t>(rows));
    for (int row = 0; row < rows; ++row)
        cells[static_cast<size_t>(row)] = view_.Cell(view_.RowAddress(row));
    lbSpomin->SetRows(view_.Top(), std::move(cells));
}

void TfrmSpomin::Back() {
    view_.Back();
    emit refreshRequested();
}

void TfrmSpomin::Forward() {
    view_.Forward();
    emit refreshRequested();
}

void TfrmSpomin::Jump() {
    const std::optional<int32_t> top = AskEntryInteger(QStringLiteral("Na katero lokacijo naj skocim?"),
                                                       QString::fromStdString(view_.JumpText()));
    if (!top) return;
    view_.SetMemoryTop(*top);
    emit refreshRequested();
}

void TfrmSpomin::ToggleFreeze() {
    view_.ToggleFollow();
    emit refreshRequested();
}

void TfrmSpomin::ClearMemory() {
    view_.ClearMemory();
    emit refreshRequested();
}

void TfrmSpomin::ToggleInstructions() {
    // The window keeps its size (its neighbours stand beside it); an instruction row longer than
    // the list is cut at its right edge until the student widens the window.
    view_.ToggleDisassembly();
    emit refreshRequested();
}

void TfrmSpomin::EditRow(int row) {
    if (!view_.Editable() || row < 0 || row >= lbSpomin->RowCount()) return;
    // The address is taken now: a run going on behind the dialog may move the list.
    const uint16_t address =
        lbSpomin->ShowsInstructions() ? lbSpomin->RowAddress(row) : view_.RowAddress(row);
    const std::optional<int32_t> value =
        AskEntryInteger(QStringLiteral("Vrednost pom. lokacije $%1 :").arg(Hex(address, 4)),
                        QStringLiteral("$") + Hex(view_.Cell(address).Value, 2));
    if (!value) return;
    view_.EditByte(address, *value);
    emit refreshRequested();
}

bool TfrmSpomin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lbSpomin) {
        // Shown again (the window, or its body after a collapse): list what is there now.
        if (event->type() == QEvent::Show) Snapshot();
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        repeatForward_ = watched == btnDol;
        tmrPonovi->start();
    } else if (event->type() == QEvent::MouseButtonRelease) {
        tmrPonovi->stop();
    }
    return false;
}
