#include "assembler/syntax.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "base/encoding.h"
#include "engine/numbers.h"
#include "isa/isa.h"

namespace {

constexpr size_t MaxLabelLength = 20;    // characters of the label field kept
constexpr size_t MaxMnemonicLength = 20; // characters of the mnemonic field kept

// Operand numbers: binary after "%", decimal with an optional sign, hexadecimal after "$", "X",
// "x", "0x" or "0X" (no sign before a prefix).
TNumberSyntax OperandNumberSyntax() {
    TNumberSyntax syntax;
    syntax.Sign = true;
    syntax.Dollar = true;
    syntax.LetterX = true;
    syntax.ZeroX = true;
    syntax.Percent = true;
    return syntax;
}

// The line scanner reads eight characters at a time where the machine's byte order allows it
// (the first character of a word is its lowest byte), the rest one by one.
constexpr bool kWordScan = std::endian::native == std::endian::little;
constexpr uint64_t kOnes = 0x0101010101010101ull;
constexpr uint64_t kHighs = 0x8080808080808080ull;

inline uint64_t Load8(const char* p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}
// The high bit of each byte of v that equals c. Only the lowest marked byte is sure (a borrow
// may mark bytes above it), which is all the scanner asks: where the first one is.
inline uint64_t BytesEqual(uint64_t v, char c) {
    const uint64_t x = v ^ (kOnes * static_cast<uint8_t>(c));
    return (x - kOnes) & ~x & kHighs;
}
inline size_t FirstMarked(uint64_t mask) { return static_cast<size_t>(std::countr_zero(mask)) / 8; }

// The first double quote from i on, or also the first "*" or ";" outside quotes; n when none.
inline size_t NextCommentStop(const char* p, size_t i, size_t n, bool quote) {
    if constexpr (kWordScan) {
        for (; i + 8 <= n; i += 8) {
            const uint64_t v = Load8(p + i);
            uint64_t m = BytesEqual(v, '"');
            if (!quote) m |= BytesEqual(v, '*') | BytesEqual(v, ';');
            if (m != 0) return i + FirstMarked(m);
        }
    }
    for (; i < n; ++i) {
        const char c = p[i];
        if (c == '"' || (!quote && (c == '*' || c == ';'))) return i;
    }
    return n;
}

// Where the comment starts: the first "*" or ";" outside double quotes.
size_t CommentStart(std::string_view text) {
    const char* p = text.data();
    const size_t n = text.size();
    bool quote = false;
    for (size_t i = NextCommentStop(p, 0, n, quote); i < n; i = NextCommentStop(p, i + 1, n, quote)) {
        if (p[i] != '"') return i;
        quote = !quote;
    }
    return n;
}

// The end of the run of spaces, or of the word, that starts at i (no further than n).
inline size_t SkipSpaces(const char* p, size_t i, size_t n) {
    if constexpr (kWordScan) {
        for (; i + 8 <= n; i += 8)
            if (const uint64_t other = Load8(p + i) ^ (kOnes * ' '); other != 0)
                return i + FirstMarked(other);
    }
    while (i < n && p[i] == ' ')
        ++i;
    return i;
}
inline size_t SkipWord(const char* p, size_t i, size_t n) {
    if constexpr (kWordScan) {
        for (; i + 8 <= n; i += 8)
            if (const uint64_t m = BytesEqual(Load8(p + i), ' '); m != 0) return i + FirstMarked(m);
    }
    while (i < n && p[i] != ' ')
        ++i;
    return i;
}
// The first double quote from i on, or also the first space outside quotes; n when none.
inline size_t NextTokenStop(const char* p, size_t i, size_t n, bool quote) {
    if constexpr (kWordScan) {
        for (; i + 8 <= n; i += 8) {
            const uint64_t v = Load8(p + i);
            uint64_t m = BytesEqual(v, '"');
            if (!quote) m |= BytesEqual(v, ' ');
            if (m != 0) return i + FirstMarked(m);
        }
    }
    for (; i < n; ++i) {
        const char c = p[i];
        if (c == '"' || (!quote && c == ' ')) return i;
    }
    return n;
}

inline int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The common operand numbers read directly: "$" and up to seven hexadecimal digits, or up to
// nine decimal digits. Both stay below 2^31, so only the low 16 bits matter. False when the
// text has another form (the general reader decides then).
bool ParseCommonNumber(std::string_view text, uint16_t& value) {
    const size_t n = text.size();
    if (n == 0) return false;
    uint32_t v = 0;
    if (text[0] == '$') {
        if (n < 2 || n > 8) return false;
        for (size_t i = 1; i < n; ++i) {
            const int d = HexDigit(text[i]);
            if (d < 0) return false;
            v = v << 4 | static_cast<uint32_t>(d);
        }
    } else {
        if (n > 9) return false;
        for (char c : text) {
            if (!IsDigit(c)) return false;
            v = v * 10 + static_cast<uint32_t>(c - '0');
        }
    }
    value = static_cast<uint16_t>(v);
    return true;
}

} // namespace

