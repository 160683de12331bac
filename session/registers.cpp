#include "session/registers.h"

#include "engine/hex.h"

const char* RegisterLabel(CpuRegister reg) {
    switch (reg) {
    case CpuRegister::A:
        return "A";
    case CpuRegister::B:
        return "B";
    case CpuRegister::D:
        return "D";
    case CpuRegister::X:
        return "X";
    case CpuRegister::PC:
        return "PC";
    case CpuRegister::SP:
        return "SP";
    case CpuRegister::CCR:
        return "CCR";
    }
    return "";
}

const char* FlagLabel(CpuFlag flag) {
    static const char* const kLabels[] = {"H", "I", "N", "Z", "V", "C"};
    return kLabels[static_cast<int>(flag)];
}

uint16_t TRegisterValues::Value(CpuRegister reg) const {
    switch (reg) {
    case CpuRegister::A:
        return A;
    case CpuRegister::B:
        return B;
    case CpuRegister::D:
        return D;
    case CpuRegister::X:
        return X;
    case CpuRegister::PC:
        return PC;
    case CpuRegister::SP:
        return SP;
    case CpuRegister::CCR:
        return CCR;
    }
    return 0;
}

void StoreRegister(Tsimulator& cpu, CpuRegister reg, int32_t value) {
    const auto byte = static_cast<uint8_t>(static_cast<uint32_t>(value));
    const auto word = static_cast<uint16_t>(static_cast<uint32_t>(value));
    switch (reg) {
    case CpuRegister::A:
        cpu.A = byte;
        cpu.JoinD();
        break;
    case CpuRegister::B:
        cpu.B = byte;
        cpu.JoinD();
        break;
    case CpuRegister::D:
        cpu.D = word;
        cpu.SplitD();
        break;
    case CpuRegister::X:
        cpu.X = word;
        break;
    case CpuRegister::PC:
        cpu.PC = word;
        break;
    case CpuRegister::SP:
        cpu.SP = word;
        break;
    case CpuRegister::CCR:
        cpu.UnpackCCR(byte);
        break;
    }
}

bool FlagValue(const Tsimulator& cpu, CpuFlag flag) {
    const bool flags[] = {cpu.H, cpu.I, cpu.N, cpu.Z, cpu.V, cpu.C};
    return flags[static_cast<int>(flag)];
}

void SetFlag(Tsimulator& cpu, CpuFlag flag, bool value) {
    bool* const flags[] = {&cpu.H, &cpu.I, &cpu.N, &cpu.Z, &cpu.V, &cpu.C};
    *flags[static_cast<int>(flag)] = value;
}

void AppendRegisterText(std::string& out, const TRegisterValues& values, CpuRegister reg) {
    switch (reg) {
    case CpuRegister::A:
    case CpuRegister::B:
        AppendHex(out, values.Value(reg), 2);
        break;
    case CpuRegister::CCR:
        AppendBits8(out, values.CCR);
        break;
    default:
        AppendHex(out, values.Value(reg), 4);
        break;
    }
}

void AppendRegisterLine(std::string& out, const TRegisterValues& values,
                        std::span<const CpuRegister> registers, char separator, bool names) {
    bool first = true;
    for (CpuRegister reg : registers) {
        if (!first) out += separator;
        first = false;
        if (names) {
            out += RegisterLabel(reg);
            out += '=';
        }
        AppendRegisterText(out, values, reg);
    }
}
