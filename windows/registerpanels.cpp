#include "windows/registerpanels.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "engine/simulator.h"
#include "windows/vnos.h"

namespace {

const QColor kText(Qt::yellow);
const QColor kBackground(0x00, 0x00, 0x80); // navy
const QColor kGridLine(0x80, 0x80, 0x80);
const QColor kSelected(0x00, 0x00, 0xC0);
constexpr int kLine = 1; // grid line width

QString Hex(unsigned value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

// The register shown in each cell of gRegistri, by (column, row).
enum class Reg { A, B, D, X, PC, SP };
Reg RegisterAt(int column, int row) {
    static const Reg table[3][2] = {{Reg::A, Reg::B}, {Reg::D, Reg::X}, {Reg::PC, Reg::SP}};
    return table[column][row];
}
const char* RegisterLabel(Reg reg) {
    switch (reg) {
    case Reg::A:
        return "A";
    case Reg::B:
        return "B";
    case Reg::D:
        return "D";
    case Reg::X:
        return "X";
    case Reg::PC:
        return "PC";
    case Reg::SP:
        return "SP";
    }
    return "";
}

} // namespace

// ---------------------------------------------------------------------------------------------

TTextGrid::TTextGrid(const std::vector<int>& columnWidths, int rows, int pointSize, QWidget* parent)
    : QWidget(parent), widths_(columnWidths), rows_(rows),
      cells_(columnWidths.size() * static_cast<size_t>(rows)) {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(pointSize);
    setFont(font);
    setFocusPolicy(Qt::ClickFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TTextGrid::SetColumnWidth(int column, int width) {
    widths_.at(static_cast<size_t>(column)) = width;
    updateGeometry();
    update();
}

QString TTextGrid::Cell(int column, int row) const {
    if (column < 0 || column >= ColumnCount() || row < 0 || row >= rows_) return {};
    return cells_[static_cast<size_t>(row * ColumnCount() + column)];
}

void TTextGrid::SetCell(int column, int row, const QString& text) {
    if (column < 0 || column >= ColumnCount() || row < 0 || row >= rows_) return;
    QString& cell = cells_[static_cast<size_t>(row * ColumnCount() + column)];
    if (cell == text) return;
    cell = text;
    update(CellRect(column, row));
}

void TTextGrid::Select(int column, int row) {
    if (column < 0 || column >= ColumnCount() || row < 0 || row >= rows_) return;
    if (column == selColumn_ && row == selRow_) return;
    update(CellRect(selColumn_, selRow_));
    selColumn_ = column;
    selRow_ = row;
    update(CellRect(selColumn_, selRow_));
}

QRect TTextGrid::CellRect(int column, int row) const {
    int x = 0;
    for (int c = 0; c < column; ++c)
        x += widths_[static_cast<size_t>(c)] + kLine;
    return QRect(x, row * (kRowHeight + kLine), widths_[static_cast<size_t>(column)], kRowHeight);
}

QPoint TTextGrid::CellAt(const QPoint& position) const {
    if (position.y() < 0 || position.x() < 0) return {-1, -1};
    const int row = position.y() / (kRowHeight + kLine);
    if (row >= rows_) return {-1, -1};
    int x = 0;
    for (int c = 0; c < ColumnCount(); ++c) {
        x += widths_[static_cast<size_t>(c)] + kLine;
        if (position.x() < x) return {c, row};
    }
    return {-1, -1};
}

QPoint TTextGrid::CellCentre(int column, int row) const { return CellRect(column, row).center(); }

QSize TTextGrid::sizeHint() const {
    int width = 0;
    for (int w : widths_)
        width += w + kLine;
    return {width, rows_ * (kRowHeight + kLine)};
}

void TTextGrid::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), kGridLine);
    painter.setFont(font());
    for (int row = 0; row < rows_; ++row) {
        for (int column = 0; column < ColumnCount(); ++column) {
            const QRect rect = CellRect(column, row);
            if (!rect.intersects(event->rect())) continue;
            const bool selected = hasFocus() && column == selColumn_ && row == selRow_;
            painter.fillRect(rect, selected ? kSelected : kBackground);
            painter.setPen(kText);
            painter.drawText(rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             cells_[static_cast<size_t>(row * ColumnCount() + column)]);
        }
    }
}

void TTextGrid::mousePressEvent(QMouseEvent* event) {
    const QPoint cell = CellAt(event->position().toPoint());
    if (cell.x() >= 0) Select(cell.x(), cell.y());
    QWidget::mousePressEvent(event);
}

void TTextGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    const QPoint cell = CellAt(event->position().toPoint());
    if (cell.x() < 0) return;
    Select(cell.x(), cell.y());
    emit cellDoubleClicked(cell.x(), cell.y());
}

// ---------------------------------------------------------------------------------------------

