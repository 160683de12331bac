#include "session/addressview.h"

#include <algorithm>

#include "assembler/disasm.h"
#include "base/encoding.h"
#include "engine/hex.h"
#include "engine/simulator.h"
#include "session/session.h"
#include "session/symbols.h"

TAddressView::TAddressView(TSession& session) : session_(session) {}

void TAddressView::SetMemoryTop(int32_t top) {
    if (memoryTop_ == top) return;
    memoryTop_ = top;
}

std::string TAddressView::JumpText() const {
    const int64_t top = memoryTop_;
    const auto magnitude = static_cast<uint32_t>(top < 0 ? -top : top);
    int digits = 4;
    while (digits < 8 && (magnitude >> (4 * digits)) != 0)
        ++digits;
    return (top < 0 ? "-$" : "$") + HexText(magnitude, digits);
}

void TAddressView::Back() {
    // In 64 bits: a jump may have left memoryTop at the smallest 32-bit number.
    SetMemoryTop(static_cast<int32_t>(std::max<int64_t>(int64_t{memoryTop_} - 1, 0)));
}

void TAddressView::Forward() {
    if (memoryTop_ < 0xFFFF) SetMemoryTop(memoryTop_ + 1);
}

void TAddressView::ToggleFollow() { followPc_ = !followPc_; }

void TAddressView::ProgramCounterMoved(uint16_t pc) {
    if (followPc_) SetMemoryTop(pc);
}

int TAddressView::RowCount(int fitting) const { return std::clamp(fitting, 0, 0x10000 - Top()); }

uint16_t TAddressView::RowAddress(int row) const {
    return static_cast<uint16_t>(static_cast<uint32_t>(memoryTop_) + static_cast<uint32_t>(row));
}

MemoryCell TAddressView::Cell(uint16_t address) const {
    return MemoryCell{session_.PeekValue(address), session_.PeekLine(address)};
}

std::string TAddressView::RowText(uint16_t address, MemoryCell cell) {
    std::string text;
    text.reserve(16);
    AppendHex(text, address, 4);
    const char* open = " : [";
    const char* close = "]";
    if (cell.Line == RegisterLine) {
        open = " : <";
        close = ">";
    } else if (cell.Line == NoLine) {
        open = " :  ";
        close = " ";
    } else if (cell.Line >= 1) {
        open = " : (";
        close = ")";
    }
    text += open;
    AppendHex(text, cell.Value, 2);
    text += close;
    if (cell.Value == 0x7F) {
        // DEL is a control code too; it has no picture of its own.
        text += "  .";
    } else if (cell.Value >= 0x20) {
        text += "  ";
        text += Cp1250ToUtf8(std::string(1, static_cast<char>(cell.Value)));
    }
    return text;
}

void TAddressView::ToggleDisassembly() { disassembly_ = !disassembly_; }

std::vector<TDisRow> TAddressView::DisassemblyRows(int fitting) const {
    const TLabelOf labelOf = [this](uint16_t value) {
        return symbols_ ? Cp1250ToUtf8(symbols_->ReferenceTo(value)) : std::string();
    };
    const uint16_t pc = session_.Cpu().PC;
    std::vector<TDisRow> rows;
    for (uint32_t address = Top(); address <= 0xFFFF && static_cast<int>(rows.size()) < fitting;) {
        const auto a = static_cast<uint16_t>(address);
        std::array<uint8_t, 3> bytes{};
        const size_t n = DecodeWindow(a);
        for (size_t i = 0; i < n; ++i)
            bytes[i] = session_.PeekValue(static_cast<uint16_t>(a + i));
        const TDisLine line = DecodeLine(a, std::span(bytes.data(), n));
        const std::string label = symbols_ ? Cp1250ToUtf8(symbols_->NameOf(a)) : std::string();
        TDisRow row;
        row.Address = a;
        row.Pc = a == pc;
        row.Text = (row.Pc ? ">" : " ") + DisRowText(line, label, OperandText(line, labelOf));
        rows.push_back(std::move(row));
        address += line.Length;
    }
    return rows;
}

bool TAddressView::Editable() const { return session_.Loaded(); }

void TAddressView::EditByte(uint16_t address, int32_t value) {
    MemoryCell cell = Cell(address);
    cell.Value = static_cast<uint8_t>(static_cast<uint32_t>(value));
    if (cell.Line == NoLine) cell.Line = 0;
    session_.Memory().Write(address, cell, false);
}

void TAddressView::ClearMemory() { session_.Memory().Clear(); }
