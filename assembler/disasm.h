#pragma once
// The disassembler: machine code back to lines this assembler reads. Decoding takes its opcodes,
// modes and lengths from the instruction table of isa/, so there is no second opcode list.
//
// Written back as source, a line gives the same bytes again when the assembler's rules are
// minded: immediate data, direct addresses and index offsets are numbers; a branch target is a
// label (a branch takes no number); an extended address of $FF or less whose mnemonic also has
// a direct form is a label too (a small number would select direct addressing, a label never
// does). The vectors from $FFF0 on are FDB words.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/srecord.h"
#include "isa/isa.h"

// The interrupt and reset vectors: the words from here to $FFFF.
inline constexpr uint16_t kVectorTable = 0xFFF0;

// One line of disassembly: an instruction, a byte that is no instruction (FCB) or a vector
// word (FDB).
enum class DisKind : uint8_t { Instruction, Byte, Word };
struct TDisLine {
    DisKind Kind = DisKind::Byte;
    uint16_t Address = 0;
    uint8_t Length = 1;
    std::array<uint8_t, 3> Bytes{};
    const IsaEntry* Entry = nullptr; // the instruction, for Kind::Instruction
    // Immediate data, direct or extended address, index offset or branch target; the byte of
    // an FCB line, the word of an FDB line.
    uint16_t Value = 0;
};

// Decodes the line at `address` from the bytes found there (one to three; fewer where the code
// ends). A byte that is no opcode, or an opcode whose operand bytes are not all given, is one
// FCB byte. From kVectorTable on, an even address with two bytes is an FDB word.
TDisLine DecodeLine(uint16_t address, std::span<const uint8_t> bytes);

// How many bytes DecodeLine may look at from `address`: at most three, never past $FFFF and,
// below the vectors, never into them.
size_t DecodeWindow(uint16_t address);

// The label standing for a value (a branch target, an address); empty when there is none.
using TLabelOf = std::function<std::string(uint16_t value)>;

// "LDAA", "FCB", "FDB".
std::string MnemonicText(const TDisLine& line);
// The operand as the assembler reads it: "#$12", "#$1234", "$12", "$12,X", a label or "$1234"
// for extended addresses and FDB words, a label or "$1234" for branch targets, "$12" for FCB.
// `labelOf` may be empty.
std::string OperandText(const TDisLine& line, const TLabelOf& labelOf);
// The line's bytes in hexadecimal, separated by blanks ("B6 10 01").
std::string BytesText(const TDisLine& line);
// A row of a listing: address, bytes, label, mnemonic and operand in columns,
// "2006  B6 10 01  ZANKA   LDAA STEVEC+1".
std::string DisRowText(const TDisLine& line, std::string_view label, std::string_view operand);

// Whether an extended operand must be written as a label to stay extended: its value is $FF or
// less and the mnemonic has a direct form.
bool ExtendedNeedsLabel(const TDisLine& line);
// Whether the assembler can write the instruction back at all: a branch back by 128 bytes
// cannot be (the assembler accepts displacements of -127..+127), so it is written as bytes.
bool Reassemblable(const TDisLine& line);

// The disassembly of a code image: its lines in address order and the labels made up for the
// values its lines refer to ("L" and the value in four hexadecimal digits).
struct TDisassembly {
    std::vector<TDisLine> Lines;
    std::map<uint16_t, std::string> Labels;
    // Label values that are no line start of the disassembly (written as EQU in source text).
    std::vector<uint16_t> Equates;
};

// Disassembles the present bytes of `image` from `from` on, at most `count` lines. Every run
// of consecutive bytes is decoded from its first byte. Branch targets, extended addresses and
// vector words that are line starts get labels; with `forSource` so do branch targets and small
// extended addresses anywhere else (as equates), so that the source assembles to these bytes.
TDisassembly DisassembleImage(const TCodeImage& image, uint16_t from = 0, size_t count = SIZE_MAX,
                              bool forSource = false);

// Source text the assembler accepts, giving the same bytes at the same addresses: a comment
// with `title`, the equates, ORG for every run, the lines, END. Lines end with LF. An image
// too large for one source line per instruction (the assembler tags bytes only up to line
// 32767) is written with SM lines and its vectors as FDB.
std::string DisassemblySource(const TDisassembly& dis, std::string_view title);
// One DisRowText row per line, with the labels of `dis`.
std::string DisassemblyListing(const TDisassembly& dis);
