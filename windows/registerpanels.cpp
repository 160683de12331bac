#include "windows/registerpanels.h"

#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "engine/hex.h"
#include "session/cycles.h"
#include "session/session.h"
#include "windows/displaystyle.h"
#include "windows/vnos.h"

namespace {

const QColor kText(Qt::yellow);
const QColor kBackground = kNavy;
const QColor kGridLine(0x80, 0x80, 0x80);
const QColor kSelected(0x00, 0x00, 0xC0);
constexpr int kLine = 1; // grid line width

// The register shown in each cell of gRegistri, by (column, row), and the flag of each column
// of gCCR.
CpuRegister RegisterAt(int column, int row) {
    static const CpuRegister table[3][2] = {{CpuRegister::A, CpuRegister::B},
                                            {CpuRegister::D, CpuRegister::X},
                                            {CpuRegister::PC, CpuRegister::SP}};
    return table[column][row];
}
constexpr CpuFlag kFlagColumns[6] = {CpuFlag::H, CpuFlag::I, CpuFlag::N, CpuFlag::Z, CpuFlag::V, CpuFlag::C};

// "A: $12", "PC: $2000": the label and the value as the register line writes it.
QString RegisterCell(const TRegisterValues& values, CpuRegister reg) {
    std::string text = std::string(RegisterLabel(reg)) + ": $";
    AppendRegisterText(text, values, reg);
    return QString::fromStdString(text);
}

} // namespace

// ---------------------------------------------------------------------------------------------

TTextGrid::TTextGrid(const std::vector<int>& columnWidths, int rows, int pointSize, QWidget* parent)
    : QWidget(parent), widths_(columnWidths), rows_(rows),
      cells_(columnWidths.size() * static_cast<size_t>(rows)) {
    setFont(FixedFont(pointSize));
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
    text_.SetFont(font());
    for (int row = 0; row < rows_; ++row) {
        for (int column = 0; column < ColumnCount(); ++column) {
            const QRect rect = CellRect(column, row);
            if (!rect.intersects(event->rect())) continue;
            const bool selected = hasFocus() && column == selColumn_ && row == selRow_;
            painter.fillRect(rect, selected ? kSelected : kBackground);
            painter.setPen(kText);
            text_.Draw(painter, rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
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

TRegisterPanels::TRegisterPanels(TSession& session, QWidget* parent) : QWidget(parent), session_(session) {
    setObjectName("RegisterPanels");
    gRegistri = new TTextGrid({96, 96, 96}, 2, 12, this);
    gRegistri->setObjectName("gRegistri");
    gCCR = new TTextGrid({16, 16, 16, 16, 16, 16}, 2, 12, this);
    gCCR->setObjectName("gCCR");
    gCikli = new TTextGrid({150, 72}, 2, 10, this);
    gCikli->setObjectName("gCikli");
    gCikli->setToolTip(
        QStringLiteral("Cikli ure E in čas na čipu pri E = 1,2288 MHz; dvojni klik jih postavi "
                       "na 0. Desno model procesorja in, ali procesor čaka (WAI)"));
    sgUkaz = new TTextGrid({130, 50}, 2, 10, this);
    sgUkaz->setObjectName("sgUkaz");
    sgUkaz->SetCell(0, 0, QStringLiteral("Prejšnji ukaz:"));
    sgUkaz->SetCell(0, 1, QStringLiteral("Naslednji ukaz:"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(4);
    layout->addWidget(gRegistri);
    layout->addWidget(gCCR);
    layout->addWidget(gCikli);
    layout->addWidget(sgUkaz);
    layout->addStretch(1);

    connect(gRegistri, &TTextGrid::cellDoubleClicked, this, &TRegisterPanels::EditRegister);
    connect(gCCR, &TTextGrid::cellDoubleClicked, this, [this](int column, int) { ToggleFlag(column); });
    connect(gCikli, &TTextGrid::cellDoubleClicked, this, &TRegisterPanels::ResetCycles);
    FitInstructionColumn();
    // Every cell stays empty until the first frame after a load.
}

void TRegisterPanels::ShowCycles() {
    const uint64_t cycles = session_.Cycles();
    gCikli->SetCell(0, 0, QString::fromStdString(CycleCountText(cycles)));
    gCikli->SetCell(0, 1, QString::fromStdString(CycleTimeText(cycles, session_.TimeHz())));
    const std::string_view model = ModelTitle(session_.Loaded() ? session_.LoadedModel() : session_.Model());
    gCikli->SetCell(1, 0, QString::fromUtf8(model.data(), static_cast<int>(model.size())));
    gCikli->SetCell(1, 1, session_.Waiting() ? QStringLiteral("čaka") : QString());
}

void TRegisterPanels::ResetCycles() {
    session_.ResetCycles();
    // The counter is on show from the first load on, and keeps showing after a stop.
    if (!gCikli->Cell(0, 0).isEmpty()) ShowCycles();
}

bool TRegisterPanels::Loaded() const { return session_.Loaded(); }

void TRegisterPanels::DrawFrame(const TDisplayFrame& frame) {
    if (!frame.Processor()) return;

    const TRegisterValues values = session_.Registers();
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 2; ++row)
            gRegistri->SetCell(column, row, RegisterCell(values, RegisterAt(column, row)));
    for (int column = 0; column < 6; ++column) {
        gCCR->SetCell(column, 0, QString::fromLatin1(FlagLabel(kFlagColumns[column])));
        gCCR->SetCell(column, 1,
                      session_.FlagValue(kFlagColumns[column]) ? QStringLiteral("1") : QStringLiteral("0"));
    }

    ShowCycles();
    sgUkaz->SetCell(1, 0, QString::fromStdString(session_.PreviousInstruction()));
    // The instruction at PC, read past the trace recorder.
    sgUkaz->SetCell(1, 1, QString::fromStdString(session_.NextInstruction()));
}

void TRegisterPanels::FitInstructionColumn() {
    const QFontMetrics metrics(sgUkaz->font());
    int widest = 0;
    for (int opcode = 0; opcode < 256; ++opcode) {
        const QString name = QString::fromStdString(session_.InstructionName(static_cast<uint8_t>(opcode)));
        widest = std::max(widest, metrics.horizontalAdvance(name));
    }
    sgUkaz->SetColumnWidth(1, std::max(50, widest + 6));
}

void TRegisterPanels::EditRegister(int column, int row) {
    if (!Loaded() || column < 0 || column > 2 || row < 0 || row > 1) return;
    const CpuRegister reg = RegisterAt(column, row);
    // Offered as four digits whatever the register's width: $00FF for A holding $FF.
    std::string current = "$";
    AppendHex(current, session_.Registers().Value(reg), 4);
    const QString prompt = QStringLiteral("Vrednost registra %1 :").arg(QLatin1String(RegisterLabel(reg)));
    const std::optional<int32_t> entered = AskEntryInteger(prompt, QString::fromStdString(current));
    // The run goes on while the dialog is open; if it ended meanwhile, the session drops the
    // edit: the panels no longer follow the processor, so it would change a register nobody sees.
    if (entered && session_.SetRegister(reg, *entered)) emit refreshRequested();
}

void TRegisterPanels::ToggleFlag(int column) {
    if (!Loaded() || column < 0 || column > 5) return;
    // The flag itself is toggled, not the digit on show: during a fast run the panels are
    // drawn once per frame and may be a few steps behind.
    if (session_.ToggleFlag(kFlagColumns[column])) emit refreshRequested();
}
