#include "board/hd44780.h"

#include <algorithm>
#include <limits>

namespace {

using TState = THd44780::State;

// The address after `a` when the counter counts up or down. In DDRAM with two lines the
// counter runs from the end of one line to the start of the other.
uint8_t NextAddress(const TState& s, uint8_t a, bool up) {
    if (s.AcCgram) return static_cast<uint8_t>((a + (up ? 1 : 63)) & 0x3F);
    if (s.TwoLines) {
        if (up) return a == 0x27 ? 0x40 : a == 0x67 ? 0x00 : static_cast<uint8_t>((a + 1) & 0x7F);
        return a == 0x40 ? 0x27 : a == 0x00 ? 0x67 : static_cast<uint8_t>((a - 1) & 0x7F);
    }
    if (up) return a == 0x4F ? 0x00 : static_cast<uint8_t>((a + 1) & 0x7F);
    return a == 0x00 ? 0x4F : static_cast<uint8_t>(a - 1);
}

uint8_t RamAtCounter(const TState& s) {
    if (s.AcCgram) return s.Cgram[s.Ac & 0x3F];
    const int cell = THd44780::Cell(s, s.Ac);
    return cell < 0 ? 0 : s.Ddram[static_cast<size_t>(cell)];
}

void ShiftDisplay(TState& s, bool left) { s.Shift = static_cast<uint8_t>((s.Shift + (left ? 1 : 79)) % 80); }

void KeepBusy(TState& s, uint64_t now, uint64_t ns) { s.BusyUntil = now + ns; }

// A data transfer moved the counter: a busy-flag read shows the old address a little longer.
void CounterMoved(TState& s, uint8_t before) {
    s.AcBefore = before;
    s.AcShownFrom = s.BusyUntil + THd44780::kAddressUpdateNs;
}

void Instruction(TState& s, uint64_t now, uint8_t v) {
    using H = THd44780;
    s.AcShownFrom = 0;
    if (v & H::SET_DDRAM) {
        s.Ac = v & 0x7F;
        s.AcCgram = false;
        s.Dr = RamAtCounter(s);
    } else if (v & H::SET_CGRAM) {
        s.Ac = v & 0x3F;
        s.AcCgram = true;
        s.Dr = RamAtCounter(s);
    } else if (v & H::FUNCTION) {
        s.EightBit = (v & H::FUNCTION_DL) != 0;
        s.TwoLines = (v & H::FUNCTION_N) != 0;
        s.Font5x10 = (v & H::FUNCTION_F) != 0;
        s.SecondHalf = false;
    } else if (v & H::SHIFT) {
        if (v & H::SHIFT_SC) ShiftDisplay(s, (v & H::SHIFT_RL) == 0);
        else s.Ac = NextAddress(s, s.Ac, (v & H::SHIFT_RL) != 0);
        s.Dr = RamAtCounter(s);
    } else if (v & H::CONTROL) {
        s.DisplayOn = (v & H::CONTROL_D) != 0;
        s.CursorOn = (v & H::CONTROL_C) != 0;
        s.Blink = (v & H::CONTROL_B) != 0;
    } else if (v & H::ENTRY) {
        s.Increment = (v & H::ENTRY_ID) != 0;
        s.ShiftOnWrite = (v & H::ENTRY_S) != 0;
    } else if (v & (H::HOME | H::CLEAR)) {
        if (v & H::CLEAR) {
            s.Ddram.fill(0x20);
            s.Increment = true;
        }
        s.Ac = 0;
        s.AcCgram = false;
        s.Shift = 0;
        KeepBusy(s, now, H::kHomeNs);
        return;
    } else {
        return; // $00 is no instruction
    }
    KeepBusy(s, now, H::kInstructionNs);
}

} // namespace

THd44780::State THd44780::PowerOn(uint64_t now) {
    State s;
    s.Ddram.fill(0x20);
    s.Dr = 0x20;
    s.BusyUntil = now + kPowerOnNs;
    return s;
}

int THd44780::Cell(const State& s, uint8_t address) {
    if (!s.TwoLines) return address < 80 ? address : -1;
    if (address < 0x28) return address;
    if (address >= 0x40 && address < 0x68) return address - 0x40 + 40;
    return -1;
}

