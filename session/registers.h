#pragma once
// The processor's registers as the user sees them: by name, with their widths, edited by hand
// and written on one line (the log records, the command line's report, the register panels).
#include <cstdint>
#include <span>
#include <string>

#include "engine/simulator.h"

enum class CpuRegister : uint8_t { A, B, D, X, PC, SP, CCR };
enum class CpuFlag : uint8_t { H, I, N, Z, V, C };

// "A", "B", "D", "X", "PC", "SP", "CCR".
const char* RegisterLabel(CpuRegister reg);
// "H", "I", "N", "Z", "V", "C".
const char* FlagLabel(CpuFlag flag);

// A copy of the registers. CCR is the condition-code byte 11HINZVC (bits 7 and 6 set).
struct TRegisterValues {
    uint16_t D = 0, X = 0, PC = 0, SP = 0;
    uint8_t A = 0, B = 0, CCR = 0xC0;

    uint16_t Value(CpuRegister reg) const;
};

inline TRegisterValues CaptureRegisters(const Tsimulator& cpu) {
    TRegisterValues r;
    r.A = cpu.A;
    r.B = cpu.B;
    r.D = cpu.D;
    r.X = cpu.X;
    r.PC = cpu.PC;
    r.SP = cpu.SP;
    r.CCR = static_cast<uint8_t>(cpu.PackCCR() | 0xC0);
    return r;
}

// A register edit: the value truncated to the register's width (8 bits for A, B and CCR, 16
// otherwise); after A or B, D = A:B; after D, A and B follow D.
void StoreRegister(Tsimulator& cpu, CpuRegister reg, int32_t value);
bool FlagValue(const Tsimulator& cpu, CpuFlag flag);
void SetFlag(Tsimulator& cpu, CpuFlag flag, bool value);

// The registers of a log record, tab-separated without names, and of the command line's report,
// "NAME=value" separated by blanks.
inline constexpr CpuRegister kLogRegisters[] = {CpuRegister::A, CpuRegister::B,  CpuRegister::D,
                                                CpuRegister::X, CpuRegister::SP, CpuRegister::CCR};
inline constexpr CpuRegister kReportRegisters[] = {CpuRegister::A,  CpuRegister::B,  CpuRegister::D,
                                                   CpuRegister::X,  CpuRegister::PC, CpuRegister::SP,
                                                   CpuRegister::CCR};

// Appends the value of one register as the displays write it: two hexadecimal digits for A and
// B, four for the 16-bit registers, eight binary digits for CCR.
void AppendRegisterText(std::string& out, const TRegisterValues& values, CpuRegister reg);
// Appends the registers in order, `separator` between them; with `names` each is "NAME=value".
void AppendRegisterLine(std::string& out, const TRegisterValues& values,
                        std::span<const CpuRegister> registers, char separator, bool names);
