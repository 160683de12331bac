#include "session/similarity.h"

#include <algorithm>
#include <bit>
#include <string_view>
#include <unordered_map>

#include "assembler/syntax.h"
#include "isa/isa.h"

namespace {

// The kinds of addressing a token keeps. Direct and extended are one kind: which of the two an
// operand gets depends only on the value of its address, which a renaming may change.
enum class Kind : uint16_t { Inherent, Immediate, Memory, Indexed, Relative, Count };
constexpr uint16_t kKinds = static_cast<uint16_t>(Kind::Count);

const char* const kKindText[] = {"", " #", " adr", " ,X", " rel"};

// The mnemonics by number, the number of each, which of them branch, and the partner of each
// under the exchange of A and B.
struct TTables {
    std::vector<std::string> Names;
    std::unordered_map<std::string, uint16_t> Numbers;
    std::vector<bool> Branch;
    std::vector<uint16_t> Partner;

    TTables() {
        Names = IsaMnemonics();
        for (size_t i = 0; i < Names.size(); ++i)
            Numbers.emplace(Names[i], static_cast<uint16_t>(i));
        Branch.assign(Names.size(), false);
        for (const IsaEntry& e : IsaTable())
            if (e.Mode == AddressingMode::Relative) Branch[Numbers.at(e.Mnemonic)] = true;
        Partner.resize(Names.size());
        for (size_t i = 0; i < Names.size(); ++i) {
            Partner[i] = static_cast<uint16_t>(i);
            std::string other = Names[i];
            if (other == "TAB") other = "TBA";
            else if (other == "TBA") other = "TAB";
            else if (other.back() == 'A') other.back() = 'B';
            else if (other.back() == 'B') other.back() = 'A';
            if (const auto found = Numbers.find(other); found != Numbers.end()) Partner[i] = found->second;
        }
    }
};

const TTables& Tables() {
    static const TTables tables;
    return tables;
}

Kind KindOf(std::string_view operand, bool branch) {
    if (operand.empty()) return Kind::Inherent;
    if (branch) return Kind::Relative;
    if (operand.front() == '#') return Kind::Immediate;
    if (operand.size() >= 2 && operand.substr(operand.size() - 2) == ",X") return Kind::Indexed;
    return Kind::Memory;
}

// The length of the longest common subsequence, bit-parallel (Hyyrö): bit i of V says whether
// the common subsequence of a[0..i] with the part of b seen so far did not grow at i.
size_t CommonLength(const std::vector<uint16_t>& a, const std::vector<uint16_t>& b) {
    if (a.empty() || b.empty()) return 0;
    const size_t words = (a.size() + 63) / 64;
    std::unordered_map<uint16_t, std::vector<uint64_t>> matches;
    for (size_t i = 0; i < a.size(); ++i) {
        std::vector<uint64_t>& m = matches[a[i]];
        m.resize(words);
        m[i / 64] |= uint64_t{1} << (i % 64);
    }
    std::vector<uint64_t> v(words, ~uint64_t{0});
    for (uint16_t y : b) {
        const auto found = matches.find(y);
        if (found == matches.end()) continue; // no match: V stays as it is
        const std::vector<uint64_t>& m = found->second;
        uint64_t carry = 0;
        for (size_t w = 0; w < words; ++w) {
            const uint64_t u = v[w] & m[w];
            const uint64_t sum = v[w] + u;
            const uint64_t total = sum + carry;
            carry = (sum < v[w] || total < sum) ? 1 : 0;
            v[w] = total | (v[w] & ~m[w]);
        }
    }
    size_t zeros = 0;
    for (size_t w = 0; w < words; ++w) {
        const size_t bits = std::min<size_t>(64, a.size() - w * 64);
        const uint64_t mask = bits == 64 ? ~uint64_t{0} : (uint64_t{1} << bits) - 1;
        zeros += static_cast<size_t>(std::popcount(~v[w] & mask));
    }
    return zeros;
}

} // namespace

TProgramShape ReadProgramShape(const std::vector<std::string>& lines) {
    const TTables& t = Tables();
    TProgramShape shape;
    std::string buffer;
    TLineFields fields;
    for (size_t i = 0; i < lines.size(); ++i) {
        ScanLine(lines[i], false, buffer, fields);
        if (fields.Empty) continue;
        std::string_view mnemonic = fields.Mnemonic;
        const LineKind kind = ClassifyMnemonic(mnemonic);
        if (kind == LineKind::End) break;
        if (kind != LineKind::Instruction) continue;
        const auto found = t.Numbers.find(std::string(mnemonic));
        if (found == t.Numbers.end()) continue;
        const uint16_t number = found->second;
        const uint16_t mode = static_cast<uint16_t>(KindOf(fields.Operand, t.Branch[number]));
        shape.Tokens.push_back(static_cast<uint16_t>(number * kKinds + mode));
        shape.Swapped.push_back(static_cast<uint16_t>(t.Partner[number] * kKinds + mode));
        shape.Lines.push_back(static_cast<int>(i + 1));
    }
    return shape;
}

std::string TokenText(uint16_t token) {
    const TTables& t = Tables();
    const size_t number = token / kKinds;
    if (number >= t.Names.size()) return "?";
    return t.Names[number] + kKindText[token % kKinds];
}

TSimilarity CompareShapes(const TProgramShape& a, const TProgramShape& b) {
    TSimilarity s;
    const size_t total = a.Tokens.size() + b.Tokens.size();
    if (total == 0) return s;
    // The shorter sequence goes into the bit vectors.
    const bool aShorter = a.Tokens.size() <= b.Tokens.size();
    const std::vector<uint16_t>& shortPlain = aShorter ? a.Tokens : b.Tokens;
    const std::vector<uint16_t>& longPlain = aShorter ? b.Tokens : a.Tokens;
    const size_t plain = CommonLength(shortPlain, longPlain);
    // Exchanging A and B in b matches as exchanging them in a: the exchange is its own inverse.
    const size_t swapped = aShorter ? CommonLength(a.Tokens, b.Swapped) : CommonLength(b.Tokens, a.Swapped);
    s.Swapped = swapped > plain;
    s.Common = std::max(plain, swapped);
    s.Score = 2.0 * static_cast<double>(s.Common) / static_cast<double>(total);
    return s;
}

std::vector<std::pair<size_t, size_t>> AlignShapes(const TProgramShape& a, const TProgramShape& b,
                                                   bool swapped) {
    const std::vector<uint16_t>& x = a.Tokens;
    const std::vector<uint16_t>& y = swapped ? b.Swapped : b.Tokens;
    const size_t n = x.size(), m = y.size();
    std::vector<std::pair<size_t, size_t>> pairs;
    if (n == 0 || m == 0 || (n + 1) * (m + 1) > kMaxAlignCells) return pairs;
    // table[i][j]: the common length of x[i..] and y[j..].
    std::vector<uint16_t> table((n + 1) * (m + 1), 0);
    const auto at = [m](size_t i, size_t j) { return i * (m + 1) + j; };
    for (size_t i = n; i-- > 0;)
        for (size_t j = m; j-- > 0;)
            table[at(i, j)] = x[i] == y[j] ? static_cast<uint16_t>(table[at(i + 1, j + 1)] + 1)
                                           : std::max(table[at(i + 1, j)], table[at(i, j + 1)]);
    for (size_t i = 0, j = 0; i < n && j < m;) {
        if (x[i] == y[j]) {
            pairs.emplace_back(i++, j++);
        } else if (table[at(i + 1, j)] >= table[at(i, j + 1)]) {
            ++i;
        } else {
            ++j;
        }
    }
    return pairs;
}
