#pragma once
#include <cstdint>
#include <functional>

#include "engine/device.h"
#include "engine/model.h"
#include "engine/pending.h"

class TRandom;

// The MC6803 serial communication interface: the chip's registers and its end of the line.
//
// In the classic model transfers are counted in ticks, not processor cycles: SciTick() is called
// every 150 ms by the workbench (every K steps by the command line). In the chip model (SetChip)
// a frame takes 10 bit times of the rate RMCR selects from E (E/16, E/128, E/1024, E/4096), the
// status bits are cleared by the chip's sequence (TRCSR read with the bit set, then RDR read or
// TDR written) and the wake-up bit puts the receiver to sleep until the line is idle for a
// frame; SciTick does nothing there. A byte takes 10 ticks each way, 5 each way when
// the line is looped back. The processor sees RMCR $10, TRCSR $11, RDR $12 (read only: writes to
// $12 land in plain memory) and TDR $13. The external system at the other end of the line (the
// terminal the user types into and reads) is not part of the chip: it receives the bytes the
// chip sends through onTransmit and sends bytes with DeliverByte.
class TSci final : public TRegisterDevice {
public:
    // TRCSR bits (data-sheet names).
    static constexpr uint8_t TRCSR_RDRF = 0x80; // receive data register full
    static constexpr uint8_t TRCSR_ORFE = 0x40; // overrun or framing error
    static constexpr uint8_t TRCSR_TDRE = 0x20; // transmit data register empty
    static constexpr uint8_t TRCSR_RIE = 0x10;  // receive interrupt enable
    static constexpr uint8_t TRCSR_RE = 0x08;   // receiver enable
    static constexpr uint8_t TRCSR_TIE = 0x04;  // transmit interrupt enable
    static constexpr uint8_t TRCSR_TE = 0x02;   // transmitter enable
    static constexpr uint8_t TRCSR_WU = 0x01;   // wake-up
    static constexpr uint8_t TRCSR_Status = TRCSR_RDRF | TRCSR_ORFE | TRCSR_TDRE;

    static constexpr uint8_t LineTicks = 10;    // ticks for one byte, each way
    static constexpr uint8_t LoopbackTicks = 5; // ticks for one byte, each way, looped back

    // pending: the processor's request set; random: for the bytes of a receive error;
    // loaded: the board's "program loaded" flag (the line stands still without a program).
    TSci(TPending& pending, TRandom& random, const bool& loaded);

    // The chip's registers and its end of the line: a plain value (see TPort::State).
    struct State {
        uint8_t RMCR;
        uint8_t TRCSR;
        uint8_t RDR;
        uint8_t TDR;
        uint8_t TxCount;   // ticks until TDR has left; 0 = transmitter idle
        uint8_t RxCount;   // ticks until RxByte arrives; 0 = nothing on the way in
        uint8_t RxByte;    // the byte on its way in
        bool RdrTaken;     // RDR has been read since the last arrival (set after a reset)
        bool OverrunSeen;  // an arrival found RDR unread; cleared when the program reads RDR
        bool RateMismatch; // the byte on its way in was sent at a rate other than the chip's
        bool operator==(const State&) const = default;
    };
    State St{};
    // What only the chip model keeps (TxCount and RxCount of St are 1 while a frame is on its
    // way out or in): E cycles until the frame being sent ends, until the frame coming in is
    // complete, and of idle line the sleeping receiver still waits for; the byte being shifted
    // out; a second byte the terminal sent while the first was on the line; the status bits a
    // read of TRCSR found set; whether the frame going out is the preamble (ten ones the
    // transmitter sends when TE is set, before the first byte can follow).
    struct ChipState {
        uint16_t TxLeft;
        uint16_t RxLeft;
        uint16_t IdleLeft;
        uint8_t TxShift;
        uint8_t RxNext;
        bool RxNextQueued, RxNextMismatch;
        uint8_t Armed;
        bool TxPreamble;
        bool operator==(const ChipState&) const = default;
    };
    ChipState Cs{};
    // Calls so far that may have changed the state (register accesses, ticks, the user's and the
    // external system's doings, resets): while it stands still, only a direct write of St or Cs
    // has changed them. The step history's checkpoints look no further while it does.
    uint64_t Touches = 0;
    // "Rx=Tx": Tx is wired to Rx. A setting of the line, not of the chip: resets keep it, and
    // reverse step leaves it as the user set it.
    bool Loopback = false;
    // SciTick calls so far. The window shows the line's counts as they stood at the last tick,
    // so it tells a tick from a register access by this number changing.
    uint32_t Ticks = 0;

    // Called with every byte that leaves the chip towards the external system, in order
    // (looped-back bytes never leave the chip).
    std::function<void(uint8_t)> onTransmit;
    // Called by ResetSci after the chip is reset: the external side empties its fields then.
    std::function<void()> onReset;
    // Chip model: called when the line's course may have changed (a register written, a frame
    // begun or ended, a byte on its way in): what watches P23/P24 looks again.
    std::function<void()> onLine;

    // The chip's rate chosen by RMCR bits 1-0: "76800", "9600", "1200" or "300".
    const char* ChipRate() const { return RateText(St.RMCR); }
    static const char* RateText(uint8_t rmcr);

    uint8_t ReadRegister(uint16_t address) override;
    void WriteRegister(uint16_t address, uint8_t value) override;
    // RMCR, TRCSR and RDR as they stand; TDR and other addresses read 0.
    uint8_t Peek(uint16_t address) const override;

    // One clock of the line (see the class comment); raises or withdraws request 4.
    void SciTick();
    // The external system sends a byte; atChipRate tells whether it was sent at the rate the
    // chip receives at (otherwise it arrives as a framing error). Lost (false) when the
    // receiver is disabled.
    bool DeliverByte(uint8_t byte, bool atChipRate);
    // Registers and line cleared (Loopback kept); at every load and every memory clear.
    void ResetSci();

    // The chip model on the clock, or the classic model (clock nullptr).
    void SetChip(TCycleClock* clock);
    bool Chip() const { return clock_ != nullptr; }
    // Chip model: the pins of Port 2 the SCI uses (P23 while the receiver is enabled, P24 while
    // the transmitter is), and the levels of its lines there: idle high, a frame on the line as
    // its bits go by (start bit low, eight data bits from bit 0, stop bit high).
    uint8_t PortPins() const;
    uint8_t PortLevels() const;
    // E cycles of one frame at the rate RMCR selects.
    uint32_t FrameCycles() const;
    // Chip model: brings the line up to the clock's Now; the cycle of its next event.
    void Sync();
    uint64_t NextEvent() const;
    // Chip model: the first cycle after the clock's Now at which PortLevels() may change (the
    // next bit boundary of a frame on either line); UINT64_MAX while both lines idle.
    uint64_t NextLineChange() const;
    void Resync() {
        ++Touches;
        syncedAt_ = clock_->Now;
    }

private:
    uint8_t ReadChip(uint16_t address);
    void WriteChip(uint16_t address, uint8_t value);
    void StartTransmit();
    void Arrive(uint8_t byte, bool mismatch);
    void UpdateRequest();
    void Reschedule() {
        if (clock_->Listener) clock_->Listener->ClockReached();
    }
    void LineChanged() {
        if (onLine) onLine();
    }
    TCycleClock* clock_ = nullptr;
    uint64_t syncedAt_ = 0;
    TPending& pending_;
    TRandom& random_;
    const bool& loaded_;
};
