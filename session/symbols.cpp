#include "session/symbols.h"

#include <algorithm>

#include "assembler/syntax.h"
#include "base/encoding.h"
#include "engine/hex.h"

namespace {

// A name an operand can hold: a label reference starts with a letter and has no offset sign.
bool Referenceable(const std::string& name) {
    return !name.empty() && IsLetter(name[0]) && name.find_first_of("+-") == std::string::npos;
}

} // namespace

void TSymbolTable::AssemblyFinished(bool ok, const TOznake& labels) {
    if (!ok) return;
    labels_ = labels;
    byValue_.clear();
    const std::vector<LabelEntry>& entries = labels_.Entries();
    for (size_t i = 0; i < entries.size(); ++i)
        if (Referenceable(entries[i].Name)) byValue_.try_emplace(entries[i].Value, i);
    ++generation_;
}

std::vector<size_t> TSymbolTable::Rows(std::string_view filter, SortKey key, bool descending) const {
    const std::vector<LabelEntry>& entries = labels_.Entries();
    std::string wanted = Utf8ToCp1250(filter);
    UpperCase1250(wanted);
    const bool byValue = !wanted.empty() && wanted[0] == '$';
    if (byValue) wanted.erase(0, 1);

    std::vector<size_t> rows;
    rows.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const bool pass = byValue ? HexText(entries[i].Value, 4).starts_with(wanted)
                                  : entries[i].Name.find(wanted) != std::string::npos;
        if (pass) rows.push_back(i);
    }
    const auto less = [&](size_t a, size_t b) {
        const LabelEntry& x = entries[descending ? b : a];
        const LabelEntry& y = entries[descending ? a : b];
        switch (key) {
        case SortKey::Name:
            return x.Name < y.Name;
        case SortKey::Value:
            return x.Value < y.Value;
        case SortKey::Line:
            break;
        }
        return x.Line < y.Line;
    };
    std::stable_sort(rows.begin(), rows.end(), less);
    return rows;
}

const std::string& TSymbolTable::NameOf(uint16_t value) const {
    static const std::string none;
    auto it = byValue_.find(value);
    return it == byValue_.end() ? none : labels_.Entries()[it->second].Name;
}

std::string TSymbolTable::ReferenceTo(uint16_t value) const {
    if (const std::string& name = NameOf(value); !name.empty()) return name;
    const std::string& below = NameOf(static_cast<uint16_t>(value - 1));
    // "+1" makes the reference longer; it must still fit the 15 significant characters.
    if (below.empty() || below.size() + 2 > TOznake::SignificantLength) return {};
    return below + "+1";
}
