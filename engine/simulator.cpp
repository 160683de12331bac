#include "engine/simulator.h"

// The MC6803 instruction set. Step reads the opcode, dispatches through one switch to a handler
// shared by the instruction family (the addressing mode is a template argument), then takes
// pending interrupts. Every access goes through the address space's Load/Store, the traced
// Read/Write with a fast path for plain memory, so the bus trace sees the program's accesses in
// order. The handlers and helpers the dispatch calls are forced inline: the dispatch is one
// large function, and the compiler would otherwise call out of it for most of them.

namespace {

constexpr uint16_t u16(unsigned v) { return static_cast<uint16_t>(v); }
constexpr uint8_t u8(unsigned v) { return static_cast<uint8_t>(v); }

// The dispatch names the memory-reference modes plainly.
constexpr AddressingMode Immediate = AddressingMode::Immediate;
constexpr AddressingMode Direct = AddressingMode::Direct;
constexpr AddressingMode Extended = AddressingMode::Extended;
constexpr AddressingMode Indexed = AddressingMode::Indexed;
} // namespace

// ---------------------------------------------------------------------------------------------
// Arithmetic. The flags are taken from the operand and result bits (P register operand,
// M memory operand, R result) exactly as the data sheet states them.

[[gnu::always_inline]] inline uint8_t Tsimulator::Add8(uint8_t p, uint8_t m, bool carryIn) {
    const uint8_t r = u8(p + m + carryIn);
    const unsigned carries = (p & m) | (m & ~r) | (~r & p);
    C = (carries & 0x80) != 0;
    H = (carries & 0x08) != 0;
    V = (((p & m & ~r) | (~p & ~m & r)) & 0x80) != 0;
    SetNZ8(r);
    return r;
}

[[gnu::always_inline]] inline uint8_t Tsimulator::Sub8(uint8_t p, uint8_t m, bool borrowIn) {
    const uint8_t r = u8(p - m - borrowIn);
    C = (((~p & m) | (m & r) | (r & ~p)) & 0x80) != 0;
    V = (((p & ~m & ~r) | (~p & m & r)) & 0x80) != 0;
    SetNZ8(r);
    return r;
}

[[gnu::always_inline]] inline uint16_t Tsimulator::Add16(uint16_t p, uint16_t m) {
    const uint16_t r = u16(p + m);
    C = (((p & m) | (m & ~r) | (~r & p)) & 0x8000) != 0;
    V = (((p & m & ~r) | (~p & ~m & r)) & 0x8000) != 0;
    SetNZ16(r);
    return r;
}

[[gnu::always_inline]] inline uint16_t Tsimulator::Sub16(uint16_t p, uint16_t m) {
    const uint16_t r = u16(p - m);
    C = (((~p & m) | (m & r) | (r & ~p)) & 0x8000) != 0;
    V = (((p & ~m & ~r) | (~p & m & r)) & 0x8000) != 0;
    SetNZ16(r);
    return r;
}

