#pragma once
// How alike two programs are, for a teacher who looks for copied work: each program becomes the
// sequence of its instructions, each instruction only its mnemonic and its kind of addressing
// (inherent, immediate, memory, indexed, relative), read as the assembler reads a line. Labels,
// comments, spacing, names and numbers are thereby set aside: renaming a label or a variable,
// moving the program or its data, or rewording the comments changes nothing. A program may also
// be compared with A and B exchanged throughout (LDAA for LDAB, TAB for TBA, ...).
//
// The score of a pair is 2 * LCS / (n + m), the share of instructions the longest common
// subsequence of the two sequences covers: 1 for copies, near 0 for unrelated programs. It is a
// hint for a person's judgement, never a grade.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TProgramShape {
    std::vector<uint16_t> Tokens;  // one per instruction, in source order
    std::vector<uint16_t> Swapped; // the same with A and B exchanged
    std::vector<int> Lines;        // the 1-based source line of each instruction
};

// The shape of a source (8-bit Windows-1250 lines). Lines the assembler would not read as an
// instruction (directives, comments, unknown mnemonics) add nothing; reading stops at END.
TProgramShape ReadProgramShape(const std::vector<std::string>& lines);

// What an instruction token stands for: "LDAA #", "STAA adr", "BNE rel", "LDAA ,X", "CLRA".
std::string TokenText(uint16_t token);

struct TSimilarity {
    double Score = 0;
    size_t Common = 0;    // instructions of the longest common subsequence
    bool Swapped = false; // the better match has A and B exchanged in the second program
};

// The similarity of two shapes (the better of the plain and the A/B-exchanged comparison).
// Quick: the length of the common subsequence is found 64 instructions at a time.
TSimilarity CompareShapes(const TProgramShape& a, const TProgramShape& b);

// The instructions the common subsequence pairs up, as indices into a's and b's tokens, in
// order; empty when the two are too long to align (more than kMaxAlignCells token pairs).
inline constexpr size_t kMaxAlignCells = size_t{24} << 20;
std::vector<std::pair<size_t, size_t>> AlignShapes(const TProgramShape& a, const TProgramShape& b,
                                                   bool swapped);
