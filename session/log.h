#pragma once
#include <algorithm>
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
    uint32_t Elapsed = 0; // since the previous step started: ms (classic), µs simulated (chip)
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
//
// Records accumulate without limit, unless a limit is set (the turbo run sets one): then the log
// keeps the most recent Limit() lines in a ring and counts the ones it dropped.
class TLog {
public:
    static constexpr const char* kHeader = "PC\tVRSTA\tOPK\tIUKAZ\tA\tB\tD\tX\tSP\t  HINZVC\tCAS\tIRQ";

    // Names shown in the IUKAZ column, indexed by opcode (upper case, empty for no instruction).
    // The array must outlive the log; without it the column stays empty.
    void SetOpcodeNames(const std::array<std::string, 256>* names) { names_ = names; }

    // When false, Append and AppendHeader do nothing (a front end that never shows the log).
    bool Enabled = true;

    void AppendHeader();
    void Append(const TLogRecord& record) {
        if (!Enabled) return;
        ++appended_;
        if (limit_ != 0 && records_.size() >= limit_) [[unlikely]]
            Overwrite(record);
        else records_.push_back(record);
        if (onAppended) onAppended(records_.size() - 1);
    }
    // Appends a step record to be written in place, for a run loop: the returned record is the
    // newest line, holding what was there before (a bounded log overwrites its oldest), so every
    // field must be set. Nothing is called; TellAppended tells onAppended afterwards.
    [[gnu::always_inline]] TLogRecord& AppendInPlace() {
        ++appended_;
        if (const size_t size = records_.size(); limit_ != 0 && size >= limit_) {
            TLogRecord& record = records_[start_];
            if (++start_ == size) start_ = 0;
            ++dropped_;
            return record;
        }
        return records_.emplace_back();
    }
    // Calls onAppended for the last `count` records appended in place.
    void TellAppended(size_t count) {
        if (onAppended && count != 0) onAppended(records_.size() - std::min(count, records_.size()));
    }
    // Empties the log (and the count of dropped lines); the log window writes the header again
    // afterwards.
    void Clear();
    // Removes the `count` oldest lines (a front end wrote them elsewhere); they do not count as
    // dropped.
    void DropOldest(size_t count);

    size_t Size() const { return records_.size(); }
    // Line `index`, oldest first.
    const TLogRecord& Record(size_t index) const {
        size_t at = start_ + index;
        if (at >= records_.size()) at -= records_.size();
        return records_[at];
    }
    // All lines, oldest first.
    const std::vector<TLogRecord>& Records() const;

    // At most `limit` lines are kept from now on (0: no limit). Setting a limit drops the oldest
    // lines beyond it at once.
    void SetLimit(size_t limit);
    size_t Limit() const { return limit_; }
    // Lines dropped because of the limit since the last Clear.
    uint64_t Dropped() const { return dropped_; }

    // Lines appended since creation: reverse step takes back the step records appended after a
    // point by this count.
    uint64_t Appended() const { return appended_; }
    // Removes the step records appended after Appended() was `appended`, newest first, as far as
    // the log still holds them and no header stands in the way, and makes that the count again.
    void TakeBack(uint64_t appended);

    // The text of one line, without line end.
    std::string Format(size_t index) const;
    std::string Format(const TLogRecord& record) const;
    // Appends the text of one line to `out`, without line end (no temporary strings).
    void FormatTo(const TLogRecord& record, std::string& out) const;

    // Called after lines were appended, with the index of the first new line.
    std::function<void(size_t firstNew)> onAppended;

private:
    void Overwrite(const TLogRecord& record);
    void Straighten() const;

    // While a limit is reached the lines form a ring: the oldest is at start_.
    mutable std::vector<TLogRecord> records_;
    mutable size_t start_ = 0;
    size_t limit_ = 0;
    uint64_t dropped_ = 0;
    uint64_t appended_ = 0;
    const std::array<std::string, 256>* names_ = nullptr;
};
