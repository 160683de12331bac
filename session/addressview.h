#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/memory.h"

class TSession;
class TSymbolTable;

// A row of the instruction list: the address of its first byte and its text.
struct TDisRow {
    uint16_t Address = 0;
    std::string Text; // UTF-8
    bool Pc = false;  // the processor's PC points at this row
    bool operator==(const TDisRow&) const = default;
};

// What the address-space window shows and does, without any drawing: where the list starts
// (memoryTop), whether it follows the program counter, how a row reads, and what the window's
// buttons and its byte edit do to the view and to the memory.
//
// memoryTop is a signed 32-bit number: a jump takes any entered value unchecked, and the list
// starts at its low 16 bits (a jump to 70000 lists from $1170). The list never wraps past $FFFF.
//
// The list and the edit read cells as the displays do (TSession::PeekValue/PeekLine): past the
// trace and without the read side effects of the on-chip registers, so listing the timer status
// at $08 leaves TOF set and listing $12 leaves the received byte waiting.
class TAddressView {
public:
    explicit TAddressView(TSession& session);
    TAddressView(const TAddressView&) = delete;
    TAddressView& operator=(const TAddressView&) = delete;

    int32_t MemoryTop() const { return memoryTop_; }
    // The first listed address: the low 16 bits of memoryTop.
    uint16_t Top() const { return static_cast<uint16_t>(static_cast<uint32_t>(memoryTop_)); }
    // A jump (entered value, or the editor's jump to a label): taken as it is.
    void SetMemoryTop(int32_t top);
    // The jump dialog's initial text: "$" and memoryTop in at least four hexadecimal digits
    // ("$1170", "$11170"); a negative memoryTop is written with its sign ("-$0005"), so the text
    // confirmed unchanged always gives memoryTop back.
    std::string JumpText() const;
    // One address back; never below 0.
    void Back();
    // One address forward while memoryTop is below $FFFF; otherwise it stays put.
    void Forward();

    // While following, memoryTop becomes PC after every executed instruction and after a load.
    bool FollowPc() const { return followPc_; }
    void ToggleFollow();
    // The freeze button's caption: "X" while following, "O" while frozen.
    const char* FreezeCaption() const { return followPc_ ? "X" : "O"; }
    // Run control reports PC before each refresh that follows a load or a step.
    void ProgramCounterMoved(uint16_t pc);

    // How many of `fitting` rows are listed: those that would pass $FFFF are not.
    int RowCount(int fitting) const;
    // Address of a row: (memoryTop + row) modulo $10000.
    uint16_t RowAddress(int row) const;
    // A cell as the list shows it (no trace, no device side effects).
    MemoryCell Cell(uint16_t address) const;
    // The row text in UTF-8: "AAAA : <DD>" for an on-chip register, "AAAA :  DD " for a cell
    // without code, "AAAA : (DD)" for assembled code, "AAAA : [DD]" for anything else (written
    // by the program or by hand, preset); a value of $20 or more is followed by two blanks and
    // the byte as a Windows-1250 character, DEL ($7F) by two blanks and ".".
    static std::string RowText(uint16_t address, MemoryCell cell);

    // The list shows bytes, or instructions decoded from memoryTop on.
    bool Disassembly() const { return disassembly_; }
    void ToggleDisassembly();
    // The labels the instruction list names addresses with (the last successful assembly's);
    // without them it names none. Not owned.
    void SetSymbols(const TSymbolTable* symbols) { symbols_ = symbols; }
    // Up to `fitting` rows of instructions from memoryTop on, read as the list reads bytes;
    // the list stops at $FFFF. A row reads ">" for PC's row and a blank for the others, then
    // address, bytes, label, mnemonic and operand ("FCB $xx" for a byte that is no
    // instruction, "FDB" for the vectors from $FFF0 on): ">2006  B6 10 01  ZANKA   LDAA STEVEC+1".
    std::vector<TDisRow> DisassemblyRows(int fitting) const;

    // The byte edit is offered only while a program is loaded.
    bool Editable() const;
    // Stores the low 8 bits of `value` at `address`; a cell without code becomes a cell written
    // by hand (line 0), any other line stays. An on-chip register address goes to its device.
    void EditByte(uint16_t address, int32_t value);
    // Clears the whole address space (ports and the serial interface are reset with it).
    void ClearMemory();

private:
    TSession& session_;
    int32_t memoryTop_ = 0;
    bool followPc_ = true;
    bool disassembly_ = false;
    const TSymbolTable* symbols_ = nullptr;
};
