#include "engine/devices/sci.h"

#include "engine/random.h"

TSci::TSci(TPending& pending, TRandom& random, const bool& loaded)
    : pending_(pending), random_(random), loaded_(loaded) {
    St.RdrTaken = true;
}

const char* TSci::RateText(uint8_t rmcr) {
    static const char* const kRates[4] = {"76800", "9600", "1200", "300"};
    return kRates[rmcr & 0x03];
}

uint8_t TSci::Peek(uint16_t address) const {
    switch (address) {
    case 0x10:
        return St.RMCR;
    case 0x11:
        return St.TRCSR;
    case 0x12:
        return St.RDR;
    default:
        return 0;
    }
}

uint8_t TSci::ReadRegister(uint16_t address) {
    ++Touches;
    if (address < 0x10 || address > 0x13) return 0;
    if (clock_) return ReadChip(address);
    const uint8_t value = Peek(address);
    if (address == 0x12) {
        St.TRCSR &= static_cast<uint8_t>(~(TRCSR_RDRF | TRCSR_ORFE));
        St.RdrTaken = true;
        // Reading the data acknowledges an overrun as on the chip; left set, every later byte
        // would be dropped without RDRF or ORFE and the receiver would stay dead until a reload.
        St.OverrunSeen = false;
    }
    return value;
}

void TSci::WriteRegister(uint16_t address, uint8_t value) {
    ++Touches;
    if (clock_) {
        WriteChip(address, value);
        return;
    }
    switch (address) {
    case 0x10:
        St.RMCR = value;
        break;
    case 0x11:
        St.TRCSR = static_cast<uint8_t>((value & ~TRCSR_Status) | (St.TRCSR & TRCSR_Status));
        break;
    case 0x13:
        if (St.TRCSR & TRCSR_TE) {
            St.TRCSR &= static_cast<uint8_t>(~TRCSR_TDRE);
            St.TDR = value;
            St.TxCount = Loopback ? LoopbackTicks : LineTicks;
        }
        break;
    default:
        return; // $12 is never routed here for writes
    }
}

void TSci::SciTick() {
    ++Touches;
    ++Ticks;
    if (clock_) return; // the chip's line runs on the E clock
    if (loaded_) {
        bool request = false;

        if (St.TRCSR & TRCSR_RE) {
            if (St.RxCount > 0 && --St.RxCount == 0) {
                if (St.RateMismatch) {
                    // Framing error: the receiver sampled at the wrong rate.
                    St.TRCSR = static_cast<uint8_t>((St.TRCSR | TRCSR_ORFE) & ~TRCSR_RDRF);
                    St.RDR = random_.NextByte();
                }
                if (!St.RdrTaken) {
                    St.TRCSR |= TRCSR_RDRF | TRCSR_ORFE;
                    St.OverrunSeen = true;
                    St.RDR = random_.NextByte();
                }
                if (!St.OverrunSeen && !St.RateMismatch) {
                    St.TRCSR = static_cast<uint8_t>((St.TRCSR | TRCSR_RDRF) & ~TRCSR_ORFE);
                    St.RDR = St.RxByte;
                    St.RdrTaken = false;
                }
            }
            if ((St.TRCSR & TRCSR_RIE) && (St.TRCSR & (TRCSR_RDRF | TRCSR_ORFE))) request = true;
        }

        if (St.TRCSR & TRCSR_TE) {
            if (St.TxCount > 0 && --St.TxCount == 0) {
                if (Loopback) {
                    St.RxByte = St.TDR;
                    St.RxCount = LoopbackTicks;
                    St.RateMismatch = false; // the chip receives at its own rate
                } else if (onTransmit) {
                    onTransmit(St.TDR);
                }
            }
            if (St.TxCount == 0) St.TRCSR |= TRCSR_TDRE;
            if ((St.TRCSR & TRCSR_TIE) && (St.TRCSR & TRCSR_TDRE)) request = true;
        }

        // The request follows the condition at every tick: withdrawn as soon as none holds,
        // even if the processor has not taken it yet.
        pending_.set(InterruptSource::SCI, request);
    }
}

bool TSci::DeliverByte(uint8_t byte, bool atChipRate) {
    ++Touches;
    bool accepted = (St.TRCSR & TRCSR_RE) != 0;
    if (clock_) {
        if (!accepted || !loaded_) return false;
        Sync();
        if (Cs.RxLeft == 0) {
            St.RxByte = byte;
            St.RateMismatch = !atChipRate;
            Cs.RxLeft = static_cast<uint16_t>(FrameCycles());
            St.RxCount = 1;
        } else {
            // The terminal sends it after the frame on the line; a third byte replaces it.
            Cs.RxNext = byte;
            Cs.RxNextMismatch = !atChipRate;
            Cs.RxNextQueued = true;
        }
        ++clock_->Events;
        Reschedule();
        LineChanged();
        return true;
    }
    if (accepted) {
        St.RxByte = byte;
        // A framing error belongs to the byte sent at the wrong rate, not to every later one.
        St.RateMismatch = !atChipRate;
        St.RxCount = LineTicks;
    }
    return accepted;
}

