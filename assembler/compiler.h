#pragma once
// The two-pass MC6803 assembler. Source lines (8-bit Windows-1250 text, one string per editor
// line) are assembled straight into the shared address space; every byte carries the 1-based
// number of the source line that produced it.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "assembler/ukazi.h"
#include "engine/memory.h"

// Status part of a CompileResult.
enum CompileStatus : uint8_t {
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

// errorLine * 256 + status, where errorLine is 0 on success (and for NoResetVector) and
// otherwise the failing line's 1-based number plus one.
using CompileResult = int;
inline int ResultStatus(CompileResult r) { return r % 256; }
inline int ResultLine(CompileResult r) { return r / 256; }

// Listing write errors, reported once per kind after Compile; they never change the result.
enum ListingError : uint8_t {
    ListingCreateError = 1, // the file could not be created
    ListingWriteError = 2,  // a line could not be written
    ListingCloseError = 3,  // the file could not be completed (flush, close or rename)
};
// "Integrna napaka pri pisanju listinga: N (zapomni si stevilko" (UTF-8).
std::string ListingErrorMessage(int code);

// ParseNumber: "%" binary, decimal with optional sign, or hex after "$", "X", "x", "0x", "0X".
// The result is the low 16 bits; an empty text, stray characters or a magnitude beyond 31 bits
// give std::nullopt.
std::optional<uint16_t> ParseNumber(std::string_view text);

// One source line handed out by TCode.
struct SourceLine {
    std::string_view Text; // the line as stored in the editor (with "!" on breakpoint lines)
    int32_t Number = 0;    // 1-based line number
};

// Walks the source lines of one assembly. After the last line it hands out an "END" marker so
// a source without an END line ends as if one followed it. The lines are referenced, not
// copied: they must outlive the TCode (Compile keeps them for the duration of the call).
class TCode {
public:
    static constexpr std::string_view EmptyEndMarker = "  END "; // FirstLine of an empty source
    static constexpr std::string_view EndMarker = " END";        // after the last line

    explicit TCode(const std::vector<std::string>& lines) : lines_(lines) {}

    // Line 1, or for an empty source the marker with Number unchanged (0 at the start).
    SourceLine FirstLine();
    // The following line; after the last one the end marker numbered one past it.
    SourceLine NextLine();

private:
    const std::vector<std::string>& lines_;
    size_t next_ = 0;
    bool ended_ = false; // the end marker has been handed out
    SourceLine current_;
};

struct LabelEntry {
    uint16_t Value = 0;
    std::string Name; // upper case, at most 15 characters
};

// How a label reference turned out.
enum class LabelLookup : uint8_t {
    Found,
    Undefined, // no label of that name, or "+" and "-" both in the reference
    BadOffset, // the text after the "+" or "-" is not a decimal number
};

// The label table: entries in definition order plus a name index, so lookups cost the same
// however many labels there are. Duplicates are kept; the first definition wins.
class TOznake {
public:
    static constexpr size_t SignificantLength = 15;

    // Appends a label; the name is cut to 15 characters.
    void AddLabel(std::string_view name, uint16_t value);
    // Exact lookup of a (cut) name, no offset handling; nullptr when absent.
    const LabelEntry* Find(std::string_view name) const;
    // A label reference as written in an operand: cut to 15 characters, then an optional
    // "+n" or "-n" offset read as an 8-bit signed number (a zero offset keeps the whole text
    // as the name). The value wraps modulo 65536.
    LabelLookup Resolve(std::string_view reference, uint16_t& value) const;
    // Resolve reduced to found / not found (for the editor's hints and jumps).
    bool FindLabel(std::string_view reference, uint16_t& value) const {
        return Resolve(reference, value) == LabelLookup::Found;
    }
    void ClearLabels();

    const std::vector<LabelEntry>& Entries() const { return entries_; }
    size_t Count() const { return entries_.size(); }

private:
    std::vector<LabelEntry> entries_;
    std::unordered_map<std::string, uint32_t> index_;
};

class TListing;

class TCompiler {
public:
    // Sources longer than this are refused (UnknownError, line 0): the result encoding
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
    struct Line;
    bool Pass1(TCode& code, int32_t& errorLine, CompileStatus& status);
    bool Pass2(TCode& code, int32_t& errorLine, CompileStatus& status);
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