// The read-modify-write operations selected by the low opcode nibble; sets the flags and
// returns the new value (TST returns its operand unchanged).
[[gnu::always_inline]] inline uint8_t Tsimulator::Modify(uint8_t op, uint8_t m) {
    uint8_t r = m;
    switch (op & 0x0F) {
    case 0x0: // NEG
        r = u8(0 - m);
        SetNZ8(r);
        V = r == 0x80;
        C = r != 0;
        break;
    case 0x3: // COM
        r = u8(~m);
        SetNZ8(r);
        V = false;
        C = true;
        break;
    case 0x4: // LSR
        r = u8(m >> 1);
        C = (m & 0x01) != 0;
        N = false;
        Z = r == 0;
        V = N != C;
        break;
    case 0x6: // ROR
        r = u8(m >> 1 | (C ? 0x80 : 0));
        C = (m & 0x01) != 0;
        SetNZ8(r);
        V = N != C;
        break;
    case 0x7: // ASR
        r = u8(m >> 1 | (m & 0x80));
        C = (m & 0x01) != 0;
        SetNZ8(r);
        V = N != C;
        break;
    case 0x8: // ASL
        r = u8(m << 1);
        C = (m & 0x80) != 0;
        SetNZ8(r);
        V = N != C;
        break;
    case 0x9: // ROL
        r = u8(m << 1 | (C ? 1 : 0));
        C = (m & 0x80) != 0;
        SetNZ8(r);
        V = N != C;
        break;
    case 0xA: // DEC
        r = u8(m - 1);
        SetNZ8(r);
        V = m == 0x80;
        break;
    case 0xC: // INC
        r = u8(m + 1);
        SetNZ8(r);
        V = m == 0x7F;
        break;
    case 0xD: // TST
        SetNZ8(m);
        V = false;
        C = false;
        break;
    case 0xF: // CLR
        r = 0;
        N = false;
        Z = true;
        V = false;
        C = false;
        break;
    default:
        break;
    }
    return r;
}

// Decimal adjust of A after a BCD addition, by the first matching row of the correction table;
// when no row matches, A and C stay as they are.
[[gnu::always_inline]] inline void Tsimulator::DecimalAdjust() {
    const unsigned hi = A >> 4;
    const unsigned lo = A & 0x0F;
    int add = -1;
    bool carry = C;
    if (!C) {
        if (hi <= 9 && !H && lo <= 9) add = 0x00, carry = false;
        else if (hi <= 8 && !H && lo >= 0xA) add = 0x06, carry = false;
        else if (hi <= 9 && H && lo <= 3) add = 0x06, carry = false;
        else if (hi >= 0xA && !H && lo <= 9) add = 0x60, carry = true;
        else if (hi >= 9 && !H && lo >= 0xA) add = 0x66, carry = true;
        else if (hi >= 0xA && H && lo <= 3) add = 0x66, carry = true;
    } else {
        if (hi <= 2 && !H && lo <= 9) add = 0x60, carry = true;
        else if (hi <= 2 && !H && lo >= 0xA) add = 0x66, carry = true;
        else if (hi <= 3 && H && lo <= 3) add = 0x66, carry = true;
    }
    if (add >= 0) {
        A = u8(A + add);
        C = carry;
    }
    SetNZ8(A);
    JoinD();
    PC = u16(PC + 1);
}

// ---------------------------------------------------------------------------------------------
// Operand access

template <AddressingMode M> constexpr uint16_t Tsimulator::Length(bool wideImmediate) {
    static_assert(M == Immediate || M == Direct || M == Indexed || M == Extended);
    if constexpr (M == Immediate) return wideImmediate ? 3 : 2;
    else if constexpr (M == Extended) return 3;
    else return 2;
}

template <AddressingMode M> [[gnu::always_inline]] inline uint16_t Tsimulator::OperandAddress() {
    static_assert(M == Direct || M == Indexed || M == Extended);
    if constexpr (M == Direct) return ReadByte(u16(PC + 1));
    else if constexpr (M == Indexed) return u16(X + ReadByte(u16(PC + 1)));
    else return ReadWord(u16(PC + 1));
}

template <AddressingMode M> [[gnu::always_inline]] inline uint8_t Tsimulator::FetchByte() {
    if constexpr (M == Immediate) return ReadByte(u16(PC + 1));
    else return ReadByte(OperandAddress<M>());
}

template <AddressingMode M> [[gnu::always_inline]] inline uint16_t Tsimulator::FetchWord() {
    if constexpr (M == Immediate) return ReadWord(u16(PC + 1));
    else return ReadWord(OperandAddress<M>());
}

// ---------------------------------------------------------------------------------------------
// Family handlers

// SUB, SBC (withBorrow) and CMP (store = false).
template <AddressingMode M>
[[gnu::always_inline]] inline void Tsimulator::Subtract(uint8_t& acc, bool withBorrow, bool store) {
    const uint8_t r = Sub8(acc, FetchByte<M>(), withBorrow && C);
    if (store) {
        acc = r;
        JoinD();
    }
    PC = u16(PC + Length<M>(false));
}