void TSci::ResetSci() {
    ++Touches;
    St = State{};
    Cs = ChipState{};
    St.RdrTaken = true;
    if (clock_) {
        St.TRCSR = TRCSR_TDRE;
        Resync();
    }
    if (onReset) onReset();
}

// ---------------------------------------------------------------------------------------------
// The chip model

void TSci::SetChip(TCycleClock* clock) {
    ++Touches;
    clock_ = clock;
    if (clock_) Resync();
}

uint32_t TSci::FrameCycles() const {
    static constexpr uint32_t kDividers[4] = {16, 128, 1024, 4096};
    return 10 * kDividers[St.RMCR & 0x03];
}

uint8_t TSci::PortPins() const {
    return static_cast<uint8_t>(((St.TRCSR & TRCSR_RE) ? 0x08 : 0) | ((St.TRCSR & TRCSR_TE) ? 0x10 : 0));
}

namespace {
// The line's level `left` cycles before the end of a frame of `frame` cycles carrying `byte`.
bool FrameLevel(uint8_t byte, uint32_t frame, uint64_t left) {
    if (left == 0 || left > frame) return true;
    const uint64_t bit = (frame - left) * 10 / frame;
    if (bit == 0) return false;
    return bit > 8 || (byte >> (bit - 1) & 1u);
}
} // namespace

uint8_t TSci::PortLevels() const {
    if (!clock_) return 0x18;
    const uint64_t since = clock_->Now > syncedAt_ ? clock_->Now - syncedAt_ : 0;
    const uint32_t frame = FrameCycles();
    const auto left = [since](uint16_t count) { return count > since ? count - since : 0; };
    const bool tx = !St.TxCount || Cs.TxPreamble || FrameLevel(Cs.TxShift, frame, left(Cs.TxLeft));
    const bool rx = Loopback ? tx : !St.RxCount || FrameLevel(St.RxByte, frame, left(Cs.RxLeft));
    return static_cast<uint8_t>((rx ? 0x08 : 0) | (tx ? 0x10 : 0));
}

uint64_t TSci::NextLineChange() const {
    if (!clock_) return UINT64_MAX;
    const uint64_t since = clock_->Now > syncedAt_ ? clock_->Now - syncedAt_ : 0;
    const uint64_t bit = FrameCycles() / 10;
    uint64_t next = UINT64_MAX;
    // A frame's bits end every `bit` cycles, counted back from its end.
    const auto on = [&](uint16_t count) {
        if (count <= since) return;
        const uint64_t left = count - since;
        const uint64_t change = clock_->Now + (left % bit ? left % bit : bit);
        if (change < next) next = change;
    };
    if (St.TxCount && !Cs.TxPreamble) on(Cs.TxLeft);
    if (St.RxCount && !Loopback) on(Cs.RxLeft);
    return next;
}

uint64_t TSci::NextEvent() const {
    uint64_t next = UINT64_MAX;
    if (Cs.TxLeft) next = Cs.TxLeft;
    if (Cs.RxLeft && Cs.RxLeft < next) next = Cs.RxLeft;
    if (Cs.IdleLeft && Cs.RxLeft == 0 && Cs.IdleLeft < next) next = Cs.IdleLeft;
    return next == UINT64_MAX ? next : syncedAt_ + next;
}

// The line's events in the order they fall: a frame sent, a frame received, the sleeping
// receiver's idle frame complete.
void TSci::Sync() {
    ++Touches;
    const uint64_t now = clock_->Now;
    if (now <= syncedAt_) return;
    uint64_t left = now - syncedAt_;
    syncedAt_ = now;
    if (!loaded_) return;
    const uint64_t events = clock_->Events;
    for (;;) {
        uint64_t step = UINT64_MAX;
        const bool idleCounts = Cs.IdleLeft && Cs.RxLeft == 0;
        if (Cs.TxLeft) step = Cs.TxLeft;
        if (Cs.RxLeft && Cs.RxLeft < step) step = Cs.RxLeft;
        if (idleCounts && Cs.IdleLeft < step) step = Cs.IdleLeft;
        if (step > left) step = left;
        if (step == 0) break;
        left -= step;
        if (Cs.TxLeft) Cs.TxLeft -= static_cast<uint16_t>(step);
        if (Cs.RxLeft) Cs.RxLeft -= static_cast<uint16_t>(step);
        if (idleCounts) Cs.IdleLeft -= static_cast<uint16_t>(step);
        if (idleCounts && Cs.IdleLeft == 0) {
            St.TRCSR &= static_cast<uint8_t>(~TRCSR_WU);
            ++clock_->Events;
        }
        if (Cs.TxLeft == 0 && St.TxCount) {
            // The frame has left: the byte goes out, the next one (if TDR holds one) follows.
            St.TxCount = 0;
            ++clock_->Events;
            if (Cs.TxPreamble) Cs.TxPreamble = false;
            else if (Loopback) Arrive(Cs.TxShift, false);
            else if (onTransmit) onTransmit(Cs.TxShift);
            StartTransmit();
        }
        if (Cs.RxLeft == 0 && St.RxCount) {
            St.RxCount = 0;
            ++clock_->Events;
            Arrive(St.RxByte, St.RateMismatch);
            if (Cs.RxNextQueued) {
                Cs.RxNextQueued = false;
                St.RxByte = Cs.RxNext;
                St.RateMismatch = Cs.RxNextMismatch;
                Cs.RxLeft = static_cast<uint16_t>(FrameCycles());
                St.RxCount = 1;
            }
        }
    }
    UpdateRequest();
    if (clock_->Events != events) LineChanged();
}

