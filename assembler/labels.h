#pragma once
// The assembler's label table.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct LabelEntry {
    uint16_t Value = 0;
    std::string Name; // upper case, at most 15 characters
    int32_t Line = 0; // 1-based source line that defined it, 0 when unknown
};

// How a label reference turned out.
enum class LabelLookup : uint8_t {
    Found,
    Undefined, // no label of that name, or "+" and "-" both in the reference
    BadOffset, // the text after the "+" or "-" is not a decimal number
};

// The label table: entries in definition order plus a name index, so lookups cost the same
// however many labels there are. Duplicates are kept; the first definition wins.
// The index is open-addressed: a name (at most 15 characters) is packed with its length into a
// 16-byte key, so a probe compares two words and a lookup allocates nothing; the index itself
// holds only entry numbers.
class TOznake {
public:
    static constexpr size_t SignificantLength = 15;

    // Appends a label defined on source line `line`; the name is cut to 15 characters.
    void AddLabel(std::string_view name, uint16_t value, int32_t line = 0);
    // Exact lookup of a (cut) name, no offset handling; nullptr when absent.
    const LabelEntry* Find(std::string_view name) const;

    // A label reference taken apart as the assembler reads it, wherever a reference is written
    // (operands, the editor's jumps, watches, exercises): cut to 15 characters, then an optional
    // "+n" or "-n", decimal, added as a signed byte; a zero offset keeps the whole text as the
    // name. Status is Found when the text is well formed (the name may still be unknown).
    struct TReference {
        LabelLookup Status = LabelLookup::Found;
        std::string_view Name; // into the text given
        int Offset = 0;        // as added, -128..127
        long long Written = 0; // as written; differs from Offset when the byte wraps
        bool HasOffset = false;
    };
    static TReference ParseReference(std::string_view reference);
    // A label reference (ParseReference) looked up; the value wraps modulo 65536.
    LabelLookup Resolve(std::string_view reference, uint16_t& value) const;
    // Resolve reduced to found / not found (for the editor's hints and jumps).
    bool FindLabel(std::string_view reference, uint16_t& value) const {
        return Resolve(reference, value) == LabelLookup::Found;
    }
    void ClearLabels();
    // Room for `labels` entries without moving them as the table grows (address space until used).
    void Reserve(size_t labels) {
        entries_.reserve(labels);
        keys_.reserve(labels);
    }

    // An offset of a reference as written and as added, when the two differ: the offset is
    // read as a signed byte, so "+200" adds -56. Nothing when the reference has no offset or
    // the offset lies within -128..+127.
    struct TOffsetWrap {
        long long Written = 0;
        int Used = 0;
    };
    static std::optional<TOffsetWrap> WrappedOffset(std::string_view reference);

    const std::vector<LabelEntry>& Entries() const { return entries_; }
    size_t Count() const { return entries_.size(); }

private:
    struct TKey {
        uint64_t Lo = 0, Hi = 0; // the characters, zero-padded; the length in the last byte
        bool operator==(const TKey&) const = default;
    };
    static TKey Pack(std::string_view name); // name: at most SignificantLength characters
    static size_t Hash(const TKey& key);
    // The slot holding the key, or the free slot where it would go.
    size_t Probe(const TKey& key) const;
    void Grow();

    std::vector<LabelEntry> entries_;
    std::vector<TKey> keys_;      // the packed name of each entry
    std::vector<uint32_t> index_; // entry number + 1 (0 = free); a power of two, at most half full
    size_t used_ = 0;             // occupied slots (distinct names)
};