// ADD and ADC.
template <AddressingMode M>
[[gnu::always_inline]] inline void Tsimulator::AddTo(uint8_t& acc, bool withCarry) {
    acc = Add8(acc, FetchByte<M>(), withCarry && C);
    JoinD();
    PC = u16(PC + Length<M>(false));
}

// AND, BIT, EOR, ORA by the low opcode nibble.
template <AddressingMode M> [[gnu::always_inline]] inline void Tsimulator::Logic(uint8_t& acc, uint8_t op) {
    const uint8_t m = FetchByte<M>();
    uint8_t r;
    switch (op & 0x0F) {
    case 0x8:
        r = u8(acc ^ m);
        break;
    case 0xA:
        r = u8(acc | m);
        break;
    default:
        r = u8(acc & m);
        break; // 4 AND, 5 BIT
    }
    SetNZ8(r);
    V = false;
    if ((op & 0x0F) != 0x5) {
        acc = r;
        JoinD();
    }
    PC = u16(PC + Length<M>(false));
}

template <AddressingMode M> [[gnu::always_inline]] inline void Tsimulator::Load(uint8_t& acc) {
    acc = FetchByte<M>();
    SetNZ8(acc);
    V = false;
    JoinD();
    PC = u16(PC + Length<M>(false));
}

template <AddressingMode M> [[gnu::always_inline]] inline void Tsimulator::Store(uint8_t acc) {
    WriteByte(OperandAddress<M>(), acc);
    SetNZ8(acc);
    V = false;
    PC = u16(PC + Length<M>(false));
}

// LDS, LDX and LDD (reg = D, split afterwards).
template <AddressingMode M> [[gnu::always_inline]] inline void Tsimulator::Load16(uint16_t& reg) {
    reg = FetchWord<M>();
    SetNZ16(reg);
    V = false;
    if (&reg == &D) SplitD();
    PC = u16(PC + Length<M>(true));
}

template <AddressingMode M> [[gnu::always_inline]] inline void Tsimulator::Store16(uint16_t reg) {
    WriteWord(OperandAddress<M>(), reg);
    SetNZ16(reg);
    V = false;
    PC = u16(PC + Length<M>(true));
}

template <AddressingMode M> [[gnu::always_inline]] inline void Tsimulator::AddSubD(bool subtract) {
    const uint16_t m = FetchWord<M>();
    D = subtract ? Sub16(D, m) : Add16(D, m);
    SplitD();
    PC = u16(PC + Length<M>(true));
}

template <AddressingMode M> [[gnu::always_inline]] inline void Tsimulator::CompareX() {
    Sub16(X, FetchWord<M>());
    PC = u16(PC + Length<M>(true));
}

template <AddressingMode M> [[gnu::always_inline]] inline void Tsimulator::JumpToSubroutine() {
    const uint16_t target = OperandAddress<M>();
    PushWord(u16(PC + Length<M>(false)));
    PC = target;
}

template <AddressingMode M> [[gnu::always_inline]] inline void Tsimulator::Jump() {
    PC = OperandAddress<M>();
}

// Memory forms of the read-modify-write family. The operand address is fetched again for the
// write-back, so each of its bytes is read twice; TST only reads and CLR only writes.
template <AddressingMode M> [[gnu::always_inline]] inline void Tsimulator::ModifyMemory(uint8_t op) {
    switch (op & 0x0F) {
    case 0xD:
        Modify(op, ReadByte(OperandAddress<M>()));
        break;
    case 0xF:
        WriteByte(OperandAddress<M>(), Modify(op, 0));
        break;
    default: {
        const uint8_t r = Modify(op, ReadByte(OperandAddress<M>()));
        WriteByte(OperandAddress<M>(), r);
        break;
    }
    }
    PC = u16(PC + Length<M>(false));
}

