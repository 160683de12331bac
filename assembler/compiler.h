#pragma once
// The two-pass MC6803 assembler. Source lines (8-bit Windows-1250 text, one string per editor
// line) are assembled straight into the shared address space; every byte carries the 1-based
// number of the source line that produced it.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/labels.h"
#include "assembler/listing.h"
#include "assembler/syntax.h"
#include "assembler/ukazi.h"
#include "engine/memory.h"

// Status part of a CompileResult.
enum class CompileStatus : uint8_t {
    Ok = 1,                  // both passes succeeded and the reset vector was written
    NoResetVector = 2,       // the cell at $FFFE was not written by a source line
    UnknownInstruction = 3,  // unknown mnemonic, or a mode the instruction lacks
    OperandError = 4,        // malformed number, character constant, offset or string
    UndefinedLabel = 5,      // unknown label, or a label definition starting with a digit
    MisplacedBreakpoint = 6, // breakpoint flag on a line without an instruction
    BranchTooFar = 7,        // relative displacement outside -127..+127
    ProgramTooLong = 8,      // more source lines than line numbers can tag bytes with
    UnknownError = 255,      // never produced by Compile; the messages have a text for it
};

// How an assembly (or one line of it) turned out: the status and the 1-based source line it
// belongs to, 0 when it belongs to none (success, a missing reset vector, an oversized source).
struct TAsmResult {
    CompileStatus Status = CompileStatus::Ok;
    int32_t Line = 0;
    bool Ok() const { return Status == CompileStatus::Ok; }
};

// Something about an assembly that does not change its result but that the student should
// know (a label offset that wraps, code written over an earlier block).
struct TAsmWarning {
    int32_t Line = 0;
    std::string Text; // Slovenian (UTF-8), "Opozorilo: ..."
};

// A byte the program places at an on-chip register address: it goes to the register, not to
// memory, so it is in no memory image (S-records).
struct TRegisterByte {
    uint16_t Address = 0;
    int32_t Line = 0; // the first line that placed a byte there
};

// The packed form Compile hands out: errorLine * 256 + status, where errorLine is 0 when the
// result belongs to no line and otherwise the failing line's 1-based number plus one.
using CompileResult = int;
CompileResult PackCompileResult(const TAsmResult& result);
inline CompileStatus ResultStatus(CompileResult r) { return static_cast<CompileStatus>(r % 256); }
inline int ResultLine(CompileResult r) { return r / 256; }

class TListing;

class TCompiler {
public:
    // The highest line number that can tag an emitted byte (MemoryCell::Line is 16-bit signed).
    static constexpr int32_t MaxCodeLine = 32767;
    // Longer sources are refused at once (ProgramTooLong on the first line past the limit).
    static constexpr size_t MaxSourceLines = MaxCodeLine;

    // Reads <programDir>/bin/ukazi.red; throws TableError when it is missing or malformed.
    TCompiler(TMemory& memory, const std::string& programDir);
    ~TCompiler();
    TCompiler(const TCompiler&) = delete;
    TCompiler& operator=(const TCompiler&) = delete;

    // Assembles the lines (Windows-1250 bytes; a leading "!" marks a breakpoint line) into the
    // address space: clears it, clears the label table, runs pass 1 (addresses, labels) and,
    // if that succeeded, pass 2 (bytes, listing). Returns errorLine * 256 + status.
    CompileResult Compile(const TSourceLines& lines);
    CompileResult Compile(const std::vector<std::string>& lines) { return Compile(TSourceLines(lines)); }

    // Called once per line handled in each pass (progress display). May be empty.
    std::function<void()> onProgressStep;

    // Where pass 2 writes the listing; empty = no listing. The file is written to a temporary
    // file beside it and renamed into place at the end of the pass.
    std::string ListingPath;
    // Listing errors of the last Compile, each kind at most once, in the order they occurred.
    const std::vector<int>& ListingErrors() const { return listingErrors_; }
    // Where the listing could not be written and why (Slovenian, UTF-8); empty when it was.
    const std::string& ListingProblem() const { return listingProblem_; }

    // After a failed Compile: lines that explain the failure beyond its status ("Namig: ...",
    // Slovenian, UTF-8), e.g. a length limit, a TAB between the fields or the reset vector.
    const std::vector<std::string>& ErrorHints() const { return hints_; }
    // What the student should know about the last Compile (pass 2, up to its end or failure).
    const std::vector<TAsmWarning>& Warnings() const { return warnings_; }
    // Bytes placed at on-chip register addresses by the last Compile, by address.
    std::vector<TRegisterByte> RegisterBytes() const;

    // The label table of the last Compile (filled up to the failing line after a failure).
    const TOznake& Labels() const { return labels_; }
    bool FindLabel(std::string_view reference, uint16_t& value) const {
        return labels_.FindLabel(reference, value);
    }

    const TUkaziFast& Instructions() const { return ukazi_; }
    TMemory& Memory() { return memory_; }

private:
    // The passes stop at the first failing line and return its result.
    TAsmResult Pass1(TCode& code);
    TAsmResult Pass2(TCode& code);
    CompileStatus DefineLabel(std::string_view label, LineKind kind, std::string_view operand, uint16_t lc,
                              int32_t line);
    // An instruction line's table record, addressing mode and the mode's entry (null when none).
    struct TChoice {
        const InstructionEntry* Record = nullptr;
        const ModeEntry* Entry = nullptr;
        AddressingMode Mode = AddressingMode::None;
    };
    CompileStatus Advance(LineKind kind, std::string_view mnemonic, std::string_view operand, uint16_t& lc,
                          TChoice& choice);
    void AddLengthHints(const TLineFields& f, LineKind kind);
    void AddHints(const TSourceLines& lines, const TAsmResult& result);
    void Step() {
        if (onProgressStep) onProgressStep();
    }

    TMemory& memory_;
    TUkaziFast ukazi_;
    TOznake labels_;
    std::vector<int> listingErrors_;
    std::string listingProblem_;
    std::vector<std::string> hints_;
    std::vector<TAsmWarning> warnings_;
    std::array<int32_t, 0x20> registerLine_{}; // per on-chip address: the first line, 0 = none
    std::string scratch_;                      // field-scanner buffer, reused across lines

    // Where the fields of each line lie, as the first pass measured them, so that the second
    // pass does not measure the lines again. Offsets that do not fit are not kept: a line
    // longer than Limit (a long remark or comment; fields that long are refused) is measured
    // again. Twelve bytes a line.
    struct TKeptLayout {
        static constexpr size_t Limit = 0xFF;
        uint8_t CommentStart, LabelEnd, MnemonicBegin, MnemonicEnd, OperandBegin, OperandEnd, ReadEnd;
        bool Kept;      // false: the line is longer than Limit, measure it again
        bool AsWritten; // upper-casing left the fields as they are (they can be read in place)
        // An instruction line whose operand both passes read alike: the table record (its index
        // + 1; 0 = none kept), the mode's slot in it and the mode the first pass chose.
        uint8_t Record, Slot;
        AddressingMode Mode;
    };
    static TKeptLayout Keep(std::string_view text, const TLineLayout& layout);
    void KeepChoice(TKeptLayout& kept, const TChoice& choice) const;
    TChoice KeptChoice(const TKeptLayout& kept) const;
    static TLineLayout Restore(const TKeptLayout& kept);
    std::vector<TKeptLayout> layouts_; // by position in the pass, reused across assemblies
};

// The sample program of the code window (UTF-8; lines end with LF, the last line is empty).
std::string SampleProgram();
