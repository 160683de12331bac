#pragma once
#include <cstdint>
#include <cstring>

#include "engine/memory.h"
#include "engine/model.h"
#include "engine/pending.h"
#include "isa/codes.h"

// Where a run got to: Steps and Cycles count on, the rest tells of the last completed step. Kept
// up to date when a step raises, for the steps before it.
struct TRunProgress {
    uint64_t Steps = 0;
    uint64_t Cycles = 0;
    int16_t Line = 0;   // the Line Step returned
    uint8_t Status = 0; // the status Step gave
    uint8_t Opcode = 0; // the opcode it executed
    uint16_t PC = 0;    // PC after it
    // The Line (0 or more) of the cell at PC after the last step of the run that ended on an
    // instruction with a line that is not negative; -1 when none did.
    int16_t InstructionLine = -1;
};

// What Tsimulator::Run stops at and counts.
struct TRunStops {
    // Bitmap of the source lines 1..32767 (bit n of word n / 64) after which a run stops, as a
    // breakpoint set keeps them; null: none.
    const uint64_t* Lines = nullptr;
    // E-clock cycles of each opcode (256 entries) and of each interrupt entry, summed into the
    // progress; null: no cycles counted.
    const uint8_t* Cycles = nullptr;
    unsigned EntryCycles = 0;
    // Which opcodes are instructions (256 entries), for the progress's InstructionLine; null:
    // none is.
    const bool* Instructions = nullptr;
};

// The MC6803 processor. Registers and flags are plain public fields that the workbench reads
// and edits between steps; D is kept equal to A:B by JoinD / SplitD.
class Tsimulator {
public:
    explicit Tsimulator(TMemory& memory);

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
    // The rules Step and Run follow (see engine/model.h); set by the owner between steps.
    TProcessorModel Model = TProcessorModel::Classic;
    // In the chip model: WAI has stacked the registers and the processor waits for an
    // interrupt; each step then only lets time pass.
    bool Waiting = false;
    // In the chip model: the E cycles executed, and the devices' next event.
    TCycleClock Clock;

    // The registers and the requests not yet taken as one value (D is A:B, the flags are packed
    // as in CCR): what the board's snapshot holds of the processor.
    struct State {
        uint8_t A, B;
        uint16_t PC, X, SP;
        uint8_t CCR;
        TPending Pending;
        bool Waiting;
        bool operator==(const State&) const = default;
    };
    State Save() const { return {A, B, PC, X, SP, PackCCR(), Pending, Waiting}; }
    void Restore(const State& state);

    void Reset();
    // Executes one instruction and takes pending interrupts. Returns the Line of the cell at the
    // new PC; status is 0 or the number of the interrupt source whose vector was zero when taken.
    int16_t Step(uint8_t& status);
    // Step as a step of a longer run: the same, but in the chip model the devices are left
    // where the step's accesses and events brought them (each catches up with the clock when
    // it is next accessed); the owner brings them up to the clock (TMachine::SyncDevices)
    // before it looks at them.
    int16_t StepInRun(uint8_t& status);
    // Executes up to `count` steps exactly as that many Step calls would, in one loop, and stops
    // after the first step that ends on a negative line, on a line of stops.Lines, or with a
    // status. An exception from a step (a device's observer) leaves the run after the steps
    // before it, counted in `progress`.
    void Run(uint64_t count, const TRunStops& stops, TRunProgress& progress);

    void JoinD() { D = static_cast<uint16_t>(A << 8 | B); }
    void SplitD() {
        A = static_cast<uint8_t>(D >> 8);
        B = static_cast<uint8_t>(D);
    }
    // The six flags as bits 0..5, C first. Read one byte at a time: each flag has just been
    // stored on its own, and one wider load over several would wait for those stores to drain.
    // Each is 0 or 1, so they are added in pairs with their weights (a few address sums).
    uint8_t PackCCR() const {
        const unsigned cv = C + 2u * V, zn = Z + 2u * N, ih = I + 2u * H;
        return static_cast<uint8_t>(0xC0u + cv + 4u * zn + 16u * ih);
    }
    void UnpackCCR(uint8_t ccr);

