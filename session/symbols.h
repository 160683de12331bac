#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "assembler/labels.h"

// The labels of the last successful assembly, as the symbol window lists them and the
// disassembly and the watched variables name addresses with them. A failed assembly leaves the
// table as it was (its labels stop at the failing line); until the first success it is empty.
class TSymbolTable {
public:
    enum class SortKey : uint8_t { Name, Value, Line };

    // Called when an assembly has finished: a successful one replaces the table.
    void AssemblyFinished(bool ok, const TOznake& labels);

    // The labels in definition order (names upper case, Windows-1250).
    const std::vector<LabelEntry>& Entries() const { return labels_.Entries(); }
    const TOznake& Labels() const { return labels_; }
    bool Empty() const { return labels_.Count() == 0; }
    // Counts the successful assemblies taken (a view tells by it that the table was replaced).
    uint64_t Generation() const { return generation_; }

    // Indexes into Entries() of the labels that pass `filter`, sorted by `key` (ties in
    // definition order). The filter (UTF-8) is a part of the name, in any case; one that
    // begins with "$" is the beginning of the value in hexadecimal ("$20" finds $2000-$20FF).
    std::vector<size_t> Rows(std::string_view filter, SortKey key, bool descending) const;

    // The name an operand may use for a value: the first label defined with it whose name an
    // operand can reference (it starts with a letter A..Z and holds no "+" or "-"). Empty when
    // there is none. Windows-1250.
    const std::string& NameOf(uint16_t value) const;
    // NameOf, else a name for value - 1 with "+1" ("STEVEC+1": the low byte of a word); empty
    // when neither exists.
    std::string ReferenceTo(uint16_t value) const;

private:
    TOznake labels_;
    std::unordered_map<uint16_t, size_t> byValue_; // value -> first referenceable entry
    uint64_t generation_ = 0;
};
