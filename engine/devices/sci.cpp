#include "engine/devices/sci.h"

#include "engine/random.h"

TSci::TSci(TPending& pending, TRandom& random, const bool& loaded)
    : pending_(pending), random_(random), loaded_(loaded) {}

const char* TSci::RateText(uint8_t rmcr) {
    static const char* const kRates[4] = {"76800", "9600", "1200", "300"};
    return kRates[rmcr & 0x03];
}

uint8_t TSci::ReadRegister(uint16_t address) {
    uint8_t value = 0;
    switch (address) {
    case 0x10:
        value = RMCR;
        break;
    case 0x11:
        value = TRCSR;
        break;
    case 0x12:
        TRCSR &= static_cast<uint8_t>(~(TRCSR_RDRF | TRCSR_ORFE));
        RdrTaken = true;
        // Reading the data acknowledges an overrun as on the chip; left set, every later byte
        // would be dropped without RDRF or ORFE and the receiver would stay dead until a reload.
        OverrunSeen = false;
        value = RDR;
        break;
    case 0x13:
        value = 0;
        break;
    default:
        return 0;
    }
    Changed();
    return value;
}

void TSci::WriteRegister(uint16_t address, uint8_t value) {
    switch (address) {
    case 0x10:
        RMCR = value;
        break;
    case 0x11:
        TRCSR = static_cast<uint8_t>((value & ~TRCSR_Status) | (TRCSR & TRCSR_Status));
        break;
    case 0x13:
        if (TRCSR & TRCSR_TE) {
            TRCSR &= static_cast<uint8_t>(~TRCSR_TDRE);
            TDR = value;
            TxCount = Loopback ? LoopbackTicks : LineTicks;
        }
        break;
    default:
        return; // $12 is never routed here for writes
    }
    Changed();
}

void TSci::SciTick() {
    ++Ticks;
    if (loaded_) {
        bool request = false;

        if (TRCSR & TRCSR_RE) {
            if (RxCount > 0 && --RxCount == 0) {
                if (RateMismatch) {
                    // Framing error: the receiver sampled at the wrong rate.
                    TRCSR = static_cast<uint8_t>((TRCSR | TRCSR_ORFE) & ~TRCSR_RDRF);
                    RDR = random_.NextByte();
                }
                if (!RdrTaken) {
                    TRCSR |= TRCSR_RDRF | TRCSR_ORFE;
                    OverrunSeen = true;
                    RDR = random_.NextByte();
                }
                if (!OverrunSeen && !RateMismatch) {
                    TRCSR = static_cast<uint8_t>((TRCSR | TRCSR_RDRF) & ~TRCSR_ORFE);
                    RDR = RxByte;
                    RdrTaken = false;
                }
            }
            if ((TRCSR & TRCSR_RIE) && (TRCSR & (TRCSR_RDRF | TRCSR_ORFE))) request = true;
        }

        if (TRCSR & TRCSR_TE) {
            if (TxCount > 0 && --TxCount == 0) {
                if (Loopback) {
                    RxByte = TDR;
                    RxCount = LoopbackTicks;
                    RateMismatch = false; // the chip receives at its own rate
                } else if (onTransmit) {
                    onTransmit(TDR);
                }
            }
            if (TxCount == 0) TRCSR |= TRCSR_TDRE;
            if ((TRCSR & TRCSR_TIE) && (TRCSR & TRCSR_TDRE)) request = true;
        }

        // The request follows the condition at every tick: withdrawn as soon as none holds,
        // even if the processor has not taken it yet.
        pending_.set(InterruptSource::SCI, request);
    }
    Changed();
}

bool TSci::DeliverByte(uint8_t byte, bool atChipRate) {
    bool accepted = (TRCSR & TRCSR_RE) != 0;
    if (accepted) {
        RxByte = byte;
        // A framing error belongs to the byte sent at the wrong rate, not to every later one.
        RateMismatch = !atChipRate;
        RxCount = LineTicks;
    }
    Changed();
    return accepted;
}

void TSci::ResetSci() {
    RMCR = TRCSR = TDR = RDR = 0;
    TxCount = RxCount = RxByte = 0;
    OverrunSeen = RateMismatch = false;
    RdrTaken = true;
    if (onReset) onReset();
    Changed();
}
