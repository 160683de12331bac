#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "session/registers.h"

// One line of the run log: either the column header (written at each program load and after
// the log is emptied) or the state before one executed instruction. Kept small because a long
// fast run appends millions of them; the text is produced only when a line is shown or saved.
struct TLogRecord {
    uint32_t Elapsed = 0; // ms since the previous step started
    uint16_t PC = 0;
    int16_t Line = 0; // Line of the cell at PC
    uint16_t D = 0, X = 0, SP = 0;
    uint8_t Opcode = 0; // Value of the cell at PC
    uint8_t A = 0, B = 0;
    uint8_t CCR = 0;     // 11HINZVC
    uint8_t Pending = 0; // bit n set when interrupt source n (1..5) was pending
    bool Header = false;

    TRegisterValues Registers() const {
        TRegisterValues r;
        r.A = A;
        r.B = B;
        r.D = D;
        r.X = X;
        r.PC = PC;
        r.SP = SP;
        r.CCR = CCR;
        return r;
    }
    void SetRegisters(const TRegisterValues& r) {
        A = r.A;
        B = r.B;
        D = r.D;
        X = r.X;
        PC = r.PC;
        SP = r.SP;
        CCR = r.CCR;
    }
};

// The log: header lines and step records, formatted on demand as tab-separated text.
class TLog {
public:
    static constexpr const char* kHeader = "PC\tVRSTA\tOPK\tIUKAZ\tA\tB\tD\tX\tSP\t  HINZVC\tCAS\tIRQ";

    // Names shown in the IUKAZ column, indexed by opcode (upper case, empty for no instruction).
    // The array must outlive the log; without it the column stays empty.
    void SetOpcodeNames(const std::array<std::string, 256>* names) { names_ = names; }

    // When false, Append and AppendHeader do nothing (a front end that never shows the log).
    bool Enabled = true;

    void AppendHeader();
    void Append(const TLogRecord& record);
    // Empties the log; the log window writes the header again afterwards.
    void Clear() { records_.clear(); }

    size_t Size() const { return records_.size(); }
    const TLogRecord& Record(size_t index) const { return records_[index]; }
    const std::vector<TLogRecord>& Records() const { return records_; }

    // The text of one line, without line end.
    std::string Format(size_t index) const;
    std::string Format(const TLogRecord& record) const;
    // Appends the text of one line to `out`, without line end (no temporary strings).
    void FormatTo(const TLogRecord& record, std::string& out) const;

    // Called after lines were appended, with the index of the first new line.
    std::function<void(size_t firstNew)> onAppended;

private:
    std::vector<TLogRecord> records_;
    const std::array<std::string, 256>* names_ = nullptr;
};
