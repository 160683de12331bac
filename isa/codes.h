#pragma once
// Numeric codes of the MC6803 shared by the instruction table, the generated table files, the
// processor model and the assembler. Each is defined here once.
#include <cstdint>

// How an instruction finds its operand. The numbers are the Mode byte of bin/ukazi.red.
enum class AddressingMode : uint8_t {
    Inherent = 0,
    Immediate = 1,
    Direct = 2,
    Extended = 3,
    Indexed = 4,
    Relative = 5,
    None = 255, // no addressing mode fits (the assembler's "cannot tell")
};

// The interrupt request sources: member numbers of the processor's Pending set and the values
// a step reports as its status when a source's vector was zero.
enum class InterruptSource : uint8_t {
    NMI = 2,
    IRQ = 3,
    SCI = 4,
    TOF = 5,
    OCF = 6,
    ICF = 7,
};

// The number of a source as the Pending set, the step status and the log write it.
constexpr uint8_t SourceNumber(InterruptSource source) { return static_cast<uint8_t>(source); }

// The addresses of the interrupt vectors, each the high byte of a word.
inline constexpr uint16_t kVectorSci = 0xFFF0;
inline constexpr uint16_t kVectorTof = 0xFFF2;
inline constexpr uint16_t kVectorOcf = 0xFFF4;
inline constexpr uint16_t kVectorIcf = 0xFFF6;
inline constexpr uint16_t kVectorIrq = 0xFFF8;
inline constexpr uint16_t kVectorSwi = 0xFFFA;
inline constexpr uint16_t kVectorNmi = 0xFFFC;
inline constexpr uint16_t kVectorReset = 0xFFFE;