std::optional<uint16_t> ParseNumber(std::string_view text) {
    if (uint16_t v = 0; ParseCommonNumber(text, v)) return v;
    static const TNumberSyntax syntax = OperandNumberSyntax();
    const TParsedNumber n = ParseNumberText(text, syntax);
    if (!n.Ok()) return std::nullopt;
    // Binary digits are taken modulo 2^16 whatever their number; the other bases are limited
    // to 31 bits before the low 16 are kept.
    if (n.Base != 2 && n.Magnitude > 0x7FFFFFFF) return std::nullopt;
    uint32_t value = static_cast<uint32_t>(n.Magnitude & 0xFFFF);
    if (n.Negative) value = 0x10000 - value;
    return static_cast<uint16_t>(value);
}

// ---- TCode ----

SourceLine TCode::FirstLine() {
    next_ = 0;
    ended_ = false;
    current_.Number = 0;
    if (lines_.empty()) {
        ended_ = true;
        current_.Text = EmptyEndMarker;
        return current_;
    }
    return NextLine();
}

SourceLine TCode::NextLine() {
    if (next_ < lines_.size()) {
        current_.Text = lines_[next_];
        current_.Number = static_cast<int32_t>(++next_);
    } else if (!ended_) {
        ended_ = true;
        current_.Text = EndMarker;
        current_.Number = static_cast<int32_t>(lines_.size()) + 1;
    }
    return current_;
}

// ---- fields ----

TSpan NextToken(std::string_view text, size_t from, size_t end) {
    const char* p = text.data();
    TSpan token;
    token.Begin = token.End = SkipSpaces(p, from, end);
    if (token.Begin >= end) return token;
    bool quote = false;
    size_t i = NextTokenStop(p, token.Begin, end, quote);
    while (i < end && p[i] == '"') {
        quote = !quote;
        i = NextTokenStop(p, i + 1, end, quote);
    }
    token.End = i;
    return token;
}

TLineLayout LayoutLine(std::string_view text) {
    TLineLayout l;
    const char* p = text.data();
    const size_t n = CommentStart(text);
    l.CommentStart = n;
    size_t i = SkipWord(p, 0, n);
    l.Label = {0, i};
    i = SkipSpaces(p, i, n);
    l.Mnemonic.Begin = i;
    i = SkipWord(p, i, n);
    l.Mnemonic.End = i;
    l.Operand = NextToken(text, i, n);
    i = l.Operand.End;
    l.ReadEnd = i;
    if (l.Mnemonic.Size() == 2 && (p[l.Mnemonic.Begin] | 0x20) == 's' &&
        (p[l.Mnemonic.Begin + 1] | 0x20) == 'm') {
        // SM reads every token up to the comment; trailing blanks count for nothing.
        size_t end = n;
        while (end > i && p[end - 1] == ' ')
            --end;
        l.ReadEnd = end;
    }
    l.IgnoredStart = SkipSpaces(p, l.ReadEnd, n);
    return l;
}

void ScanLine(std::string_view text, bool secondPass, std::string& buf, TLineFields& f) {
    ScanFields(text, LayoutLine(text), secondPass, buf, f);
}

namespace {
// The fields' places in p (the line, or its copy in the scanner's buffer), from the layout.
struct TFieldBounds {
    size_t lb, le, mb, me, ob, oe;
};
TFieldBounds SetFields(const char* p, size_t size, const TLineLayout& l, TLineFields& f) {
    f.Empty = false;
    size_t lb = 0, le = l.Label.End;
    if (le > 0 && p[0] == '!') {
        f.Breakpoint = true;
        lb = 1;
    }
    le = std::min(le, lb + MaxLabelLength);
    const size_t mb = l.Mnemonic.Begin, me = std::min(l.Mnemonic.End, mb + MaxMnemonicLength);
    const size_t ob = l.Operand.Begin, oe = l.Operand.End;
    // The line limit only matters where cutting would change what is read: the fields, and for
    // SM the data tokens after the operand.
    f.ReadLength = l.ReadEnd;
    f.TooLong = l.ReadEnd > MaxLineLength || oe - ob > MaxOperandLength;
    f.Label = std::string_view(p + lb, le - lb);
    f.Mnemonic = std::string_view(p + mb, me - mb);
    f.Operand = std::string_view(p + ob, oe - ob);
    f.Rest = std::string_view(p + oe, size - oe);
    return {lb, le, mb, me, ob, oe};
}
} // namespace

namespace {
// UpperCase1250 as a table of its own, so that a field is tested and upper-cased in line.
const std::array<char, 256>& UpperTable() {
    static const std::array<char, 256> table = [] {
        std::array<char, 256> t;
        for (size_t c = 0; c < t.size(); ++c)
            t[c] = static_cast<char>(c);
        UpperCase1250(t.data(), t.data() + t.size());
        return t;
    }();
    return table;
}
bool IsUpper(const std::array<char, 256>& upper, const char* p, size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i)
        if (upper[static_cast<uint8_t>(p[i])] != p[i]) return false;
    return true;
}
void Upper(const std::array<char, 256>& upper, char* p, size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i)
        p[i] = upper[static_cast<uint8_t>(p[i])];
}
} // namespace

