#pragma once
#include <cstdint>

#include "engine/memory.h"
#include "engine/pending.h"
#include "isa/codes.h"

// The MC6803 processor. Registers and flags are plain public fields that the workbench reads
// and edits between steps; D is kept equal to A:B by JoinD / SplitD.
class Tsimulator {
public:
    explicit Tsimulator(TMemory& memory) : Memory(memory) {}

    uint8_t A = 0;
    uint8_t B = 0;
    uint16_t D = 0;
    uint16_t PC = 0;
    uint16_t X = 0;
    uint16_t SP = 0;
    bool C = false, V = false, Z = false, N = false, I = false, H = false;
    TMemory& Memory;
    TPending Pending;
    // How many requests the interrupt check of the last step entered (each entry takes time on
    // the chip; SWI is an instruction and is not counted here).
    uint8_t Entries = 0;

    // The registers and the requests not yet taken as one value (D is A:B, the flags are packed
    // as in CCR): what the board's snapshot holds of the processor.
    struct State {
        uint8_t A, B;
        uint16_t PC, X, SP;
        uint8_t CCR;
        TPending Pending;
        bool operator==(const State&) const = default;
    };
    State Save() const { return {A, B, PC, X, SP, PackCCR(), Pending}; }
    void Restore(const State& state);

    void Reset();
    // Executes one instruction and takes pending interrupts. Returns the Line of the cell at the
    // new PC; status is 0 or the number of the interrupt source whose vector was zero when taken.
    int16_t Step(uint8_t& status);

    void JoinD() { D = static_cast<uint16_t>(A << 8 | B); }
    void SplitD() {
        A = static_cast<uint8_t>(D >> 8);
        B = static_cast<uint8_t>(D);
    }
    uint8_t PackCCR() const {
        return static_cast<uint8_t>(0xC0 | H << 5 | I << 4 | N << 3 | Z << 2 | V << 1 | static_cast<int>(C));
    }
    void UnpackCCR(uint8_t ccr);

    uint8_t ReadByte(uint16_t address) { return Memory.Read(address, true).Value; }
    int8_t ReadSignedByte(uint16_t address) { return static_cast<int8_t>(ReadByte(address)); }
    uint16_t ReadWord(uint16_t address) {
        uint8_t hi = ReadByte(address);
        return static_cast<uint16_t>(hi << 8 | ReadByte(static_cast<uint16_t>(address + 1)));
    }
    void WriteByte(uint16_t address, uint8_t value) { Memory.Write(address, MemoryCell{value, 0}, true); }
    void WriteWord(uint16_t address, uint16_t value) {
        WriteByte(address, static_cast<uint8_t>(value >> 8));
        WriteByte(static_cast<uint16_t>(address + 1), static_cast<uint8_t>(value));
    }
    void PushByte(uint8_t value);
    void PushWord(uint16_t value);
    uint8_t PullByte();
    uint16_t PullWord();

    uint8_t CheckInterrupts();
    void EnterInterrupt(uint16_t vector);

private:
    // Operand access for the memory-reference families. The mode is a template argument so
    // every opcode's case compiles to straight-line code. Operand bytes are read at PC + 1;
    // PC itself is advanced by the handler once the instruction is done.
    template <AddressingMode M> uint16_t OperandAddress();
    template <AddressingMode M> uint8_t FetchByte();
    template <AddressingMode M> uint16_t FetchWord();
    template <AddressingMode M> static constexpr uint16_t Length(bool wideImmediate);

    // Handlers shared by the A/B forms of one family and by all its addressing modes.
    template <AddressingMode M> void Subtract(uint8_t& acc, bool withBorrow, bool store);
    template <AddressingMode M> void AddTo(uint8_t& acc, bool withCarry);
    template <AddressingMode M> void Logic(uint8_t& acc, uint8_t op);
    template <AddressingMode M> void Load(uint8_t& acc);
    template <AddressingMode M> void Store(uint8_t acc);
    template <AddressingMode M> void Load16(uint16_t& reg);
    template <AddressingMode M> void Store16(uint16_t reg);
    template <AddressingMode M> void AddSubD(bool subtract);
    template <AddressingMode M> void CompareX();
    template <AddressingMode M> void JumpToSubroutine();
    template <AddressingMode M> void ModifyMemory(uint8_t op);
    template <AddressingMode M> void Jump();

    void ModifyAccumulator(uint8_t& acc, uint8_t op);
    uint8_t Modify(uint8_t op, uint8_t m);
    void Branch(bool taken);
    void DecimalAdjust();
    void SoftwareInterrupt();
    void ReturnFromInterrupt();

    uint8_t Add8(uint8_t p, uint8_t m, bool carryIn);
    uint8_t Sub8(uint8_t p, uint8_t m, bool borrowIn);
    uint16_t Add16(uint16_t p, uint16_t m);
    uint16_t Sub16(uint16_t p, uint16_t m);
    void SetNZ8(uint8_t r) {
        N = (r & 0x80) != 0;
        Z = r == 0;
    }
    void SetNZ16(uint16_t r) {
        N = (r & 0x8000) != 0;
        Z = r == 0;
    }
    // Takes one interrupt source if it is pending: status becomes the source when its vector
    // word is zero.
    void TakeIfPending(InterruptSource source, uint16_t vector, uint8_t& status);
};