// TDR moves to the shifter when the transmitter is enabled and idle and TDR holds a byte.
void TSci::StartTransmit() {
    if (Cs.TxLeft || !(St.TRCSR & TRCSR_TE) || (St.TRCSR & TRCSR_TDRE)) return;
    Cs.TxShift = St.TDR;
    St.TRCSR |= TRCSR_TDRE;
    Cs.TxLeft = static_cast<uint16_t>(FrameCycles());
    St.TxCount = 1;
}

// A complete frame: asleep, the receiver lets it pass and waits for an idle frame again; a
// frame at the wrong rate is a framing error (the data are garbage, RDRF stays clear); a frame
// that finds RDRF still set is an overrun (RDR keeps the byte before).
void TSci::Arrive(uint8_t byte, bool mismatch) {
    if (!(St.TRCSR & TRCSR_RE)) return;
    if (St.TRCSR & TRCSR_WU) {
        Cs.IdleLeft = static_cast<uint16_t>(FrameCycles());
        return;
    }
    if (mismatch) {
        St.TRCSR |= TRCSR_ORFE;
        St.RDR = random_.NextByte();
    } else if (St.TRCSR & TRCSR_RDRF) {
        St.TRCSR |= TRCSR_ORFE;
    } else {
        St.RDR = byte;
        St.TRCSR |= TRCSR_RDRF;
    }
}

void TSci::UpdateRequest() {
    const bool receive = (St.TRCSR & TRCSR_RIE) && (St.TRCSR & (TRCSR_RDRF | TRCSR_ORFE));
    const bool transmit = (St.TRCSR & TRCSR_TIE) && (St.TRCSR & TRCSR_TDRE);
    pending_.set(InterruptSource::SCI, loaded_ && (receive || transmit));
}

uint8_t TSci::ReadChip(uint16_t address) {
    Sync();
    const uint8_t value = Peek(address);
    if (address == 0x11) {
        Cs.Armed |= static_cast<uint8_t>(St.TRCSR & TRCSR_Status);
    } else if (address == 0x12) {
        St.TRCSR &= static_cast<uint8_t>(~(Cs.Armed & (TRCSR_RDRF | TRCSR_ORFE)));
        Cs.Armed &= static_cast<uint8_t>(~(TRCSR_RDRF | TRCSR_ORFE));
    }
    UpdateRequest();
    return value;
}

void TSci::WriteChip(uint16_t address, uint8_t value) {
    Sync();
    switch (address) {
    case 0x10:
        St.RMCR = value;
        break;
    case 0x11: {
        const bool sleeping = St.TRCSR & TRCSR_WU;
        const bool transmitting = St.TRCSR & TRCSR_TE;
        St.TRCSR = static_cast<uint8_t>((value & ~TRCSR_Status) | (St.TRCSR & TRCSR_Status));
        if (!sleeping && (St.TRCSR & TRCSR_WU)) Cs.IdleLeft = static_cast<uint16_t>(FrameCycles());
        if (!(St.TRCSR & TRCSR_WU)) Cs.IdleLeft = 0;
        // Enabled, an idle transmitter first sends its preamble: one frame of ones.
        if (!transmitting && (St.TRCSR & TRCSR_TE) && !Cs.TxLeft) {
            Cs.TxPreamble = true;
            Cs.TxLeft = static_cast<uint16_t>(FrameCycles());
            St.TxCount = 1;
        }
        break;
    }
    case 0x13:
        St.TDR = value;
        if (Cs.Armed & TRCSR_TDRE) St.TRCSR &= static_cast<uint8_t>(~TRCSR_TDRE);
        Cs.Armed &= static_cast<uint8_t>(~TRCSR_TDRE);
        break;
    default:
        return;
    }
    StartTransmit();
    UpdateRequest();
    Reschedule();
    LineChanged();
}