bool ScanFields(std::string_view text, const TLineLayout& l, bool secondPass, std::string& buf,
                TLineFields& f) {
    f = TLineFields{};
    if (l.CommentStart == 0) return true;
    const std::array<char, 256>& upper = UpperTable();
    const TFieldBounds b = SetFields(text.data(), l.CommentStart, l, f);
    const bool operand = !secondPass || b.ob == b.oe || text[b.ob] != '"';
    if (IsUpper(upper, text.data(), b.lb, b.le) && IsUpper(upper, text.data(), b.mb, b.me) &&
        (!operand || IsUpper(upper, text.data(), b.ob, b.oe)))
        return true;
    buf.assign(text.data(), l.CommentStart);
    char* p = buf.data();
    f = TLineFields{};
    SetFields(p, buf.size(), l, f);
    Upper(upper, p, b.lb, b.le);
    Upper(upper, p, b.mb, b.me);
    if (operand) Upper(upper, p, b.ob, b.oe);
    return false;
}

void ViewFields(std::string_view text, const TLineLayout& l, TLineFields& f) {
    f = TLineFields{};
    if (l.CommentStart == 0) return;
    SetFields(text.data(), l.CommentStart, l, f);
}

bool HasTabInFields(std::string_view text) {
    return text.substr(0, LayoutLine(text).ReadEnd).find('\t') != std::string_view::npos;
}

int LabelDefinitionLine(const TSourceLines& lines, std::string_view name) {
    constexpr size_t significant = 15;
    std::string wanted(name.substr(0, significant));
    UpperCase1250(wanted);
    if (wanted.empty()) return 0;
    std::string buffer;
    TLineFields f;
    for (size_t i = 0; i < lines.size(); ++i) {
        ScanLine(lines[i], false, buffer, f);
        if (!f.Empty && f.Label.substr(0, significant) == wanted) return static_cast<int>(i + 1);
    }
    return 0;
}

namespace {
// A directive name or an alias, packed with its length into one word so that a mnemonic is
// compared with all of them by a few integer compares (the names are short: up to seven
// characters fit beside the length).
constexpr size_t MaxKeywordLength = 7;

uint64_t PackKeyword(std::string_view m) {
    uint64_t key = m.size();
    for (char c : m)
        key = (key << 8) | static_cast<uint8_t>(c);
    return key;
}

struct TKeyword {
    uint64_t Key;
    LineKind Kind;              // Instruction for an alias
    std::string_view Canonical; // for an alias: the mnemonic it stands for
};

LineKind KindOf(IsaDirective d) {
    switch (d) {
    case IsaDirective::End:
        return LineKind::End;
    case IsaDirective::Equ:
        return LineKind::Equ;
    case IsaDirective::Fcb:
        return LineKind::Fcb;
    case IsaDirective::Fcc:
        return LineKind::Fcc;
    case IsaDirective::Fdb:
        return LineKind::Fdb;
    case IsaDirective::Nam:
        return LineKind::Nam;
    case IsaDirective::Org:
        return LineKind::Org;
    case IsaDirective::Rmb:
        return LineKind::Rmb;
    case IsaDirective::Sm:
        return LineKind::Sm;
    }
    return LineKind::Instruction;
}

// The directives, then the aliases, in an open-addressed table by packed name; the first entry
// of a name decides. A free slot has key 0, which no name of at least one character packs to.
struct TKeywordTable {
    static constexpr size_t Size = 64; // a power of two, well over twice the names
    std::array<TKeyword, Size> Slots{};

    static size_t Slot(uint64_t key) { return static_cast<size_t>((key * 0x9E3779B97F4A7C15ull) >> 58); }
    void Add(std::string_view name, LineKind kind, std::string_view canonical) {
        if (name.empty() || name.size() > MaxKeywordLength) throw std::logic_error("keyword length");
        const uint64_t key = PackKeyword(name);
        for (size_t i = Slot(key);; i = (i + 1) % Size) {
            if (Slots[i].Key == key) return;
            if (Slots[i].Key == 0) {
                Slots[i] = {key, kind, canonical};
                return;
            }
        }
    }
    const TKeyword* Find(uint64_t key) const {
        for (size_t i = Slot(key);; i = (i + 1) % Size) {
            if (Slots[i].Key == key) return &Slots[i];
            if (Slots[i].Key == 0) return nullptr;
        }
    }
};

const TKeywordTable& Keywords() {
    static const TKeywordTable table = [] {
        TKeywordTable t;
        for (const IsaDirectiveName& d : IsaDirectives())
            t.Add(d.Name, KindOf(d.Directive), {});
        for (const IsaAlias& a : IsaAliases())
            t.Add(a.Alias, LineKind::Instruction, a.Canonical);
        return t;
    }();
    return table;
}
} // namespace

LineKind ClassifyMnemonic(std::string_view& m) {
    if (m.empty()) return LineKind::None;
    if (m.size() > MaxKeywordLength) return LineKind::Instruction;
    const TKeyword* k = Keywords().Find(PackKeyword(m));
    if (!k) return LineKind::Instruction;
    if (k->Kind == LineKind::Instruction) m = k->Canonical;
    return k->Kind;
}