    // The program's accesses: traced, through the address space's fast path.
    [[gnu::always_inline]] uint8_t ReadByte(uint16_t address) { return Memory.LoadValue(address); }
    [[gnu::always_inline]] int8_t ReadSignedByte(uint16_t address) {
        return static_cast<int8_t>(ReadByte(address));
    }
    [[gnu::always_inline]] uint16_t ReadWord(uint16_t address) {
        uint8_t hi = ReadByte(address);
        return static_cast<uint16_t>(hi << 8 | ReadByte(static_cast<uint16_t>(address + 1)));
    }
    [[gnu::always_inline]] void WriteByte(uint16_t address, uint8_t value) {
        Memory.Store(address, MemoryCell{value, 0});
    }
    [[gnu::always_inline]] void WriteWord(uint16_t address, uint16_t value) {
        WriteByte(address, static_cast<uint8_t>(value >> 8));
        WriteByte(static_cast<uint16_t>(address + 1), static_cast<uint8_t>(value));
    }
    [[gnu::always_inline]] void PushByte(uint8_t value) {
        WriteByte(SP, value);
        SP = static_cast<uint16_t>(SP - 1);
    }
    [[gnu::always_inline]] void PushWord(uint16_t value) {
        WriteByte(SP, static_cast<uint8_t>(value));
        WriteByte(static_cast<uint16_t>(SP - 1), static_cast<uint8_t>(value >> 8));
        SP = static_cast<uint16_t>(SP - 2);
    }
    [[gnu::always_inline]] uint8_t PullByte() {
        const uint8_t value = ReadByte(static_cast<uint16_t>(SP + 1));
        SP = static_cast<uint16_t>(SP + 1);
        return value;
    }
    [[gnu::always_inline]] uint16_t PullWord() {
        const uint8_t hi = ReadByte(static_cast<uint16_t>(SP + 1));
        const uint8_t lo = ReadByte(static_cast<uint16_t>(SP + 2));
        SP = static_cast<uint16_t>(SP + 2);
        return static_cast<uint16_t>(hi << 8 | lo);
    }

    // Takes the pending requests after a step (see TakeInterrupts); most steps find none of the
    // six sources requested and cost one test.
    uint8_t CheckInterrupts() {
        Entries = 0;
        if (!Pending.AnySource()) [[likely]]
            return 0;
        return TakeInterrupts();
    }
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

    // One instruction: the opcode `op` read at PC; PC ends on the next instruction. The model
    // picks the rules of the few instructions the models differ in.
    template <TProcessorModel Model> void Execute(uint8_t op);
    template <TProcessorModel Model>
    void RunLoop(uint64_t count, const TRunStops& stops, TRunProgress& progress);
    // The chip model's step: an instruction (or, while waiting, a slice of time), its cycles on
    // the clock, then at most one interrupt entry with its cycles.
    // With `sync`, the devices are brought up to the clock after it.
    int16_t StepChip(uint8_t& status, bool sync);
    // The chip's instructions and interrupt entry where they differ from the classic model's.
    void ChipDecimalAdjust();
    void ChipWait();
    void ChipReturnFromInterrupt();
    void ChipStoreImmediate(uint8_t op);
    // Lets time pass while waiting: up to the next device event, at most kWaitStepCycles.
    void ChipWaitSlice();
    // Takes the one request of highest priority the mask lets through; returns the status as
    // TakeInterrupts does and adds the entry's cycles to the clock.
    uint8_t ChipTakeInterrupt();
    const uint8_t* chipCycles_;
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
    uint8_t TakeInterrupts();
};

// E-clock cycles of every opcode on the chip: the data sheet's counts, and for the undocumented
// opcodes the counts the chip model gives them (256 entries).
const uint8_t* ChipCycleTable();

// PackCCR reads the six flags as bytes that hold 0 or 1 (the engine tests check every flag).
static_assert(sizeof(bool) == 1);
