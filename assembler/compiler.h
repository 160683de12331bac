#pragma once
// The two-pass MC6803 assembler. Source lines (8-bit Windows-1250 text, one string per editor
// line) are assembled straight into the shared address space; every byte carries the 1-based
// number of the source line that produced it.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/labels.h"
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
    UnknownError = 255,      // a line past 32767 emits bytes (its number cannot tag a cell),
                             // or a source of more than MaxSourceLines lines
};

// How an assembly (or one line of it) turned out: the status and the 1-based source line it
// belongs to, 0 when it belongs to none (success, a missing reset vector, an oversized source).
struct TAsmResult {
    CompileStatus Status = CompileStatus::Ok;
    int32_t Line = 0;
    bool Ok() const { return Status == CompileStatus::Ok; }
};

// The packed form Compile hands out: errorLine * 256 + status, where errorLine is 0 when the
// result belongs to no line and otherwise the failing line's 1-based number plus one.
using CompileResult = int;
CompileResult PackCompileResult(const TAsmResult& result);
inline CompileStatus ResultStatus(CompileResult r) { return static_cast<CompileStatus>(r % 256); }
inline int ResultLine(CompileResult r) { return r / 256; }

// Listing write errors, reported once per kind after Compile; they never change the result.
// The numbers are shown to the user.
enum class ListingError : uint8_t {
    Create = 1, // the file could not be created
    Write = 2,  // a line could not be written
    Close = 3,  // the file could not be completed (flush, close or rename)
};
constexpr int ListingErrorCode(ListingError error) { return static_cast<int>(error); }
// "Integrna napaka pri pisanju listinga: N (zapomni si stevilko" (UTF-8).
std::string ListingErrorMessage(int code);

class TListing;

class TCompiler {
public:
    // Sources longer than this are refused (UnknownError, no line): the result encoding
    // (line * 256) must fit an int.
    static constexpr size_t MaxSourceLines = 8'000'000;
    // The highest line number that can tag an emitted byte (MemoryCell::Line is 16-bit signed).
    static constexpr int32_t MaxCodeLine = 32767;

    // Reads <programDir>/bin/ukazi.red; throws TableError when it is missing or malformed.
    TCompiler(TMemory& memory, std::string programDir);
    ~TCompiler();
    TCompiler(const TCompiler&) = delete;
    TCompiler& operator=(const TCompiler&) = delete;

    // Assembles the lines (Windows-1250 bytes; a leading "!" marks a breakpoint line) into the
    // address space: clears it, clears the label table, runs pass 1 (addresses, labels) and,
    // if that succeeded, pass 2 (bytes, listing). Returns errorLine * 256 + status.
    CompileResult Compile(const std::vector<std::string>& lines);

    // Called once per line handled in each pass (progress display). May be empty.
    std::function<void()> ProgressStep;

    // Where pass 2 writes the listing; empty = no listing. The file is written to a temporary
    // file beside it and renamed into place at the end of the pass.
    std::string ListingPath;
    // Listing errors of the last Compile, each kind at most once, in the order they occurred.
    const std::vector<int>& ListingErrors() const { return listingErrors_; }

    // The label table of the last Compile (filled up to the failing line after a failure).
    const TOznake& Labels() const { return labels_; }
    bool FindLabel(std::string_view reference, uint16_t& value) const {
        return labels_.FindLabel(reference, value);
    }

    const TUkaziFast& Instructions() const { return ukazi_; }
    const std::string& ProgramDir() const { return programDir_; }
    TMemory& Memory() { return memory_; }

private:
    // The passes stop at the first failing line and return its result.
    TAsmResult Pass1(TCode& code);
    TAsmResult Pass2(TCode& code);
    CompileStatus DefineLabel(std::string_view label, LineKind kind, std::string_view operand, uint16_t lc,
                              int32_t line);
    CompileStatus Advance(LineKind kind, std::string_view mnemonic, std::string_view operand, uint16_t& lc);
    void Step() {
        if (ProgressStep) ProgressStep();
    }

    TMemory& memory_;
    TUkaziFast ukazi_;
    std::string programDir_;
    TOznake labels_;
    std::vector<int> listingErrors_;
    std::string scratch_; // field-scanner buffer, reused across lines
};

// The sample program of the code window (UTF-8; lines end with LF, the last line is empty).
std::string SampleProgram();
