#include "engine/numbers.h"

#include <charconv>
#include <system_error>

namespace {

// Reads `digits` (the whole rest of the text) in `base` into `out`.
void ReadDigits(std::string_view digits, int base, TParsedNumber& out) {
    out.Base = base;
    out.Digits = digits.size();
    if (digits.empty()) {
        out.Error = NumberError::Syntax;
        return;
    }
    // from_chars takes a sign or a "0x" of its own in no base, so after the prefix only digits
    // are read. Binary digits keep their low 64 bits, however many there are.
    if (base == 2) {
        for (char c : digits)
            if (c != '0' && c != '1') {
                out.Error = NumberError::Syntax;
                return;
            }
        if (digits.size() > 64) digits.remove_prefix(digits.size() - 64);
    }
    const char* end = digits.data() + digits.size();
    auto [ptr, ec] = std::from_chars(digits.data(), end, out.Magnitude, base);
    if (ec == std::errc::result_out_of_range) out.Error = NumberError::Range;
    else if (ec != std::errc() || ptr != end) out.Error = NumberError::Syntax;
}

bool StartsWithZeroX(std::string_view text) {
    return text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

} // namespace

TParsedNumber ParseNumberText(std::string_view text, const TNumberSyntax& syntax) {
    TParsedNumber out;
    if (syntax.LeadingBlanks)
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
            text.remove_prefix(1);

    if (syntax.Percent && !text.empty() && text.front() == '%') {
        ReadDigits(text.substr(1), 2, out);
        return out;
    }
    bool signed_ = false;
    if (syntax.Sign && !text.empty() && (text.front() == '+' || text.front() == '-')) {
        out.Negative = text.front() == '-';
        signed_ = true;
        text.remove_prefix(1);
    }

    int base = syntax.PlainBase;
    size_t prefix = 0;
    if (!text.empty() && ((syntax.Dollar && text.front() == '$') ||
                          (syntax.LetterX && (text.front() == 'x' || text.front() == 'X')))) {
        base = 16;
        prefix = 1;
    } else if (syntax.ZeroX && StartsWithZeroX(text)) {
        base = 16;
        prefix = 2;
    }
    if ((prefix > 0 && signed_ && !syntax.SignBeforePrefix) || base == 0) {
        out.Base = base == 0 ? 16 : base;
        out.Error = NumberError::Syntax;
        return out;
    }
    ReadDigits(text.substr(prefix), base, out);
    return out;
}

std::optional<int32_t> ParseEntryInteger(std::string_view text) {
    TNumberSyntax syntax;
    syntax.LeadingBlanks = true;
    syntax.Sign = true;
    syntax.SignBeforePrefix = true;
    syntax.Dollar = true;
    syntax.LetterX = true;
    syntax.ZeroX = true;
    const TParsedNumber n = ParseNumberText(text, syntax);
    // The magnitude may reach 2^31 for a negative number; anything larger is out of range.
    const uint64_t limit = n.Negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
    if (!n.Ok() || n.Magnitude > limit) return std::nullopt;
    if (n.Negative) return static_cast<int32_t>(-static_cast<int64_t>(n.Magnitude));
    return static_cast<int32_t>(n.Magnitude);
}
