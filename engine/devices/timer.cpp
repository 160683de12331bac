#include "engine/devices/timer.h"

#include "engine/memory.h"
#include "engine/random.h"
#include "engine/simulator.h"

namespace {
constexpr uint16_t kPort2Ddr = 0x01;
constexpr uint16_t kPort2Dr = 0x03;
constexpr uint8_t kPin1 = 0x02;

void SetHigh(uint16_t& word, uint8_t value) { word = static_cast<uint16_t>(value << 8 | (word & 0x00FF)); }
void SetLow(uint16_t& word, uint8_t value) { word = static_cast<uint16_t>((word & 0xFF00) | value); }
uint8_t High(uint16_t word) { return static_cast<uint8_t>(word >> 8); }
uint8_t Low(uint16_t word) { return static_cast<uint8_t>(word); }
} // namespace

TTimer::TTimer(TMemory& memory, TPending& pending, TRandom& random)
    : memory_(memory), pending_(pending), random_(random) {}

uint8_t TTimer::Peek(uint16_t address) const {
    switch (address) {
    case 0x08:
        return St.TCSR;
    case 0x09:
        return High(St.Counter);
    case 0x0A:
        return Low(St.Counter);
    case 0x0B:
        return High(St.OutputCompare);
    case 0x0C:
        return Low(St.OutputCompare);
    case 0x0D:
        return High(St.InputCapture);
    case 0x0E:
        return Low(St.InputCapture);
    default:
        return 0;
    }
}

uint8_t TTimer::ReadRegister(uint16_t address) {
    ++Touches;
    if (address < 0x08 || address > 0x0E) return 0;
    if (clock_) return ReadChip(address);
    const uint8_t value = Peek(address);
    // Reading the status register acknowledges overflow and capture; a compare match is
    // acknowledged by writing the compare register.
    if (address == 0x08) St.TCSR &= static_cast<uint8_t>(~(TCSR_TOF | TCSR_ICF));
    WithdrawAcknowledged();
    return value;
}

void TTimer::WriteRegister(uint16_t address, uint8_t value) {
    ++Touches;
    if (clock_) {
        WriteChip(address, value);
        return;
    }
    switch (address) {
    case 0x08:
        St.TCSR = static_cast<uint8_t>((value & ~TCSR_Flags) | (St.TCSR & TCSR_Flags));
        break;
    case 0x09:
        SetHigh(St.Counter, value);
        break;
    case 0x0A:
        SetLow(St.Counter, value);
        break;
    case 0x0B:
        SetHigh(St.OutputCompare, value);
        St.TCSR &= static_cast<uint8_t>(~TCSR_OCF);
        break;
    case 0x0C:
        SetLow(St.OutputCompare, value);
        St.TCSR &= static_cast<uint8_t>(~TCSR_OCF);
        break;
    case 0x0D:
        SetHigh(St.InputCapture, value);
        break;
    case 0x0E:
        SetLow(St.InputCapture, value);
        break;
    default:
        return;
    }
    WithdrawAcknowledged();
}

// On the chip a timer interrupt request is the level of a flag AND its enable bit, so it goes away
// the moment the program clears the flag or the enable. Ticks only add requests; without this a
// request added by a tick that fell inside the handler (ticks come every few instructions) would
// still be waiting after the handler acknowledged the event, and the handler would run a second
// time for the same event (an output-compare handler that toggles OLVL would toggle it back).
void TTimer::WithdrawAcknowledged() {
    if (!((St.TCSR & TCSR_ETOI) && (St.TCSR & TCSR_TOF))) pending_.reset(InterruptSource::TOF);
    if (!((St.TCSR & TCSR_EOCI) && (St.TCSR & TCSR_OCF))) pending_.reset(InterruptSource::OCF);
    if (!((St.TCSR & TCSR_EICI) && (St.TCSR & TCSR_ICF))) pending_.reset(InterruptSource::ICF);
}

void TTimer::TimerTick() {
    ++Touches;
    if (clock_) return; // the chip's counter runs on the E clock
    if (St.Counter == 0xFFFF) {
        St.Counter = 0;
        St.TCSR |= TCSR_TOF;
    } else {
        ++St.Counter;
    }

    if (St.Counter == St.OutputCompare) {
        St.TCSR |= TCSR_OCF;
        DriveCompareOutput();
    }

    if ((St.TCSR & TCSR_ETOI) && (St.TCSR & TCSR_TOF)) pending_.set(InterruptSource::TOF);
    if ((St.TCSR & TCSR_EOCI) && (St.TCSR & TCSR_OCF)) pending_.set(InterruptSource::OCF);
    if ((St.TCSR & TCSR_EICI) && (St.TCSR & TCSR_ICF)) pending_.set(InterruptSource::ICF);
}

void TTimer::DriveCompareOutput() {
    uint8_t ddr = memory_.Read(kPort2Ddr, false).Value;
    uint8_t dr = memory_.Read(kPort2Dr, false).Value;
    if (ddr & kPin1) {
        uint8_t level = (St.TCSR & TCSR_OLVL) ? kPin1 : 0;
        memory_.Write(kPort2Dr, MemoryCell{static_cast<uint8_t>((dr & ~kPin1) | level), RegisterLine}, false);
    }
}

void TTimer::CaptureEdge(uint8_t level) {
    ++Touches;
    if (clock_) Sync();
    uint8_t edgeOnRise = (St.TCSR & TCSR_IEDG) ? 1 : 0;
    if ((level ? 1 : 0) != edgeOnRise) return;
    St.TCSR |= TCSR_ICF;
    St.InputCapture = St.Counter;
    if (clock_) {
        ++clock_->Events;
        UpdateRequests();
    }
}