[[gnu::always_inline]] inline void Tsimulator::ModifyAccumulator(uint8_t& acc, uint8_t op) {
    const uint8_t r = Modify(op, acc);
    if ((op & 0x0F) != 0xD) {
        acc = r;
        JoinD();
    }
    PC = u16(PC + 1);
}

// The offset byte is always fetched; a taken branch adds it to the address of the next
// instruction.
[[gnu::always_inline]] inline void Tsimulator::Branch(bool taken) {
    const int8_t offset = ReadSignedByte(u16(PC + 1));
    PC = u16(PC + 2);
    if (taken) PC = u16(PC + offset);
}

// ---------------------------------------------------------------------------------------------
// Dispatch

template <TProcessorModel Model> [[gnu::always_inline]] inline void Tsimulator::Execute(uint8_t op) {
    constexpr TModelRules rules = RulesOf(Model);
    // The dispatch keeps one opcode a line, in opcode-table order.
    // clang-format off
    switch (op) {
    // Inherent: register and flag operations.
    case 0x01: PC = u16(PC + 1); break; // NOP
    case 0x04: // LSRD
        C = (D & 1) != 0;
        D = u16(D >> 1);
        N = false;
        Z = D == 0;
        V = N != C;
        SplitD();
        PC = u16(PC + 1);
        break;
    case 0x05: // ASLD
        C = (D & 0x8000) != 0;
        D = u16(D << 1);
        SetNZ16(D);
        V = N != C;
        SplitD();
        PC = u16(PC + 1);
        break;
    case 0x06: UnpackCCR(A); PC = u16(PC + 1); break; // TAP
    case 0x07: A = PackCCR(); JoinD(); PC = u16(PC + 1); break; // TPA
    case 0x08: X = u16(X + 1); Z = X == 0; PC = u16(PC + 1); break; // INX
    case 0x09: X = u16(X - 1); Z = X == 0; PC = u16(PC + 1); break; // DEX
    case 0x0A: V = false; PC = u16(PC + 1); break; // CLV
    case 0x0B: V = true; PC = u16(PC + 1); break; // SEV
    case 0x0C: C = false; PC = u16(PC + 1); break; // CLC
    case 0x0D: C = true; PC = u16(PC + 1); break; // SEC
    case 0x0E: I = false; PC = u16(PC + 1); break; // CLI
    case 0x0F: I = true; PC = u16(PC + 1); break; // SEI
    case 0x10: A = Sub8(A, B, false); JoinD(); PC = u16(PC + 1); break; // SBA
    case 0x11: Sub8(A, B, false); PC = u16(PC + 1); break; // CBA
    case 0x16: B = A; SetNZ8(B); V = false; JoinD(); PC = u16(PC + 1); break; // TAB
    case 0x17: A = B; SetNZ8(A); V = false; JoinD(); PC = u16(PC + 1); break; // TBA
    case 0x19: // DAA
        if constexpr (rules.DaaFullRange) ChipDecimalAdjust();
        else DecimalAdjust();
        break;
    case 0x1B: A = Add8(A, B, false); JoinD(); PC = u16(PC + 1); break; // ABA

    // Relative branches.
    case 0x20: Branch(true); break; // BRA
    case 0x21: Branch(false); break; // BRN
    case 0x22: Branch(!C && !Z); break; // BHI
    case 0x23: Branch(C || Z); break; // BLS
    case 0x24: Branch(!C); break; // BCC
    case 0x25: Branch(C); break; // BCS
    case 0x26: Branch(!Z); break; // BNE
    case 0x27: Branch(Z); break; // BEQ
    case 0x28: Branch(!V); break; // BVC
    case 0x29: Branch(V); break; // BVS
    case 0x2A: Branch(!N); break; // BPL
    case 0x2B: Branch(N); break; // BMI
    case 0x2C: Branch(N == V); break; // BGE
    case 0x2D: Branch(N != V); break; // BLT
    case 0x2E: Branch(!Z && N == V); break; // BGT
    case 0x2F: Branch(Z || N != V); break; // BLE

    // Stack and index register.
    case 0x30: X = u16(SP + 1); PC = u16(PC + 1); break; // TSX
    case 0x31: SP = u16(SP + 1); PC = u16(PC + 1); break; // INS
    case 0x32: A = PullByte(); JoinD(); PC = u16(PC + 1); break; // PULA
    case 0x33: B = PullByte(); JoinD(); PC = u16(PC + 1); break; // PULB
    case 0x34: SP = u16(SP - 1); PC = u16(PC + 1); break; // DES
    case 0x35: SP = u16(X - 1); PC = u16(PC + 1); break; // TXS
    case 0x36: PushByte(A); PC = u16(PC + 1); break; // PSHA
    case 0x37: PushByte(B); PC = u16(PC + 1); break; // PSHB
    case 0x38: X = PullWord(); PC = u16(PC + 1); break; // PULX
    case 0x39: PC = PullWord(); break; // RTS
    case 0x3A: X = u16(X + B); PC = u16(PC + 1); break; // ABX
    case 0x3B: // RTI
        if constexpr (rules.RtiRestoresMask) ChipReturnFromInterrupt();
        else ReturnFromInterrupt();
        break;
    case 0x3C: PushWord(X); PC = u16(PC + 1); break; // PSHX
    case 0x3D: // MUL
        D = u16(A * B);
        SplitD();
        C = (B & 0x80) != 0;
        PC = u16(PC + 1);
        break;
    case 0x3E: // WAI
        if constexpr (rules.WaiWaits) ChipWait();
        break;
    case 0x3F: // SWI
        if constexpr (rules.SwiIgnoresMask) {
            PC = u16(PC + 1);
            EnterInterrupt(kVectorSwi);
        } else {
            SoftwareInterrupt();
        }
        break;

    // Read-modify-write on A, B, indexed and extended memory.
    case 0x40: case 0x43: case 0x44: case 0x46: case 0x47: case 0x48: case 0x49:
    case 0x4A: case 0x4C: case 0x4D: case 0x4F:
        ModifyAccumulator(A, op);
        break;
    case 0x50: case 0x53: case 0x54: case 0x56: case 0x57: case 0x58: case 0x59:
    case 0x5A: case 0x5C: case 0x5D: case 0x5F:
        ModifyAccumulator(B, op);
        break;
    case 0x60: case 0x63: case 0x64: case 0x66: case 0x67: case 0x68: case 0x69:
    case 0x6A: case 0x6C: case 0x6D: case 0x6F:
        ModifyMemory<Indexed>(op);
        break;
    case 0x70: case 0x73: case 0x74: case 0x76: case 0x77: case 0x78: case 0x79:
    case 0x7A: case 0x7C: case 0x7D: case 0x7F:
        ModifyMemory<Extended>(op);
        break;
    case 0x6E: Jump<Indexed>(); break; // JMP
    case 0x7E: Jump<Extended>(); break;

    // Accumulator A and 16-bit families ($80-$BF).
    case 0x80: Subtract<Immediate>(A, false, true); break; // SUBA
    case 0x90: Subtract<Direct>(A, false, true); break;
    case 0xA0: Subtract<Indexed>(A, false, true); break;
    case 0xB0: Subtract<Extended>(A, false, true); break;
    case 0x81: Subtract<Immediate>(A, false, false); break; // CMPA
    case 0x91: Subtract<Direct>(A, false, false); break;
    case 0xA1: Subtract<Indexed>(A, false, false); break;
    case 0xB1: Subtract<Extended>(A, false, false); break;
    case 0x82: Subtract<Immediate>(A, true, true); break; // SBCA
    case 0x92: Subtract<Direct>(A, true, true); break;
    case 0xA2: Subtract<Indexed>(A, true, true); break;
    case 0xB2: Subtract<Extended>(A, true, true); break;
    case 0x83: AddSubD<Immediate>(true); break; // SUBD
    case 0x93: AddSubD<Direct>(true); break;
    case 0xA3: AddSubD<Indexed>(true); break;
    case 0xB3: AddSubD<Extended>(true); break;
    case 0x84: case 0x85: case 0x88: case 0x8A: Logic<Immediate>(A, op); break; // ANDA BITA EORA ORAA
    case 0x94: case 0x95: case 0x98: case 0x9A: Logic<Direct>(A, op); break;
    case 0xA4: case 0xA5: case 0xA8: case 0xAA: Logic<Indexed>(A, op); break;
    case 0xB4: case 0xB5: case 0xB8: case 0xBA: Logic<Extended>(A, op); break;
    case 0x86: Load<Immediate>(A); break; // LDAA
    case 0x96: Load<Direct>(A); break;
    case 0xA6: Load<Indexed>(A); break;
    case 0xB6: Load<Extended>(A); break;
    case 0x97: Store<Direct>(A); break; // STAA
    case 0xA7: Store<Indexed>(A); break;
    case 0xB7: Store<Extended>(A); break;
    case 0x89: AddTo<Immediate>(A, true); break; // ADCA
    case 0x99: AddTo<Direct>(A, true); break;
    case 0xA9: AddTo<Indexed>(A, true); break;
    case 0xB9: AddTo<Extended>(A, true); break;
    case 0x8B: AddTo<Immediate>(A, false); break; // ADDA
    case 0x9B: AddTo<Direct>(A, false); break;
    case 0xAB: AddTo<Indexed>(A, false); break;
    case 0xBB: AddTo<Extended>(A, false); break;
    case 0x8C: CompareX<Immediate>(); break; // CPX
    case 0x9C: CompareX<Direct>(); break;
    case 0xAC: CompareX<Indexed>(); break;
    case 0xBC: CompareX<Extended>(); break;
    case 0x8D: // BSR
    {
        const int8_t offset = ReadSignedByte(u16(PC + 1));
        PushWord(u16(PC + 2));
        PC = u16(PC + 2 + offset);
        break;
    }
    case 0x9D: JumpToSubroutine<Direct>(); break; // JSR
    case 0xAD: JumpToSubroutine<Indexed>(); break;
    case 0xBD: JumpToSubroutine<Extended>(); break;
    case 0x8E: Load16<Immediate>(SP); break; // LDS
    case 0x9E: Load16<Direct>(SP); break;
    case 0xAE: Load16<Indexed>(SP); break;
    case 0xBE: Load16<Extended>(SP); break;
    case 0x9F: Store16<Direct>(SP); break; // STS
    case 0xAF: Store16<Indexed>(SP); break;
    case 0xBF: Store16<Extended>(SP); break;

    // Accumulator B and D families ($C0-$FF).
    case 0xC0: Subtract<Immediate>(B, false, true); break; // SUBB
    case 0xD0: Subtract<Direct>(B, false, true); break;
    case 0xE0: Subtract<Indexed>(B, false, true); break;
    case 0xF0: Subtract<Extended>(B, false, true); break;
    case 0xC1: Subtract<Immediate>(B, false, false); break; // CMPB
    case 0xD1: Subtract<Direct>(B, false, false); break;
    case 0xE1: Subtract<Indexed>(B, false, false); break;
    case 0xF1: Subtract<Extended>(B, false, false); break;
    case 0xC2: Subtract<Immediate>(B, true, true); break; // SBCB
    case 0xD2: Subtract<Direct>(B, true, true); break;
    case 0xE2: Subtract<Indexed>(B, true, true); break;
    case 0xF2: Subtract<Extended>(B, true, true); break;
    case 0xC3: AddSubD<Immediate>(false); break; // ADDD
    case 0xD3: AddSubD<Direct>(false); break;
    case 0xE3: AddSubD<Indexed>(false); break;
    case 0xF3: AddSubD<Extended>(false); break;
    case 0xC4: case 0xC5: case 0xC8: case 0xCA: Logic<Immediate>(B, op); break; // ANDB BITB EORB ORAB
    case 0xD4: case 0xD5: case 0xD8: case 0xDA: Logic<Direct>(B, op); break;
    case 0xE4: case 0xE5: case 0xE8: case 0xEA: Logic<Indexed>(B, op); break;
    case 0xF4: case 0xF5: case 0xF8: case 0xFA: Logic<Extended>(B, op); break;
    case 0xC6: Load<Immediate>(B); break; // LDAB
    case 0xD6: Load<Direct>(B); break;
    case 0xE6: Load<Indexed>(B); break;
    case 0xF6: Load<Extended>(B); break;
    case 0xD7: Store<Direct>(B); break; // STAB
    case 0xE7: Store<Indexed>(B); break;
    case 0xF7: Store<Extended>(B); break;
    case 0xC9: AddTo<Immediate>(B, true); break; // ADCB
    case 0xD9: AddTo<Direct>(B, true); break;
    case 0xE9: AddTo<Indexed>(B, true); break;
    case 0xF9: AddTo<Extended>(B, true); break;
    case 0xCB: AddTo<Immediate>(B, false); break; // ADDB
    case 0xDB: AddTo<Direct>(B, false); break;
    case 0xEB: AddTo<Indexed>(B, false); break;
    case 0xFB: AddTo<Extended>(B, false); break;
    case 0xCC: Load16<Immediate>(D); break; // LDD
    case 0xDC: Load16<Direct>(D); break;
    case 0xEC: Load16<Indexed>(D); break;
    case 0xFC: Load16<Extended>(D); break;
    case 0xDD: Store16<Direct>(D); break; // STD
    case 0xED: Store16<Indexed>(D); break;
    case 0xFD: Store16<Extended>(D); break;
    case 0xCE: Load16<Immediate>(X); break; // LDX
    case 0xDE: Load16<Direct>(X); break;
    case 0xEE: Load16<Indexed>(X); break;
    case 0xFE: Load16<Extended>(X); break;
    case 0xDF: Store16<Direct>(X); break; // STX
    case 0xEF: Store16<Indexed>(X); break;
    case 0xFF: Store16<Extended>(X); break;

    // Opcodes the classic model does not execute: nothing changes and the same opcode is met
    // again by the next step. The chip executes them (see ChipStoreImmediate).
    default:
        if constexpr (rules.UndocumentedOps) ChipStoreImmediate(op);
        break;
    }
    // clang-format on
}

