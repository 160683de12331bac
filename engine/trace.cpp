#include "engine/trace.h"

#include <algorithm>

#include "engine/hex.h"

namespace {

// One pattern text of at most `digits` characters into value and mask; false when invalid.
bool ParsePattern(const std::string& text, size_t digits, uint16_t& value, uint16_t& mask) {
    if (text.empty() || text.size() > digits) return false;
    std::string padded(digits - text.size(), '0');
    padded += text;
    value = 0;
    mask = 0;
    for (char c : padded) {
        unsigned digit = 0, digitMask = 0xF;
        if (c == 'x' || c == 'X') {
            digitMask = 0;
        } else if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else {
            return false;
        }
        value = static_cast<uint16_t>(value << 4 | digit);
        mask = static_cast<uint16_t>(mask << 4 | digitMask);
    }
    return true;
}

std::string Hex(unsigned value, int digits) {
    std::string text(static_cast<size_t>(digits), '0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<size_t>(i)] = kHexDigits[value & 0xF];
    return text;
}
} // namespace

// ---- TCoditions -------------------------------------------------------------------------------

TCoditions::~TCoditions() { Clear(); }

void TCoditions::Add(const TraceCondition& condition) {
    Node* node = new Node{condition, head_, nullptr};
    if (head_) head_->previous = node;
    bool wasEmpty = head_ == nullptr;
    head_ = node;
    if (wasEmpty) cursor_ = node;
}

void TCoditions::Remove(const TraceCondition& condition) {
    Node* node = head_;
    while (node && !(node->condition == condition))
        node = node->next;
    if (!node) return;
    if (node->previous) node->previous->next = node->next;
    else head_ = node->next;
    if (node->next) node->next->previous = node->previous;
    if (cursor_ == node) cursor_ = node->next ? node->next : node->previous;
    if (!cursor_) AtEnd = true;
    delete node;
}

void TCoditions::Clear() {
    Node* node = head_;
    while (node) {
        Node* next = node->next;
        delete node;
        node = next;
    }
    head_ = cursor_ = nullptr;
    AtEnd = true;
}

void TCoditions::Rewind() {
    cursor_ = head_;
    AtEnd = head_ == nullptr;
}

TraceCondition TCoditions::Next() {
    if (!cursor_) {
        AtEnd = true;
        return {};
    }
    TraceCondition condition = cursor_->condition;
    if (cursor_->next) {
        cursor_ = cursor_->next;
        AtEnd = false;
    } else {
        AtEnd = true;
    }
    return condition;
}

size_t TCoditions::Count() const {
    size_t count = 0;
    for (Node* node = head_; node; node = node->next)
        ++count;
    return count;
}

bool TCoditions::AnyMatches(uint16_t address, uint8_t value, uint8_t direction) const {
    for (Node* node = head_; node; node = node->next)
        if (node->condition.Matches(address, value, direction)) return true;
    return false;
}

// ---- TTrace -----------------------------------------------------------------------------------

bool TTrace::Offer(uint16_t address, uint8_t value, uint8_t direction) {
    if (!Triggered && Triggers.AnyMatches(address, value, direction)) Triggered = true;
    if (!Triggered) return false;
    if (!Qualifiers.AnyMatches(address, value, direction)) return false;
    if (rows_.size() >= RowLimit) {
        ++dropped_;
        return false;
    }
    rows_.push_back(TraceRow{address, value, direction});
    ++recorded_;
    return true;
}

void TTrace::ClearRows() {
    dropped_ = 0;
    rows_.clear();
    rows_.shrink_to_fit();
}

void TTrace::TakeBackRows(uint64_t recorded) {
    if (recorded >= recorded_) return;
    const uint64_t back = std::min<uint64_t>(recorded_ - recorded, rows_.size());
    recorded_ = recorded;
    if (back == 0) return;
    rows_.resize(rows_.size() - static_cast<size_t>(back));
}

// ---- Text forms -------------------------------------------------------------------------------

std::optional<TraceCondition> ParseCondition(const std::string& address, const std::string& data,
                                             const std::string& direction) {
    TraceCondition condition;
    uint16_t dataValue = 0, dataMask = 0;
    if (!ParsePattern(address, 4, condition.Address, condition.AddressMask)) return std::nullopt;
    // A lone X in the data field stands for any byte (shown back as "xx"); otherwise short
    // entries are padded with compared zero digits like the address.
    if (data == "x" || data == "X") {
        dataValue = dataMask = 0;
    } else if (!ParsePattern(data, 2, dataValue, dataMask)) {
        return std::nullopt;
    }
    condition.Data = static_cast<uint8_t>(dataValue);
    condition.DataMask = static_cast<uint8_t>(dataMask);
    if (direction.empty()) return std::nullopt;
    switch (direction[0]) {
    case 'R':
    case 'r':
        condition.Direction = 0;
        break;
    case 'W':
    case 'w':
        condition.Direction = 1;
        break;
    default:
        return std::nullopt;
    }
    return condition;
}

std::string FormatPattern(uint16_t value, uint16_t mask, int digits) {
    if (digits < 1 || digits > 4) return {};
    std::string text = Hex(value, digits);
    for (int i = digits - 1, shift = 0; i >= 0; --i, shift += 4)
        if (((mask >> shift) & 0xF) == 0) text[static_cast<size_t>(i)] = 'x';
    return text;
}

TraceColumns FormatCondition(const TraceCondition& condition) {
    return {FormatPattern(condition.Address, condition.AddressMask, 4),
            FormatPattern(condition.Data, condition.DataMask, 2), condition.Direction ? "Write" : "Read"};
}

TraceColumns FormatTraceRow(const TraceRow& row) {
    return {Hex(row.Address, 4), Hex(row.Data, 2), row.Direction ? "W" : "R"};
}
