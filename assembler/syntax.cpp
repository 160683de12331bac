#include "assembler/syntax.h"

#include <algorithm>
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

// Where the comment starts: the first "*" or ";" outside double quotes.
size_t CommentStart(std::string_view text) {
    bool quote = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (!quote && (c == '*' || c == ';')) return i;
        if (c == '"') quote = !quote;
    }
    return text.size();
}

} // namespace

std::optional<uint16_t> ParseNumber(std::string_view text) {
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
    size_t i = from;
    while (i < end && text[i] == ' ')
        ++i;
    TSpan token{i, i};
    bool quote = false;
    while (token.End < end && (quote || text[token.End] != ' ')) {
        if (text[token.End] == '"') quote = !quote;
        ++token.End;
    }
    return token;
}

TLineLayout LayoutLine(std::string_view text) {
    TLineLayout l;
    const size_t n = CommentStart(text);
    l.CommentStart = n;
    size_t i = 0;
    while (i < n && text[i] != ' ')
        ++i;
    l.Label = {0, i};
    while (i < n && text[i] == ' ')
        ++i;
    l.Mnemonic.Begin = i;
    while (i < n && text[i] != ' ')
        ++i;
    l.Mnemonic.End = i;
    l.Operand = NextToken(text, i, n);
    i = l.Operand.End;
    l.ReadEnd = i;
    const std::string_view m = text.substr(l.Mnemonic.Begin, l.Mnemonic.Size());
    if (m.size() == 2 && (m[0] | 0x20) == 's' && (m[1] | 0x20) == 'm') {
        // SM reads every token up to the comment; trailing blanks count for nothing.
        size_t end = n;
        while (end > i && text[end - 1] == ' ')
            --end;
        l.ReadEnd = end;
    }
    i = l.ReadEnd;
    while (i < n && text[i] == ' ')
        ++i;
    l.IgnoredStart = i;
    return l;
}

void ScanLine(std::string_view text, bool secondPass, std::string& buf, TLineFields& f) {
    f = TLineFields{};
    const TLineLayout l = LayoutLine(text);
    if (l.CommentStart == 0) return;
    buf.assign(text.data(), l.CommentStart);
    f.Empty = false;

    char* p = buf.data();
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

    UpperCase1250(p + lb, p + le);
    UpperCase1250(p + mb, p + me);
    if (!secondPass || ob == oe || p[ob] != '"') UpperCase1250(p + ob, p + oe);

    f.Label = std::string_view(p + lb, le - lb);
    f.Mnemonic = std::string_view(p + mb, me - mb);
    f.Operand = std::string_view(p + ob, oe - ob);
    f.Rest = std::string_view(p + oe, buf.size() - oe);
}

bool HasTabInFields(std::string_view text) {
    return text.substr(0, LayoutLine(text).ReadEnd).find('\t') != std::string_view::npos;
}

int LabelDefinitionLine(const std::vector<std::string>& lines, std::string_view name) {
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
// The directive names and the aliases as views, measured once: every line is compared with them.
struct TDirectiveView {
    std::string_view Name;
    IsaDirective Directive;
};
struct TAliasView {
    std::string_view Alias, Canonical;
};
const std::vector<TDirectiveView>& DirectiveViews() {
    static const std::vector<TDirectiveView> views = [] {
        std::vector<TDirectiveView> v;
        for (const IsaDirectiveName& d : IsaDirectives())
            v.push_back({d.Name, d.Directive});
        return v;
    }();
    return views;
}
const std::vector<TAliasView>& AliasViews() {
    static const std::vector<TAliasView> views = [] {
        std::vector<TAliasView> v;
        for (const IsaAlias& a : IsaAliases())
            v.push_back({a.Alias, a.Canonical});
        return v;
    }();
    return views;
}
} // namespace

LineKind ClassifyMnemonic(std::string_view& m) {
    if (m.empty()) return LineKind::None;
    for (const TDirectiveView& d : DirectiveViews()) {
        if (m != d.Name) continue;
        switch (d.Directive) {
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
    }
    for (const TAliasView& a : AliasViews())
        if (m == a.Alias) {
            m = a.Canonical;
            break;
        }
    return LineKind::Instruction;
}