int16_t Tsimulator::Step(uint8_t& status) {
    if (Model == TProcessorModel::Chip) [[unlikely]]
        return StepChip(status, true);
    Execute<TProcessorModel::Classic>(ReadByte(PC));
    status = CheckInterrupts();
    return Memory.Load(PC).Line;
}

int16_t Tsimulator::StepInRun(uint8_t& status) {
    if (Model == TProcessorModel::Chip) [[unlikely]]
        return StepChip(status, false);
    Execute<TProcessorModel::Classic>(ReadByte(PC));
    status = CheckInterrupts();
    return Memory.Load(PC).Line;
}

int16_t Tsimulator::StepChip(uint8_t& status, bool sync) {
    Entries = 0;
    if (Waiting) {
        ChipWaitSlice();
    } else {
        // The instruction's accesses fall in its last cycle, as the operand accesses of most
        // instructions do on the chip: the devices see the cycles before it first.
        const uint8_t op = ReadByte(PC);
        Clock.Advance(chipCycles_[op] - 1u);
        Execute<TProcessorModel::Chip>(op);
        Clock.Advance(1);
    }
    status = Pending.AnySource() ? ChipTakeInterrupt() : 0;
    // The devices are brought up to the clock, so what is shown between steps is current.
    if (sync && Clock.Listener) Clock.Listener->ClockReached();
    return Memory.Load(PC).Line;
}

