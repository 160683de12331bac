#include "session/watches.h"

#include <algorithm>

#include "base/encoding.h"
#include "engine/hex.h"
#include "engine/numbers.h"
#include "session/session.h"
#include "session/symbols.h"

namespace {

const char* const kAskForTarget = "Vpišite oznako ali naslov (npr. STEVEC ali $1000).";

// An address as the watch window takes it: decimal, hexadecimal after "$" or "0x", binary
// after "%".
bool IsNumberTarget(std::string_view target) {
    return !target.empty() &&
           (target[0] == '$' || target[0] == '%' || (target[0] >= '0' && target[0] <= '9'));
}

TParsedNumber ParseAddress(std::string_view target) {
    TNumberSyntax syntax;
    syntax.Dollar = true;
    syntax.ZeroX = true;
    syntax.Percent = true;
    return ParseNumberText(target, syntax);
}

// A character of the machine's code page: control codes and the codes the page leaves
// unassigned are written as their number in angle brackets.
std::string CharText(uint8_t byte) {
    const bool unassigned = byte == 0x81 || byte == 0x83 || byte == 0x88 || byte == 0x90 || byte == 0x98;
    if (byte < 0x20 || byte == 0x7F || unassigned) return "<" + HexText(byte, 2) + ">";
    return Cp1250ToUtf8(std::string(1, static_cast<char>(byte)));
}

// The digits of a packed BCD value, or nothing when a nibble is above 9.
std::string BcdText(uint16_t value, int digits) {
    for (int i = 0; i < digits; ++i)
        if (((value >> (4 * i)) & 0xF) > 9) return "ni BCD";
    return HexText(value, digits);
}

// The target as stored: blanks around it gone, upper case in the machine's code page.
std::string Normalise(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    std::string cp = Utf8ToCp1250(text);
    UpperCase1250(cp);
    return Cp1250ToUtf8(cp);
}

const char* SizeName(WatchSize size) { return size == WatchSize::Word ? "beseda" : "bajt"; }

} // namespace

TWatchText FormatWatchValue(uint16_t value, WatchSize size) {
    TWatchText t;
    if (size == WatchSize::Byte) {
        const auto byte = static_cast<uint8_t>(value);
        t.Hex = "$" + HexText(byte, 2);
        t.Unsigned = std::to_string(byte);
        t.Signed = std::to_string(static_cast<int8_t>(byte));
        t.Bcd = BcdText(byte, 2);
        t.Char = CharText(byte);
    } else {
        t.Hex = "$" + HexText(value, 4);
        t.Unsigned = std::to_string(value);
        t.Signed = std::to_string(static_cast<int16_t>(value));
        t.Bcd = BcdText(value, 4);
        t.Char = CharText(static_cast<uint8_t>(value >> 8)) + CharText(static_cast<uint8_t>(value));
    }
    return t;
}

TWatchList::TWatchList(const TSession& session, const TSymbolTable& symbols)
    : session_(session), symbols_(symbols) {}

std::string TWatchList::Add(std::string_view text, WatchSize size) {
    const std::string target = Normalise(text);
    if (target.empty()) return kAskForTarget;
    if (target.find_first_of(" \t") != std::string::npos)
        return std::string("Oznaka ali naslov je ena sama beseda. ") + kAskForTarget;
    if (target.size() > MaxTargetLength)
        return "Vnos je predolg (največ " + std::to_string(MaxTargetLength) + " znakov).";
    const TWatch watch{target, size};
    if (IsNumberTarget(target)) {
        const TParsedNumber n = ParseAddress(target);
        if (!n.Ok())
            return "\"" + target +
                   "\" ni naslov: pričakujem desetiško število ali šestnajstiško s \"$\" (npr. $1000).";
        if (n.Magnitude > 0xFFFF) return "Naslov " + target + " je zunaj naslovnega prostora ($0000-$FFFF).";
    } else if (!symbols_.Empty() && !Resolve(watch)) {
        return "Oznake " + target + " ni v zadnjem prevodu.";
    }
    if (std::find(watches_.begin(), watches_.end(), watch) != watches_.end())
        return target + " (" + SizeName(size) + ") je že med spremenljivkami.";
    watches_.push_back(watch);
    return {};
}

void TWatchList::Remove(size_t index) {
    if (index >= watches_.size()) return;
    watches_.erase(watches_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TWatchList::SetSize(size_t index, WatchSize size) {
    if (index >= watches_.size() || watches_[index].Size == size) return;
    watches_[index].Size = size;
}

std::optional<uint16_t> TWatchList::Resolve(const TWatch& watch) const {
    if (IsNumberTarget(watch.Target)) {
        const TParsedNumber n = ParseAddress(watch.Target);
        if (!n.Ok() || n.Magnitude > 0xFFFF) return std::nullopt;
        return static_cast<uint16_t>(n.Magnitude);
    }
    uint16_t value = 0;
    if (symbols_.Labels().Resolve(Utf8ToCp1250(watch.Target), value) != LabelLookup::Found)
        return std::nullopt;
    return value;
}

TWatchRow TWatchList::Row(size_t index) const {
    TWatchRow row;
    if (index >= watches_.size()) return row;
    const TWatch& watch = watches_[index];
    const std::optional<uint16_t> address = Resolve(watch);
    if (!address) return row;
    row.Resolved = true;
    row.Address = *address;
    row.Value = session_.PeekValue(*address);
    // A word is read as the processor reads one: high byte first, wrapping past $FFFF.
    if (watch.Size == WatchSize::Word)
        row.Value =
            static_cast<uint16_t>(row.Value << 8 | session_.PeekValue(static_cast<uint16_t>(*address + 1)));
    row.Text = FormatWatchValue(row.Value, watch.Size);
    return row;
}

std::vector<std::string> TWatchList::Save() const {
    std::vector<std::string> lines;
    for (const TWatch& w : watches_)
        lines.push_back(w.Target + (w.Size == WatchSize::Word ? " w" : " b"));
    return lines;
}

void TWatchList::Restore(const std::vector<std::string>& lines) {
    watches_.clear();
    for (const std::string& line : lines) {
        const size_t blank = line.rfind(' ');
        if (blank == std::string::npos || blank + 2 != line.size()) continue;
        const char kind = line[blank + 1];
        if (kind != 'b' && kind != 'w') continue;
        const TWatch watch{Normalise(std::string_view(line).substr(0, blank)),
                           kind == 'w' ? WatchSize::Word : WatchSize::Byte};
        if (watch.Target.empty() || watch.Target.size() > MaxTargetLength ||
            watch.Target.find_first_of(" \t") != std::string::npos ||
            std::find(watches_.begin(), watches_.end(), watch) != watches_.end())
            continue;
        watches_.push_back(watch);
    }
}
