#include "session/log.h"

#include <algorithm>
#include <stdexcept>

#include "engine/hex.h"

namespace {
void Hex(std::string& out, unsigned value, int digits) { AppendHex(out, value, digits); }
} // namespace

void TLog::AppendHeader() {
    TLogRecord header;
    header.Header = true;
    Append(header);
}

void TLog::Overwrite(const TLogRecord& record) {
    records_[start_] = record;
    if (++start_ == records_.size()) start_ = 0;
    ++dropped_;
}

// Puts the ring back in order, oldest first at index 0.
void TLog::Straighten() const {
    if (start_ == 0) return;
    std::rotate(records_.begin(), records_.begin() + static_cast<std::ptrdiff_t>(start_), records_.end());
    start_ = 0;
}

const std::vector<TLogRecord>& TLog::Records() const {
    Straighten();
    return records_;
}

void TLog::Clear() {
    records_.clear();
    start_ = 0;
    dropped_ = 0;
}

void TLog::DropOldest(size_t count) {
    Straighten();
    count = std::min(count, records_.size());
    records_.erase(records_.begin(), records_.begin() + static_cast<std::ptrdiff_t>(count));
}

void TLog::SetLimit(size_t limit) {
    Straighten();
    limit_ = limit;
    if (limit_ != 0 && records_.size() > limit_) {
        const size_t drop = records_.size() - limit_;
        records_.erase(records_.begin(), records_.begin() + static_cast<std::ptrdiff_t>(drop));
        dropped_ += drop;
    }
}

void TLog::TakeBack(uint64_t appended) {
    if (appended >= appended_) return;
    uint64_t back = appended_ - appended;
    appended_ = appended;
    Straighten();
    while (back > 0 && !records_.empty() && !records_.back().Header) {
        records_.pop_back();
        --back;
    }
}

std::string TLog::Format(size_t index) const {
    if (index >= records_.size()) throw std::out_of_range("TLog::Format");
    return Format(Record(index));
}

std::string TLog::Format(const TLogRecord& record) const {
    std::string out;
    out.reserve(64);
    FormatTo(record, out);
    return out;
}

void TLog::FormatTo(const TLogRecord& r, std::string& out) const {
    if (r.Header) {
        out += kHeader;
        return;
    }
    Hex(out, r.PC, 4);
    out += '\t';
    out += std::to_string(r.Line);
    out += '\t';
    Hex(out, r.Opcode, 2);
    out += '\t';
    if (names_) out += (*names_)[r.Opcode];
    out += '\t';
    AppendRegisterLine(out, r.Registers(), kLogRegisters, '\t', false);
    out += '\t';
    out += std::to_string(r.Elapsed);
    out += '\t';
    for (int source = 1; source <= 5; ++source)
        if (r.Pending >> source & 1) out += static_cast<char>('0' + source);
}