namespace {
// What a run without stop lines or cycle table reads instead.
constexpr uint64_t kNoStopLines[32768 / 64] = {};
constexpr uint8_t kNoCycles[256] = {};
constexpr bool kNoInstructions[256] = {};
} // namespace

void Tsimulator::Run(uint64_t count, const TRunStops& stops, TRunProgress& progress) {
    if (Model == TProcessorModel::Chip) RunLoop<TProcessorModel::Chip>(count, stops, progress);
    else RunLoop<TProcessorModel::Classic>(count, stops, progress);
}

// The chip model counts its own cycles (stops.Cycles is not read): each step's cycles are the
// clock's advance over it.
template <TProcessorModel Model>
void Tsimulator::RunLoop(uint64_t count, const TRunStops& stops, TRunProgress& progress) {
    // The loop keeps its counts in locals; a step that raises leaves the counts of the steps
    // before it in `progress`.
    uint64_t steps = 0, cycles = 0;
    int16_t line = progress.Line;
    uint8_t status = 0, op = progress.Opcode;
    uint16_t at = PC;
    const uint64_t* const stopLines = stops.Lines ? stops.Lines : kNoStopLines;
    const uint8_t* const cycleTable = stops.Cycles ? stops.Cycles : kNoCycles;
    const uint64_t entryCycles = stops.Cycles ? stops.EntryCycles : 0;
    const bool* const instructions = stops.Instructions ? stops.Instructions : kNoInstructions;
    int16_t instructionLine = progress.InstructionLine;
    try {
        while (steps < count) {
            uint8_t next;
            uint8_t taken = 0;
            if constexpr (Model == TProcessorModel::Chip) {
                const uint64_t before = Clock.Now;
                if (Waiting) [[unlikely]] {
                    next = 0x3E; // the waiting step belongs to the WAI
                    ChipWaitSlice();
                } else {
                    next = ReadByte(PC);
                    Clock.Advance(chipCycles_[next] - 1u);
                    Execute<Model>(next);
                    Clock.Advance(1);
                }
                Entries = 0;
                if (Pending.AnySource()) [[unlikely]]
                    taken = ChipTakeInterrupt();
                cycles += Clock.Now - before;
            } else {
                next = ReadByte(PC);
                Execute<Model>(next);
                // CheckInterrupts, with the entries' cycles counted where they are taken.
                uint64_t entryCost = 0;
                Entries = 0;
                if (Pending.AnySource()) [[unlikely]] {
                    taken = TakeInterrupts();
                    entryCost = entryCycles * Entries;
                }
                cycles += cycleTable[next] + entryCost;
            }
            const MemoryCell reached = Memory.Load(PC);
            op = next;
            status = taken;
            line = reached.Line;
            ++steps;
            at = PC;
            if (line >= 0 && instructions[reached.Value]) instructionLine = line;
            // Lines 1..32767 are in the bitmap; 0 and the negative lines are tested apart.
            if (line <= 0 || status != 0) [[unlikely]] {
                if (line < 0 || status != 0) break;
            } else if (stopLines[line >> 6] >> (line & 63) & 1) [[unlikely]] {
                break;
            }
        }
    } catch (...) {
        if constexpr (Model == TProcessorModel::Chip)
            if (Clock.Listener) Clock.Listener->ClockReached();
        progress.Steps += steps;
        progress.Cycles += cycles;
        progress.Line = line;
        progress.Status = 0;
        progress.Opcode = op;
        progress.PC = at;
        progress.InstructionLine = instructionLine;
        throw;
    }
    if constexpr (Model == TProcessorModel::Chip)
        if (Clock.Listener) Clock.Listener->ClockReached();
    progress.Steps += steps;
    progress.Cycles += cycles;
    progress.Line = line;
    progress.Status = status;
    progress.Opcode = op;
    progress.PC = at;
    progress.InstructionLine = instructionLine;
}
