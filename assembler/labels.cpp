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

TOznake::TReference TOznake::ParseReference(std::string_view reference) {
    TReference r;
    if (reference.size() > SignificantLength) reference = reference.substr(0, SignificantLength);
    r.Name = reference;
    const size_t plus = reference.find('+');
    const size_t minus = reference.find('-');
    if (plus != std::string_view::npos && minus != std::string_view::npos) {
        r.Status = LabelLookup::Undefined;
        return r;
    }
    const size_t sign = plus != std::string_view::npos ? plus : minus;
    if (sign == std::string_view::npos) return r;
    // A decimal number with its sign; hex prefixes and stray characters are refused.
    const std::string_view text = reference.substr(sign);
    if (text.size() < 2) {
        r.Status = LabelLookup::BadOffset;
        return r;
    }
    long long written = 0;
    for (char c : text.substr(1)) {
        if (!IsDigit(c)) {
            r.Status = LabelLookup::BadOffset;
            return r;
        }
        written = written * 10 + (c - '0'); // at most 14 digits: no overflow
    }
    const std::optional<uint16_t> v = ParseNumber(text);
    if (!v) {
        r.Status = LabelLookup::BadOffset;
        return r;
    }
    r.HasOffset = true;
    r.Written = text[0] == '-' ? -written : written;
    r.Offset = static_cast<int8_t>(*v & 0xFF);
    if (r.Offset != 0) r.Name = reference.substr(0, sign);
    return r;
}

LabelLookup TOznake::Resolve(std::string_view reference, uint16_t& value) const {
    const TReference r = ParseReference(reference);
    if (r.Status != LabelLookup::Found) return r.Status;
    const LabelEntry* e = Find(r.Name);
    if (!e) return LabelLookup::Undefined;
    value = static_cast<uint16_t>(e->Value + r.Offset);
    return LabelLookup::Found;
}

std::optional<TOznake::TOffsetWrap> TOznake::WrappedOffset(std::string_view reference) {
    const TReference r = ParseReference(reference);
    if (r.Status != LabelLookup::Found || !r.HasOffset || r.Offset == r.Written) return std::nullopt;
    return TOffsetWrap{r.Written, r.Offset};
}

void TOznake::ClearLabels() {
    entries_.clear();
    index_.clear();
}
