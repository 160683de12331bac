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
    if (address < 0x08 || address > 0x0E) return 0;
    const uint8_t value = Peek(address);
    // Reading the status register acknowledges overflow and capture; a compare match is
    // acknowledged by writing the compare register.
    if (address == 0x08) St.TCSR &= static_cast<uint8_t>(~(TCSR_TOF | TCSR_ICF));
    WithdrawAcknowledged();
    return value;
}

void TTimer::WriteRegister(uint16_t address, uint8_t value) {
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
    if (St.Counter == 0xFFFF) {
        St.Counter = 0;
        St.TCSR |= TCSR_TOF;
    } else {
        ++St.Counter;
    }

    if (St.Counter == St.OutputCompare) {
        St.TCSR |= TCSR_OCF;
        uint8_t ddr = memory_.Read(kPort2Ddr, false).Value;
        uint8_t dr = memory_.Read(kPort2Dr, false).Value;
        if (ddr & kPin1) {
            uint8_t level = (St.TCSR & TCSR_OLVL) ? kPin1 : 0;
            memory_.Write(kPort2Dr, MemoryCell{static_cast<uint8_t>((dr & ~kPin1) | level), RegisterLine},
                          false);
        }
    }

    if ((St.TCSR & TCSR_ETOI) && (St.TCSR & TCSR_TOF)) pending_.set(InterruptSource::TOF);
    if ((St.TCSR & TCSR_EOCI) && (St.TCSR & TCSR_OCF)) pending_.set(InterruptSource::OCF);
    if ((St.TCSR & TCSR_EICI) && (St.TCSR & TCSR_ICF)) pending_.set(InterruptSource::ICF);
}

void TTimer::CaptureEdge(uint8_t level) {
    uint8_t edgeOnRise = (St.TCSR & TCSR_IEDG) ? 1 : 0;
    if ((level ? 1 : 0) != edgeOnRise) return;
    St.TCSR |= TCSR_ICF;
    St.InputCapture = St.Counter;
}

void TTimer::AdvanceCounter(uint16_t step) {
    if (St.Counter <= 0xFFFF - step) St.Counter = static_cast<uint16_t>(St.Counter + step);
    else St.Counter = 0xFFF0;
}

void TTimer::ResetTimer() {
    random_.SeedFromClock();
    St = State{};
    St.Counter = random_.NextWord();
}
