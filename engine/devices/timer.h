#pragma once
#include <cstdint>
#include <functional>

#include "engine/device.h"
#include "engine/model.h"
#include "engine/pending.h"

class TMemory;
class TRandom;

// The MC6803 programmable timer: 16-bit free-running counter, output compare driving Port 2
// pin 1, input capture fed by Port 2 pin 0, and the control/status register TCSR.
//
// In the classic model the counter is not tied to processor cycles: it advances once per
// TimerTick(), which the workbench calls every 5 ms and the command line every K steps. In the
// chip model (SetChip) it advances with every E cycle of the clock, as on the chip, and
// TimerTick does nothing; the counter is brought up to the clock whenever it is looked at (a
// register access, an event, the end of a step). The processor sees the registers at $08-$0E
// through the address space's routing.
class TTimer final : public TRegisterDevice {
public:
    // TCSR bits (data-sheet names).
    static constexpr uint8_t TCSR_ICF = 0x80;  // input capture flag
    static constexpr uint8_t TCSR_OCF = 0x40;  // output compare flag
    static constexpr uint8_t TCSR_TOF = 0x20;  // timer overflow flag
    static constexpr uint8_t TCSR_EICI = 0x10; // enable input-capture interrupt
    static constexpr uint8_t TCSR_EOCI = 0x08; // enable output-compare interrupt
    static constexpr uint8_t TCSR_ETOI = 0x04; // enable overflow interrupt
    static constexpr uint8_t TCSR_IEDG = 0x02; // capture on a change to 1 (set) or to 0 (clear)
    static constexpr uint8_t TCSR_OLVL = 0x01; // level put on Port 2 pin 1 at a compare match
    static constexpr uint8_t TCSR_Flags = TCSR_ICF | TCSR_OCF | TCSR_TOF;

    // memory: Port 2 is driven through it; pending: the processor's request set;
    // random: for the counter's reset value; loaded: the board's "program loaded" flag.
    TTimer(TMemory& memory, TPending& pending, TRandom& random);

    // The registers: a plain value (see TPort::State).
    struct State {
        uint16_t Counter;
        uint16_t OutputCompare;
        uint16_t InputCapture;
        uint8_t TCSR;
        bool operator==(const State&) const = default;
    };
    State St{};
    // What only the chip model keeps: the flags of TCSR that a read of TCSR found set (the first
    // half of their clearing sequence), and the counter's low byte latched by a read of its
    // high byte.
    struct ChipState {
        uint8_t Armed;
        uint8_t LowLatch;
        bool Latched;
        bool operator==(const ChipState&) const = default;
    };
    ChipState Cs{};
    // Calls so far that may have changed the state (register accesses, ticks, the user's and the
    // external system's doings, resets): while it stands still, only a direct write of St or Cs
    // has changed them. The step history's checkpoints look no further while it does.
    uint64_t Touches = 0;

    // $08: TCSR (a read clears TOF and ICF afterwards); $09/$0A counter; $0B/$0C compare
    // (a write clears OCF); $0D/$0E capture. Other addresses read 0 / are ignored.
    uint8_t ReadRegister(uint16_t address) override;
    void WriteRegister(uint16_t address, uint8_t value) override;
    uint8_t Peek(uint16_t address) const override;

    // One clock: count (overflow sets TOF), compare (sets OCF and drives Port 2 pin 1 with OLVL
    // when it is an output), then request interrupts 5/6/7 for every enabled flag that is set.
    void TimerTick();
    // Port 2 pin 0 changed to level (0 or 1) while an input: captures the counter when the
    // edge matches IEDG.
    void CaptureEdge(uint8_t level);
    // The window's "+$100" / "+$1000" buttons: jump forward, saturating at $FFF0; no flags, no
    // compare.
    void AdvanceCounter(uint16_t step);
    // At every successful load: counter to a random value, the other registers to 0 (in the
    // chip model as the chip's reset leaves them: counter $0000, compare $FFFF).
    void ResetTimer();

    // The chip model on the clock, or the classic model (clock nullptr).
    void SetChip(TCycleClock* clock);
    bool Chip() const { return clock_ != nullptr; }
    // Chip model: counts up to the clock's Now, setting the flags at the cycles they occur.
    void Sync();
    // Chip model: the cycle of the next overflow or compare match (after Sync).
    uint64_t NextEvent() const;
    // Chip model: the state was put back; it stands at the clock's Now.
    void Resync();

private:
    void WithdrawAcknowledged();
    uint8_t ReadChip(uint16_t address);
    void WriteChip(uint16_t address, uint8_t value);
    void UpdateRequests();
    void DriveCompareOutput();
    void Reschedule() {
        if (clock_->Listener) clock_->Listener->ClockReached();
    }
    TCycleClock* clock_ = nullptr;
    uint64_t syncedAt_ = 0;
    // The cycle whose compare is inhibited: the one after a write to the compare register.
    uint64_t inhibitAt_ = UINT64_MAX;
    TMemory& memory_;
    TPending& pending_;
    TRandom& random_;
};
