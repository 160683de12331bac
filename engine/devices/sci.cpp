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
    if (address < 0x10 || address > 0x13) return 0;
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
    ++Ticks;
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
    bool accepted = (St.TRCSR & TRCSR_RE) != 0;
    if (accepted) {
        St.RxByte = byte;
        // A framing error belongs to the byte sent at the wrong rate, not to every later one.
        St.RateMismatch = !atChipRate;
        St.RxCount = LineTicks;
    }
    return accepted;
}

void TSci::ResetSci() {
    St = State{};
    St.RdrTaken = true;
    if (onReset) onReset();
}
