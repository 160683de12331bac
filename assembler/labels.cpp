#include "assembler/labels.h"

#include <optional>

#include "assembler/syntax.h"

void TOznake::AddLabel(std::string_view name, uint16_t value, int32_t line) {
    if (name.size() > SignificantLength) name = name.substr(0, SignificantLength);
    entries_.push_back(LabelEntry{value, std::string(name), line});
    index_.try_emplace(entries_.back().Name, static_cast<uint32_t>(entries_.size() - 1));
}

const LabelEntry* TOznake::Find(std::string_view name) const {
    if (name.size() > SignificantLength) name = name.substr(0, SignificantLength);
    auto it = index_.find(std::string(name));
    return it == index_.end() ? nullptr : &entries_[it->second];
}

LabelLookup TOznake::Resolve(std::string_view reference, uint16_t& value) const {
    if (reference.size() > SignificantLength) reference = reference.substr(0, SignificantLength);
    size_t plus = reference.find('+');
    size_t minus = reference.find('-');
    if (plus != std::string_view::npos && minus != std::string_view::npos) return LabelLookup::Undefined;
    size_t sign = plus != std::string_view::npos ? plus : minus;
    std::string_view name = reference;
    int offset = 0;
    if (sign != std::string_view::npos) {
        std::string_view text = reference.substr(sign);
        // A decimal number with its sign; hex prefixes and stray characters are refused.
        if (text.size() < 2) return LabelLookup::BadOffset;
        for (char c : text.substr(1))
            if (!IsDigit(c)) return LabelLookup::BadOffset;
        std::optional<uint16_t> v = ParseNumber(text);
        if (!v) return LabelLookup::BadOffset;
        offset = static_cast<int8_t>(*v & 0xFF);
        if (offset != 0) name = reference.substr(0, sign);
    }
    const LabelEntry* e = Find(name);
    if (!e) return LabelLookup::Undefined;
    value = static_cast<uint16_t>(e->Value + offset);
    return LabelLookup::Found;
}

std::optional<TOznake::TOffsetWrap> TOznake::WrappedOffset(std::string_view reference) {
    if (reference.size() > SignificantLength) reference = reference.substr(0, SignificantLength);
    size_t sign = reference.find_first_of("+-");
    if (sign == std::string_view::npos || reference.find_first_of("+-", sign + 1) != std::string_view::npos)
        return std::nullopt;
    std::string_view digits = reference.substr(sign + 1);
    if (digits.empty()) return std::nullopt;
    long long written = 0;
    for (char c : digits) {
        if (!IsDigit(c)) return std::nullopt;
        written = written * 10 + (c - '0'); // at most 14 digits: no overflow
    }
    if (reference[sign] == '-') written = -written;
    std::optional<uint16_t> v = ParseNumber(reference.substr(sign));
    if (!v) return std::nullopt;
    const int used = static_cast<int8_t>(*v & 0xFF);
    if (used == written) return std::nullopt;
    return TOffsetWrap{written, used};
}

void TOznake::ClearLabels() {
    entries_.clear();
    index_.clear();
}