TRegisterPanels::TRegisterPanels(Tsimulator& cpu, QWidget* parent) : QWidget(parent), cpu_(cpu) {
    setObjectName("RegisterPanels");
    gRegistri = new TTextGrid({96, 96, 96}, 2, 12, this);
    gRegistri->setObjectName("gRegistri");
    gCCR = new TTextGrid({16, 16, 16, 16, 16, 16}, 2, 12, this);
    gCCR->setObjectName("gCCR");
    sgUkaz = new TTextGrid({130, 50}, 2, 10, this);
    sgUkaz->setObjectName("sgUkaz");
    sgUkaz->SetCell(0, 0, QStringLiteral("Prejšnji ukaz:"));
    sgUkaz->SetCell(0, 1, QStringLiteral("Naslednji ukaz:"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(4);
    layout->addWidget(gRegistri);
    layout->addWidget(gCCR);
    layout->addWidget(sgUkaz);
    layout->addStretch(1);

    connect(gRegistri, &TTextGrid::cellDoubleClicked, this, &TRegisterPanels::EditRegister);
    connect(gCCR, &TTextGrid::cellDoubleClicked, this, [this](int column, int) { ToggleFlag(column); });
}

std::optional<int> TRegisterPanels::Refresh(bool evenIfIdle) {
    if (!Loaded() && !evenIfIdle) return std::nullopt;

    gRegistri->SetCell(0, 0, QStringLiteral("A: $") + Hex(cpu_.A, 2));
    gRegistri->SetCell(0, 1, QStringLiteral("B: $") + Hex(cpu_.B, 2));
    gRegistri->SetCell(1, 0, QStringLiteral("D: $") + Hex(cpu_.D, 4));
    gRegistri->SetCell(1, 1, QStringLiteral("X: $") + Hex(cpu_.X, 4));
    gRegistri->SetCell(2, 0, QStringLiteral("PC: $") + Hex(cpu_.PC, 4));
    gRegistri->SetCell(2, 1, QStringLiteral("SP: $") + Hex(cpu_.SP, 4));

    static const char* const labels[6] = {"H", "I", "N", "Z", "V", "C"};
    const bool flags[6] = {cpu_.H, cpu_.I, cpu_.N, cpu_.Z, cpu_.V, cpu_.C};
    for (int column = 0; column < 6; ++column) {
        gCCR->SetCell(column, 0, QString::fromLatin1(labels[column]));
        gCCR->SetCell(column, 1, flags[column] ? QStringLiteral("1") : QStringLiteral("0"));
    }

    sgUkaz->SetCell(1, 0, previous_);
    // The instruction at PC, read past the trace recorder.
    MemoryCell cell;
    if (PeekCell) cell = PeekCell(cpu_.PC);
    else if (TMemory::ReadOwner(cpu_.PC) != RegisterOwner::None) cell = MemoryCell{0, RegisterLine};
    else cell = cpu_.Memory.Cells[cpu_.PC];
    QString name;
    if (InstructionName) name = QString::fromStdString(InstructionName(cell.Value)).toUpper();
    sgUkaz->SetCell(1, 1, name);
    if (name.isEmpty()) return std::nullopt;
    return cell.Line;
}

void TRegisterPanels::FitInstructionColumn() {
    if (!InstructionName) return;
    const QFontMetrics metrics(sgUkaz->font());
    int widest = 0;
    for (int opcode = 0; opcode < 256; ++opcode) {
        const QString name = QString::fromStdString(InstructionName(static_cast<uint8_t>(opcode))).toUpper();
        widest = std::max(widest, metrics.horizontalAdvance(name));
    }
    sgUkaz->SetColumnWidth(1, std::max(50, widest + 6));
}

void TRegisterPanels::ClearInstructionCells() {
    previous_.clear();
    sgUkaz->SetCell(1, 0, QString());
    sgUkaz->SetCell(1, 1, QString());
}

void TRegisterPanels::EditRegister(int column, int row) {
    if (!Loaded() || column < 0 || column > 2 || row < 0 || row > 1) return;
    const Reg reg = RegisterAt(column, row);
    unsigned current = 0;
    switch (reg) {
    case Reg::A:
        current = cpu_.A;
        break;
    case Reg::B:
        current = cpu_.B;
        break;
    case Reg::D:
        current = cpu_.D;
        break;
    case Reg::X:
        current = cpu_.X;
        break;
    case Reg::PC:
        current = cpu_.PC;
        break;
    case Reg::SP:
        current = cpu_.SP;
        break;
    }
    const QString prompt = QStringLiteral("Vrednost registra %1 :").arg(QLatin1String(RegisterLabel(reg)));
    const std::optional<int32_t> entered = AskEntryInteger(prompt, QStringLiteral("$") + Hex(current, 4));
    // The run goes on while the dialog is open; if it ended meanwhile, the panels no longer
    // follow the processor, so an edit now would change a register nobody sees.
    if (!entered || !Loaded()) return;
    // Truncated to the register's width; D and A:B are kept in step.
    const auto byte = static_cast<uint8_t>(static_cast<uint32_t>(*entered));
    const auto word = static_cast<uint16_t>(static_cast<uint32_t>(*entered));
    switch (reg) {
    case Reg::A:
        cpu_.A = byte;
        cpu_.JoinD();
        break;
    case Reg::B:
        cpu_.B = byte;
        cpu_.JoinD();
        break;
    case Reg::D:
        cpu_.D = word;
        cpu_.SplitD();
        break;
    case Reg::X:
        cpu_.X = word;
        break;
    case Reg::PC:
        cpu_.PC = word;
        break;
    case Reg::SP:
        cpu_.SP = word;
        break;
    }
    emit changed();
}

void TRegisterPanels::ToggleFlag(int column) {
    if (!Loaded() || column < 0 || column > 5) return;
    // Changing I drops every request not yet taken.
    if (column == 1) cpu_.Pending.reset();
    // The flag itself is toggled, not the digit on show: during a fast run the panels are
    // drawn once per frame and may be a few steps behind.
    bool* flags[6] = {&cpu_.H, &cpu_.I, &cpu_.N, &cpu_.Z, &cpu_.V, &cpu_.C};
    *flags[column] = !*flags[column];
    emit changed();
}
