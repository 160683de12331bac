#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// One trigger or qualifier condition of the bus trace. A mask digit $F compares the digit,
// 0 ignores it; pattern digits under a 0 mask digit hold 0.
struct TraceCondition {
    uint16_t Address = 0;
    uint8_t Data = 0;
    uint16_t AddressMask = 0;
    uint8_t DataMask = 0;
    uint8_t Direction = 0; // 0 read, 1 write

    bool Matches(uint16_t address, uint8_t value, uint8_t direction) const {
        return (address & AddressMask) == Address && (value & DataMask) == Data && direction == Direction;
    }
    bool operator==(const TraceCondition&) const = default;
};

// An ordered list of conditions; the newest is first. Iterated with Rewind / Next / AtEnd.
class TCoditions {
public:
    TCoditions() = default;
    TCoditions(const TCoditions&) = delete;
    TCoditions& operator=(const TCoditions&) = delete;
    ~TCoditions();

    void Add(const TraceCondition& condition);
    void Remove(const TraceCondition& condition);
    void Clear();
    void Rewind();
    TraceCondition Next();
    bool AtEnd = true;

    bool Empty() const { return head_ == nullptr; }
    size_t Count() const;
    // The first entry from the head that matches the access.
    bool AnyMatches(uint16_t address, uint8_t value, uint8_t direction) const;

private:
    struct Node {
        TraceCondition condition;
        Node* next = nullptr;
        Node* previous = nullptr;
    };
    Node* head_ = nullptr;
    Node* cursor_ = nullptr;
};

// One recorded bus access.
struct TraceRow {
    uint16_t Address;
    uint8_t Data;
    uint8_t Direction; // 0 read, 1 write
};
static_assert(sizeof(TraceRow) == 4, "trace rows stay compact: a long run records millions");

// The logic-analyser style recorder: armed by the first trigger match, then records every access
// that matches a qualifier, until its memory of RowLimit rows is full.
class TTrace {
public:
    // The recorder's own state: whether a trigger has armed it. (The conditions are the user's
    // settings; the rows are what it recorded, taken back by count.) No member initialisers, as
    // in the devices' states.
    struct State {
        bool Triggered;
        bool operator==(const State&) const = default;
    };
    State Save() const { return {Triggered}; }
    void Restore(const State& state) { Triggered = state.Triggered; }

    bool Triggered = false;
    TCoditions Triggers;
    TCoditions Qualifiers;
    // The rows a trace keeps unless its owner sets another bound: 40 MB, which a fast run with
    // a catch-all qualifier fills in seconds.
    static constexpr size_t kDefaultRowLimit = 10'000'000;
    // At most this many rows are kept; later matching accesses are only counted.
    size_t RowLimit = kDefaultRowLimit;

    // Offers one access; returns true when a row was recorded. Without a trigger to arm it, or
    // armed without a qualifier, the recorder cannot record: then the access costs two tests.
    bool Check(uint16_t address, uint8_t value, uint8_t direction) {
        if (Triggered ? Qualifiers.Empty() : Triggers.Empty()) return false;
        return Offer(address, value, direction);
    }

    // Recorded rows, kept compactly (4 bytes each); the trace window shows them through a model.
    const std::vector<TraceRow>& Rows() const { return rows_; }
    // Matching accesses that found the recorder full since the rows were last cleared.
    uint64_t DroppedRows() const { return dropped_; }
    void ClearRows();

    // Rows recorded since creation, emptied ones included: reverse step takes back the rows
    // recorded after a point by this count.
    uint64_t RowsRecorded() const { return recorded_; }
    // Takes back the rows recorded after RowsRecorded() was `recorded` (those still in the list)
    // and makes that the count again.
    void TakeBackRows(uint64_t recorded);
    // Puts recorded rows back as they were (a snapshot): the rows, the accesses dropped while
    // full and the count of rows recorded.
    void RestoreRows(std::vector<TraceRow> rows, uint64_t dropped, uint64_t recorded) {
        rows_ = std::move(rows);
        dropped_ = dropped;
        recorded_ = recorded;
    }

private:
    bool Offer(uint16_t address, uint8_t value, uint8_t direction);

    std::vector<TraceRow> rows_;
    uint64_t dropped_ = 0;
    uint64_t recorded_ = 0;
};

// Text form of a condition as typed in the trace window: address of 1-4 hex digits or X,
// data of 1-2 hex digits or X, direction starting with R or W. Empty result = invalid entry.
std::optional<TraceCondition> ParseCondition(const std::string& address, const std::string& data,
                                             const std::string& direction);
// "20xx" style pattern of the address (4 digits) or data (2 digits); don't-care digits as x.
std::string FormatPattern(uint16_t value, uint16_t mask, int digits);

// The three columns of a row in the trace window's lists.
struct TraceColumns {
    std::string Address;
    std::string Data;
    std::string Direction;
};
// A condition for display: "20xx", "x5", "Read"/"Write". ParseCondition accepts this form back.
TraceColumns FormatCondition(const TraceCondition& condition);
// A recorded access for display: "2000", "41", "R"/"W".
TraceColumns FormatTraceRow(const TraceRow& row);
