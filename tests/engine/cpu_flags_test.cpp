// Arithmetic flags checked against a wide-integer formulation: carry from the 9-bit (17-bit)
// sum, overflow from the signed result leaving its range, half carry from the nibble sum.
#include <vector>

#include "tests/engine/cpu_fixture.h"

namespace {

struct Expect8 {
    uint8_t r;
    bool c, v, h, n, z;
};

Expect8 WideAdd(int p, int m, int cin) {
    const int sum = p + m + cin;
    const int ssum = static_cast<int8_t>(p) + static_cast<int8_t>(m) + cin;
    const uint8_t r = static_cast<uint8_t>(sum);
    return {r, sum > 0xFF, ssum < -128 || ssum > 127, (p & 15) + (m & 15) + cin > 15, r >= 0x80, r == 0};
}

Expect8 WideSub(int p, int m, int bin) {
    const int diff = p - m - bin;
    const int sdiff = static_cast<int8_t>(p) - static_cast<int8_t>(m) - bin;
    const uint8_t r = static_cast<uint8_t>(diff);
    return {r, diff < 0, sdiff < -128 || sdiff > 127, false, r >= 0x80, r == 0};
}

class FlagTest : public CpuTest {
protected:
    // Runs 'opcode #m' on accumulator A (or B) = p with the given carry in; H and I start with
    // sentinel values so that instructions which must not touch them can be checked.
    void RunImmediate(uint8_t opcode, bool onB, uint8_t p, uint8_t m, bool carryIn, bool h) {
        memory->Cells[0x2000].Value = opcode;
        memory->Cells[0x2001].Value = m;
        cpu.PC = 0x2000;
        if (onB) {
            cpu.A = 0x5A;
            cpu.B = p;
        } else {
            cpu.A = p;
            cpu.B = 0xA5;
        }
        cpu.JoinD();
        cpu.C = carryIn;
        cpu.H = h;
        cpu.I = true;
        cpu.Step(status);
    }
};

TEST_F(FlagTest, EightBitAddFamiliesMatchWideSums) {
    struct Op {
        uint8_t opcode;
        bool onB;
        bool useCarry;
    };
    for (Op op :
         {Op{0x8B, false, false}, Op{0x89, false, true}, Op{0xCB, true, false}, Op{0xC9, true, true}}) {
        int failures = 0;
        for (int cin = 0; cin <= 1; ++cin)
            for (int p = 0; p < 256; ++p)
                for (int m = 0; m < 256; ++m) {
                    RunImmediate(op.opcode, op.onB, static_cast<uint8_t>(p), static_cast<uint8_t>(m), cin,
                                 false);
                    const Expect8 e = WideAdd(p, m, op.useCarry ? cin : 0);
                    const uint8_t acc = op.onB ? cpu.B : cpu.A;
                    const bool ok = acc == e.r && cpu.C == e.c && cpu.V == e.v && cpu.H == e.h &&
                                    cpu.N == e.n && cpu.Z == e.z && cpu.I && cpu.PC == 0x2002 &&
                                    cpu.D == (cpu.A << 8 | cpu.B) && (op.onB ? cpu.A == 0x5A : cpu.B == 0xA5);
                    if (!ok && ++failures <= 5)
                        ADD_FAILURE() << "opcode " << std::hex << int(op.opcode) << " p=" << p << " m=" << m
                                      << " cin=" << cin << " got " << int(acc) << " C" << cpu.C << " V"
                                      << cpu.V << " H" << cpu.H << " N" << cpu.N << " Z" << cpu.Z;
                }
        EXPECT_EQ(failures, 0) << "opcode " << std::hex << int(op.opcode);
    }
}

TEST_F(FlagTest, EightBitSubtractFamiliesMatchWideDifferences) {
    struct Op {
        uint8_t opcode;
        bool onB;
        bool useBorrow;
        bool stores;
    };
    for (Op op : {Op{0x80, false, false, true}, Op{0x82, false, true, true}, Op{0x81, false, false, false},
                  Op{0xC0, true, false, true}, Op{0xC2, true, true, true}, Op{0xC1, true, false, false}}) {
        int failures = 0;
        for (int cin = 0; cin <= 1; ++cin)
            for (int p = 0; p < 256; ++p)
                for (int m = 0; m < 256; ++m) {
                    // H is left alone by subtraction: start it at the opposite of cin to see it kept.
                    RunImmediate(op.opcode, op.onB, static_cast<uint8_t>(p), static_cast<uint8_t>(m), cin,
                                 !cin);
                    const Expect8 e = WideSub(p, m, op.useBorrow ? cin : 0);
                    const uint8_t acc = op.onB ? cpu.B : cpu.A;
                    const uint8_t expectedAcc = op.stores ? e.r : static_cast<uint8_t>(p);
                    const bool ok = acc == expectedAcc && cpu.C == e.c && cpu.V == e.v && cpu.H == !cin &&
                                    cpu.N == e.n && cpu.Z == e.z && cpu.PC == 0x2002 &&
                                    cpu.D == (cpu.A << 8 | cpu.B);
                    if (!ok && ++failures <= 5)
                        ADD_FAILURE() << "opcode " << std::hex << int(op.opcode) << " p=" << p << " m=" << m
                                      << " cin=" << cin << " got " << int(acc) << " C" << cpu.C << " V"
                                      << cpu.V << " N" << cpu.N << " Z" << cpu.Z;
                }
        EXPECT_EQ(failures, 0) << "opcode " << std::hex << int(op.opcode);
    }
}

TEST_F(FlagTest, AbaAndSbaMatchTheImmediateForms) {
    int failures = 0;
    for (int p = 0; p < 256; ++p)
        for (int m = 0; m < 256; ++m) {
            for (uint8_t opcode : {uint8_t{0x1B}, uint8_t{0x10}, uint8_t{0x11}}) {
                memory->Cells[0x2000].Value = opcode;
                cpu.PC = 0x2000;
                cpu.A = static_cast<uint8_t>(p);
                cpu.B = static_cast<uint8_t>(m);
                cpu.JoinD();
                cpu.C = true;
                cpu.H = false;
                cpu.Step(status);
                const Expect8 e = opcode == 0x1B ? WideAdd(p, m, 0) : WideSub(p, m, 0);
                const uint8_t expectedA = opcode == 0x11 ? static_cast<uint8_t>(p) : e.r;
                const bool h = opcode == 0x1B ? e.h : false;
                if (!(cpu.A == expectedA && cpu.B == m && cpu.C == e.c && cpu.V == e.v && cpu.H == h &&
                      cpu.N == e.n && cpu.Z == e.z && cpu.PC == 0x2001 && cpu.D == (cpu.A << 8 | cpu.B)))
                    ++failures;
            }
        }
    EXPECT_EQ(failures, 0);
}

// 16-bit operands: every value whose bytes come from a set of edge bytes, plus a stride
// through the whole range.
std::vector<uint16_t> SampleWords() {
    std::vector<uint16_t> out;
    const uint8_t edges[] = {0x00, 0x01, 0x0F, 0x10, 0x7E, 0x7F, 0x80, 0x81, 0xF0, 0xFE, 0xFF};
    for (uint8_t hi : edges)
        for (uint8_t lo : edges)
            out.push_back(static_cast<uint16_t>(hi << 8 | lo));
    for (unsigned v = 3; v < 0x10000; v += 251)
        out.push_back(static_cast<uint16_t>(v));
    return out;
}

TEST_F(FlagTest, SixteenBitAddSubtractAndCompareMatchWideArithmetic) {
    const std::vector<uint16_t> words = SampleWords();
    int failures = 0;
    for (uint16_t p : words)
        for (uint16_t m : words) {
            for (uint8_t opcode : {uint8_t{0xC3}, uint8_t{0x83}, uint8_t{0x8C}}) {
                memory->Cells[0x2000].Value = opcode;
                memory->Cells[0x2001].Value = static_cast<uint8_t>(m >> 8);
                memory->Cells[0x2002].Value = static_cast<uint8_t>(m);
                cpu.PC = 0x2000;
                cpu.H = true;
                const bool onX = opcode == 0x8C;
                if (onX) {
                    cpu.X = p;
                    cpu.D = 0x1234;
                } else {
                    cpu.D = p;
                    cpu.X = 0x4321;
                }
                cpu.SplitD();
                cpu.Step(status);

                const bool add = opcode == 0xC3;
                const int wide = add ? p + m : p - m;
                const int swide = add ? int16_t(p) + int16_t(m) : int16_t(p) - int16_t(m);
                const uint16_t r = static_cast<uint16_t>(wide);
                const bool c = add ? wide > 0xFFFF : wide < 0;
                const bool v = swide < -32768 || swide > 32767;
                const bool regsOk = onX ? (cpu.X == p && cpu.D == 0x1234) : (cpu.D == r && cpu.X == 0x4321);
                if (!(regsOk && cpu.C == c && cpu.V == v && cpu.N == (r >= 0x8000) && cpu.Z == (r == 0) &&
                      cpu.H && cpu.PC == 0x2003 && cpu.D == (cpu.A << 8 | cpu.B))) {
                    if (++failures <= 5)
                        ADD_FAILURE() << std::hex << "opcode " << int(opcode) << " p=" << p << " m=" << m;
                }
            }
        }
    EXPECT_EQ(failures, 0);
}

} // namespace
