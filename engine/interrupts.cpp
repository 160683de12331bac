// The processor's state helpers and its interrupt entry in the classic model: reset, the state
// as one value, CCR unpacked, and the interrupt sources taken in the classic order.
#include "engine/simulator.h"

namespace {

constexpr uint16_t u16(unsigned v) { return static_cast<uint16_t>(v); }
} // namespace

// ---------------------------------------------------------------------------------------------
// State helpers

void Tsimulator::Reset() {
    A = B = 0;
    D = 0;
    X = 0;
    SP = 0;
    PC = ReadWord(kVectorReset);
    C = V = Z = N = H = false;
    I = true;
    Pending.reset();
    Waiting = false;
}

void Tsimulator::Restore(const State& state) {
    A = state.A;
    B = state.B;
    JoinD();
    PC = state.PC;
    X = state.X;
    SP = state.SP;
    UnpackCCR(state.CCR);
    Pending = state.Pending;
    Waiting = state.Waiting;
}

void Tsimulator::UnpackCCR(uint8_t ccr) {
    H = (ccr & 0x20) != 0;
    I = (ccr & 0x10) != 0;
    N = (ccr & 0x08) != 0;
    Z = (ccr & 0x04) != 0;
    V = (ccr & 0x02) != 0;
    C = (ccr & 0x01) != 0;
}

// ---------------------------------------------------------------------------------------------
// Interrupts

void Tsimulator::EnterInterrupt(uint16_t vector) {
    PushWord(PC);
    PushWord(X);
    PushByte(A);
    PushByte(B);
    PushByte(PackCCR());
    I = true;
    PC = ReadWord(vector);
}

void Tsimulator::SoftwareInterrupt() {
    PC = u16(PC + 1);
    if (I) return;
    EnterInterrupt(kVectorSwi);
}

void Tsimulator::ReturnFromInterrupt() {
    UnpackCCR(PullByte());
    B = PullByte();
    A = PullByte();
    X = PullWord();
    PC = PullWord();
    JoinD();
    I = false;
}

void Tsimulator::TakeIfPending(InterruptSource source, uint16_t vector, uint8_t& status) {
    if (!Pending.test(source)) return;
    Pending.reset(source);
    if (ReadWord(vector) == 0) status = SourceNumber(source);
    EnterInterrupt(vector);
    ++Entries;
}

// Takes requests in priority order. The mask is examined once, so after IRQ/SCI the timer
// sources are entered in the same check, each stacking the state left by the one before.
uint8_t Tsimulator::TakeInterrupts() {
    uint8_t status = 0;
    if (Pending.test(InterruptSource::NMI)) {
        TakeIfPending(InterruptSource::NMI, kVectorNmi, status);
        return status;
    }
    if (I) return 0;
    if (Pending.test(InterruptSource::IRQ)) TakeIfPending(InterruptSource::IRQ, kVectorIrq, status);
    else TakeIfPending(InterruptSource::SCI, kVectorSci, status);
    TakeIfPending(InterruptSource::TOF, kVectorTof, status);
    TakeIfPending(InterruptSource::OCF, kVectorOcf, status);
    TakeIfPending(InterruptSource::ICF, kVectorIcf, status);
    return status;
}