void THd44780::Write(State& s, uint64_t now, bool rs, uint8_t value) {
    if (Busy(s, now)) return;
    if (!rs) {
        Instruction(s, now, value);
        return;
    }
    s.Dr = value;
    if (s.AcCgram) {
        s.Cgram[s.Ac & 0x3F] = value;
    } else {
        const int cell = Cell(s, s.Ac);
        if (cell >= 0) s.Ddram[static_cast<size_t>(cell)] = value;
        if (s.ShiftOnWrite) ShiftDisplay(s, s.Increment);
    }
    const uint8_t before = s.Ac;
    s.Ac = NextAddress(s, s.Ac, s.Increment);
    KeepBusy(s, now, kInstructionNs);
    CounterMoved(s, before);
}

void THd44780::ReadDone(State& s, uint64_t now) {
    if (Busy(s, now)) return;
    const uint8_t before = s.Ac;
    s.Ac = NextAddress(s, s.Ac, s.Increment);
    s.Dr = RamAtCounter(s);
    KeepBusy(s, now, kInstructionNs);
    CounterMoved(s, before);
}

uint8_t THd44780::StatusByte(const State& s, uint64_t now) {
    const uint8_t ac = now < s.AcShownFrom ? s.AcBefore : s.Ac;
    return static_cast<uint8_t>((Busy(s, now) ? BUSY_FLAG : 0) | (ac & 0x7F));
}

uint8_t THd44780::Output(const State& s, uint64_t now, bool rs) {
    const uint8_t value = rs ? s.Dr : StatusByte(s, now);
    if (s.EightBit) return value;
    return static_cast<uint8_t>(s.SecondHalf ? (value << 4) & 0xF0 : value & 0xF0);
}

void THd44780::Pins(State& s, uint64_t now, bool e, bool rs, bool rw, uint8_t bus) {
    if (s.Enable && !e) {
        // The transfer, with the pins as they stood while E was high.
        bool whole = true;
        uint8_t value = s.LatchedBus;
        if (!s.EightBit) {
            if (!s.SecondHalf) {
                s.SecondHalf = true;
                s.FirstHalf = s.LatchedBus >> 4;
                whole = false;
            } else {
                s.SecondHalf = false;
                value = static_cast<uint8_t>((s.FirstHalf << 4) | (s.LatchedBus >> 4));
            }
        }
        if (whole) {
            if (!s.LatchedRw) Write(s, now, s.LatchedRs, value);
            else if (s.LatchedRs) ReadDone(s, now);
        }
    }
    if (e) {
        s.LatchedRs = rs;
        s.LatchedRw = rw;
        s.LatchedBus = bus;
    }
    s.Enable = e;
}

uint64_t THd44780::NextChange(const State& s, uint64_t now) {
    uint64_t next = std::numeric_limits<uint64_t>::max();
    if (s.BusyUntil > now) next = s.BusyUntil;
    if (s.AcShownFrom > now) next = std::min(next, s.AcShownFrom);
    return next;
}

std::optional<uint8_t> THd44780::CharAt(const State& s, int rows, int cols, int row, int col) {
    if (!s.DisplayOn || row < 0 || row >= rows || col < 0 || col >= cols) return std::nullopt;
    if (s.TwoLines) {
        // Rows 3 and 4 of a four-row module continue lines 1 and 2.
        const int line = row % 2;
        const int place = ((row / 2) * cols + col + s.Shift) % 40;
        return s.Ddram[static_cast<size_t>(line * 40 + place)];
    }
    if (row != 0) return std::nullopt;
    return s.Ddram[static_cast<size_t>((col + s.Shift) % 80)];
}

std::optional<std::pair<int, int>> THd44780::CursorPlace(const State& s, int rows, int cols) {
    if (!s.DisplayOn || s.AcCgram) return std::nullopt;
    const int cell = Cell(s, s.Ac);
    if (cell < 0) return std::nullopt;
    if (!s.TwoLines) {
        const int col = ((cell - s.Shift) % 80 + 80) % 80;
        if (col < cols) return std::pair{0, col};
        return std::nullopt;
    }
    const int line = cell / 40, place = cell % 40;
    for (int row = line; row < rows; row += 2) {
        const int col = ((place - (row / 2) * cols - s.Shift) % 40 + 40) % 40;
        if (col < cols) return std::pair{row, col};
    }
    return std::nullopt;
}