void TTimer::AdvanceCounter(uint16_t step) {
    ++Touches;
    if (clock_) Sync();
    if (St.Counter <= 0xFFFF - step) St.Counter = static_cast<uint16_t>(St.Counter + step);
    else St.Counter = 0xFFF0;
    if (clock_) Reschedule();
}

void TTimer::ResetTimer() {
    ++Touches;
    random_.SeedFromClock();
    St = State{};
    Cs = ChipState{};
    St.Counter = random_.NextWord();
    if (clock_) {
        St.Counter = 0x0000;
        St.OutputCompare = 0xFFFF;
        Resync();
    }
}

// ---------------------------------------------------------------------------------------------
// The chip model

void TTimer::SetChip(TCycleClock* clock) {
    ++Touches;
    clock_ = clock;
    if (clock_) Resync();
}

void TTimer::Resync() {
    ++Touches;
    syncedAt_ = clock_->Now;
    inhibitAt_ = UINT64_MAX;
}

void TTimer::Sync() {
    ++Touches;
    const uint64_t now = clock_->Now;
    if (now <= syncedAt_) return;
    uint64_t left = now - syncedAt_;
    while (left > 0) {
        const uint32_t toOverflow = 0x10000u - St.Counter;
        uint32_t toCompare = static_cast<uint16_t>(St.OutputCompare - St.Counter);
        if (toCompare == 0) toCompare = 0x10000u;
        const uint32_t step = toOverflow < toCompare ? toOverflow : toCompare;
        if (step > left) {
            St.Counter = static_cast<uint16_t>(St.Counter + left);
            break;
        }
        St.Counter = static_cast<uint16_t>(St.Counter + step);
        left -= step;
        if (St.Counter == 0) St.TCSR |= TCSR_TOF;
        if (St.Counter == St.OutputCompare && now - left != inhibitAt_) {
            St.TCSR |= TCSR_OCF;
            DriveCompareOutput();
        }
        ++clock_->Events;
    }
    syncedAt_ = now;
    UpdateRequests();
}

uint64_t TTimer::NextEvent() const {
    const uint32_t toOverflow = 0x10000u - St.Counter;
    uint32_t toCompare = static_cast<uint16_t>(St.OutputCompare - St.Counter);
    if (toCompare == 0) toCompare = 0x10000u;
    return syncedAt_ + (toOverflow < toCompare ? toOverflow : toCompare);
}

// On the chip a timer request is the level of a flag AND its enable.
void TTimer::UpdateRequests() {
    pending_.set(InterruptSource::TOF, (St.TCSR & TCSR_ETOI) && (St.TCSR & TCSR_TOF));
    pending_.set(InterruptSource::OCF, (St.TCSR & TCSR_EOCI) && (St.TCSR & TCSR_OCF));
    pending_.set(InterruptSource::ICF, (St.TCSR & TCSR_EICI) && (St.TCSR & TCSR_ICF));
}

// A flag is cleared by a read of TCSR that finds it set followed by the access of its register:
// the counter's high byte read for TOF, a compare register write for OCF, the capture
// register's high byte read for ICF. Reading the counter's high byte latches its low byte for
// the next read of $0A, so a program reads both halves of one count.
uint8_t TTimer::ReadChip(uint16_t address) {
    Sync();
    const uint8_t value = Peek(address);
    switch (address) {
    case 0x08:
        Cs.Armed |= static_cast<uint8_t>(St.TCSR & TCSR_Flags);
        break;
    case 0x09:
        Cs.LowLatch = Low(St.Counter);
        Cs.Latched = true;
        if (Cs.Armed & TCSR_TOF) St.TCSR &= static_cast<uint8_t>(~TCSR_TOF);
        Cs.Armed &= static_cast<uint8_t>(~TCSR_TOF);
        break;
    case 0x0A:
        if (Cs.Latched) {
            Cs.Latched = false;
            UpdateRequests();
            return Cs.LowLatch;
        }
        break;
    case 0x0D:
        if (Cs.Armed & TCSR_ICF) St.TCSR &= static_cast<uint8_t>(~TCSR_ICF);
        Cs.Armed &= static_cast<uint8_t>(~TCSR_ICF);
        break;
    default:
        break;
    }
    UpdateRequests();
    return value;
}

// The counter is read-only but for a write to $09, which presets it to $FFF8; the capture
// register is read-only; a compare register write inhibits the compare for the next cycle.
void TTimer::WriteChip(uint16_t address, uint8_t value) {
    Sync();
    switch (address) {
    case 0x08:
        St.TCSR = static_cast<uint8_t>((value & ~TCSR_Flags) | (St.TCSR & TCSR_Flags));
        break;
    case 0x09:
        St.Counter = 0xFFF8;
        break;
    case 0x0B:
    case 0x0C:
        if (address == 0x0B) SetHigh(St.OutputCompare, value);
        else SetLow(St.OutputCompare, value);
        inhibitAt_ = clock_->Now + 1;
        if (Cs.Armed & TCSR_OCF) St.TCSR &= static_cast<uint8_t>(~TCSR_OCF);
        Cs.Armed &= static_cast<uint8_t>(~TCSR_OCF);
        break;
    default:
        break;
    }
    UpdateRequests();
    Reschedule();
}
