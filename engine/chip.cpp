// The chip model's rules of the processor: the instructions whose behaviour differs from the
// classic model's, the interrupt entry with its priorities and cycles, and the cycle table.
#include <array>

#include "engine/simulator.h"
#include "isa/isa.h"

namespace {

constexpr uint16_t u16(unsigned v) { return static_cast<uint16_t>(v); }
constexpr uint8_t u8(unsigned v) { return static_cast<uint8_t>(v); }

// The undocumented opcodes: the store-immediate forms write their register over the operand
// bytes after the opcode; every other undocumented byte is a one-byte instruction that changes
// nothing. The data sheet gives no cycle count for them; the table takes the counts of the
// reference emulator (2 and 3 for the byte and word stores, 5 for the rest).
constexpr uint8_t kUndocumentedCycles = 5;

std::array<uint8_t, 256> BuildChipCycles() {
    std::array<uint8_t, 256> table;
    table.fill(kUndocumentedCycles);
    for (const IsaEntry& entry : IsaTable())
        table[entry.Opcode] = entry.Cycles;
    table[0x87] = 2; // STAA #
    table[0xC7] = 2; // STAB #
    table[0x8F] = 3; // STS #
    table[0xCF] = 3; // STX #
    return table;
}

} // namespace

const uint8_t* ChipCycleTable() {
    static const std::array<uint8_t, 256> table = BuildChipCycles();
    return table.data();
}

Tsimulator::Tsimulator(TMemory& memory) : Memory(memory), chipCycles_(ChipCycleTable()) {}

// DAA over the whole input range: the low digit is corrected when H is set or it is above 9,
// the high one when C is set, it is above 9, or it is 9 with a low digit above 9. C stays set
// once set and is set by a carry out of the correction; V is cleared.
void Tsimulator::ChipDecimalAdjust() {
    const unsigned lo = A & 0x0F, hi = A & 0xF0;
    unsigned correction = 0;
    if (H || lo > 0x09) correction |= 0x06;
    if (C || hi > 0x90 || (hi > 0x80 && lo > 0x09)) correction |= 0x60;
    const unsigned r = A + correction;
    C = C || r > 0xFF;
    A = u8(r);
    SetNZ8(A);
    V = false;
    JoinD();
    PC = u16(PC + 1);
}

// WAI: the registers go on the stack as for an interrupt, and the processor waits.
void Tsimulator::ChipWait() {
    PC = u16(PC + 1);
    PushWord(PC);
    PushWord(X);
    PushByte(A);
    PushByte(B);
    PushByte(PackCCR());
    Waiting = true;
}

void Tsimulator::ChipReturnFromInterrupt() {
    UnpackCCR(PullByte());
    B = PullByte();
    A = PullByte();
    X = PullWord();
    PC = PullWord();
    JoinD();
}

void Tsimulator::ChipStoreImmediate(uint8_t op) {
    const uint16_t operand = u16(PC + 1);
    switch (op) {
    case 0x87: // STAA #
    case 0xC7: // STAB #
    {
        const uint8_t value = op == 0x87 ? A : B;
        WriteByte(operand, value);
        SetNZ8(value);
        V = false;
        PC = u16(PC + 2);
        break;
    }
    case 0x8F: // STS #
    case 0xCD: // STD #
    case 0xCF: // STX #
    {
        const uint16_t value = op == 0x8F ? SP : op == 0xCD ? D : X;
        WriteWord(operand, value);
        SetNZ16(value);
        V = false;
        PC = u16(PC + 3);
        break;
    }
    default:
        PC = operand;
        break;
    }
}

void Tsimulator::ChipWaitSlice() {
    uint64_t slice = kWaitStepCycles;
    if (Clock.Next > Clock.Now && Clock.Next - Clock.Now < slice) slice = Clock.Next - Clock.Now;
    Clock.Advance(slice);
}

// Priority as on the chip: NMI, then (with I clear) IRQ, input capture, output compare,
// overflow, serial. NMI and IRQ are requests taken once; the on-chip sources are levels that
// their devices withdraw when the program clears the flag or the enable.
uint8_t Tsimulator::ChipTakeInterrupt() {
    InterruptSource source;
    uint16_t vector;
    if (Pending.test(InterruptSource::NMI)) source = InterruptSource::NMI, vector = kVectorNmi;
    else if (I) return 0;
    else if (Pending.test(InterruptSource::IRQ)) source = InterruptSource::IRQ, vector = kVectorIrq;
    else if (Pending.test(InterruptSource::ICF)) source = InterruptSource::ICF, vector = kVectorIcf;
    else if (Pending.test(InterruptSource::OCF)) source = InterruptSource::OCF, vector = kVectorOcf;
    else if (Pending.test(InterruptSource::TOF)) source = InterruptSource::TOF, vector = kVectorTof;
    else if (Pending.test(InterruptSource::SCI)) source = InterruptSource::SCI, vector = kVectorSci;
    else return 0;
    if (source == InterruptSource::NMI || source == InterruptSource::IRQ) Pending.reset(source);
    const uint8_t status = ReadWord(vector) == 0 ? SourceNumber(source) : 0;
    Entries = 1;
    if (Waiting) {
        Waiting = false;
        I = true;
        PC = ReadWord(vector);
        Clock.Advance(kChipWakeCycles);
    } else {
        EnterInterrupt(vector);
        Clock.Advance(kChipEntryCycles);
    }
    return status;
}
