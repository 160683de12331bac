#include "assembler/labels.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "assembler/syntax.h"

TOznake::TKey TOznake::Pack(std::string_view name) {
    static_assert(SignificantLength < sizeof(TKey), "a name and its length fit in a key");
    unsigned char bytes[sizeof(TKey)] = {};
    std::memcpy(bytes, name.data(), name.size());
    bytes[sizeof(TKey) - 1] = static_cast<unsigned char>(name.size());
    TKey key;
    std::memcpy(&key.Lo, bytes, 8);
    std::memcpy(&key.Hi, bytes + 8, 8);
    return key;
}

size_t TOznake::Hash(const TKey& key) {
    uint64_t h = (key.Lo ^ (key.Hi * 0xC2B2AE3D27D4EB4Full)) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h ^ (h >> 32)); // the product's high bits into the low ones
}

size_t TOznake::Probe(const TKey& key) const {
    const size_t mask = index_.size() - 1;
    for (size_t i = Hash(key) & mask;; i = (i + 1) & mask) {
        const uint32_t entry = index_[i];
        if (entry == 0 || keys_[entry - 1] == key) return i;
    }
}

void TOznake::Grow() {
    std::vector<uint32_t> old = std::move(index_);
    index_.assign(old.empty() ? 64 : old.size() * 2, 0);
    for (const uint32_t entry : old)
        if (entry != 0) index_[Probe(keys_[entry - 1])] = entry;
}

void TOznake::AddLabel(std::string_view name, uint16_t value, int32_t line) {
    if (name.size() > SignificantLength) name = name.substr(0, SignificantLength);
    entries_.push_back(LabelEntry{value, std::string(name), line});
    const TKey key = Pack(name);
    keys_.push_back(key);
    if ((used_ + 1) * 2 > index_.size()) Grow();
    uint32_t& slot = index_[Probe(key)];
    if (slot != 0) return; // the first definition of a name wins
    slot = static_cast<uint32_t>(entries_.size());
    ++used_;
}

const LabelEntry* TOznake::Find(std::string_view name) const {
    if (index_.empty()) return nullptr;
    if (name.size() > SignificantLength) name = name.substr(0, SignificantLength);
    const uint32_t entry = index_[Probe(Pack(name))];
    return entry == 0 ? nullptr : &entries_[entry - 1];
}

TOznake::TReference TOznake::ParseReference(std::string_view reference) {
    TReference r;
    if (reference.size() > SignificantLength) reference = reference.substr(0, SignificantLength);
    r.Name = reference;
    size_t plus = std::string_view::npos, minus = std::string_view::npos;
    for (size_t i = 0; i < reference.size(); ++i) {
        if (reference[i] == '+' && plus == std::string_view::npos) plus = i;
        else if (reference[i] == '-' && minus == std::string_view::npos) minus = i;
    }
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
    // Read as an operand number is: beyond 31 bits it is refused, else its low 16 bits count.
    if (written > 0x7FFFFFFF) {
        r.Status = LabelLookup::BadOffset;
        return r;
    }
    uint16_t v = static_cast<uint16_t>(written & 0xFFFF);
    if (text[0] == '-') v = static_cast<uint16_t>(0x10000 - v);
    r.HasOffset = true;
    r.Written = text[0] == '-' ? -written : written;
    r.Offset = static_cast<int8_t>(v & 0xFF);
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
    keys_.clear();
    // The index keeps its size: the next assembly of the program fills it again.
    if (used_ != 0) std::fill(index_.begin(), index_.end(), 0u);
    used_ = 0;
}
