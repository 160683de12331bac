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

TTimer::TTimer(TMemory& memory, TPending& pending, TRandom& random, const bool& loaded)
    : memory_(memory), pending_(pending), random_(random), loaded_(loaded) {}

uint8_t TTimer::ReadRegister(uint16_t address) {
    uint8_t value = 0;
    switch (address) {
    case 0x08:
        value = TCSR;
        // Reading the status register acknowledges overflow and capture; a compare match is
        // acknowledged by writing the compare register.
        TCSR &= static_cast<uint8_t>(~(TCSR_TOF | TCSR_ICF));
        break;
    case 0x09:
        value = High(Counter);
        break;
    case 0x0A:
        value = Low(Counter);
        break;
    case 0x0B:
        value = High(OutputCompare);
        break;
    case 0x0C:
        value = Low(OutputCompare);
        break;
    case 0x0D:
        value = High(InputCapture);
        break;
    case 0x0E:
        value = Low(InputCapture);
        break;
    default:
        return 0;
    }
    WithdrawAcknowledged();
    Changed();
    return value;
}

void TTimer::WriteRegister(uint16_t address, uint8_t value) {
    switch (address) {
    case 0x08:
        TCSR = static_cast<uint8_t>((value & ~TCSR_Flags) | (TCSR & TCSR_Flags));
        break;
    case 0x09:
        SetHigh(Counter, value);
        break;
    case 0x0A:
        SetLow(Counter, value);
        break;
    case 0x0B:
        SetHigh(OutputCompare, value);
        TCSR &= static_cast<uint8_t>(~TCSR_OCF);
        break;
    case 0x0C:
        SetLow(OutputCompare, value);
        TCSR &= static_cast<uint8_t>(~TCSR_OCF);
        break;
    case 0x0D:
        SetHigh(InputCapture, value);
        break;
    case 0x0E:
        SetLow(InputCapture, value);
        break;
    default:
        return;
    }
    WithdrawAcknowledged();
    Changed();
}

// On the chip a timer interrupt request is the level of a flag AND its enable bit, so it goes away
// the moment the program clears the flag or the enable. Ticks only add requests; without this a
// request added by a tick that fell inside the handler (ticks come every few instructions) would
// still be waiting after the handler acknowledged the event, and the handler would run a second
// time for the same event (an output-compare handler that toggles OLVL would toggle it back).
void TTimer::WithdrawAcknowledged() {
    if (!((TCSR & TCSR_ETOI) && (TCSR & TCSR_TOF))) pending_.reset(InterruptSource::TOF);
    if (!((TCSR & TCSR_EOCI) && (TCSR & TCSR_OCF))) pending_.reset(InterruptSource::OCF);
    if (!((TCSR & TCSR_EICI) && (TCSR & TCSR_ICF))) pending_.reset(InterruptSource::ICF);
}

void TTimer::TimerTick() {
    if (Counter == 0xFFFF) {
        Counter = 0;
        TCSR |= TCSR_TOF;
    } else {
        ++Counter;
    }

    if (Counter == OutputCompare) {
        TCSR |= TCSR_OCF;
        uint8_t ddr = memory_.Read(kPort2Ddr, false).Value;
        uint8_t dr = memory_.Read(kPort2Dr, false).Value;
        if (ddr & kPin1) {
            uint8_t level = (TCSR & TCSR_OLVL) ? kPin1 : 0;
            memory_.Write(kPort2Dr, MemoryCell{static_cast<uint8_t>((dr & ~kPin1) | level), RegisterLine},
                          false);
        }
    }

    if ((TCSR & TCSR_ETOI) && (TCSR & TCSR_TOF)) pending_.set(InterruptSource::TOF);
    if ((TCSR & TCSR_EOCI) && (TCSR & TCSR_OCF)) pending_.set(InterruptSource::OCF);
    if ((TCSR & TCSR_EICI) && (TCSR & TCSR_ICF)) pending_.set(InterruptSource::ICF);

    if (loaded_) Changed();
}

void TTimer::CaptureEdge(uint8_t level) {
    uint8_t edgeOnRise = (TCSR & TCSR_IEDG) ? 1 : 0;
    if ((level ? 1 : 0) != edgeOnRise) return;
    TCSR |= TCSR_ICF;
    InputCapture = Counter;
}

void TTimer::AdvanceCounter(uint16_t step) {
    if (Counter <= 0xFFFF - step) Counter = static_cast<uint16_t>(Counter + step);
    else Counter = 0xFFF0;
}

void TTimer::ResetTimer() {
    random_.SeedFromClock();
    Counter = random_.NextWord();
    OutputCompare = 0;
    InputCapture = 0;
    TCSR = 0;
}
