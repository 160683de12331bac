// The number, condition, label-reference and option parsers on arbitrary text. Checks: what
// parses formats back to text that parses to the same value (parse -> format -> parse), and
// what the option parser accepts lies within its documented ranges; a malformed command line
// may only raise UsageError.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/labels.h"
#include "assembler/syntax.h"
#include "cli/options.h"
#include "engine/hex.h"
#include "engine/numbers.h"
#include "engine/trace.h"
#include "fuzz/check.h"

namespace {

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end; (end = text.find(separator, start)) != std::string_view::npos; start = end + 1)
        parts.emplace_back(text.substr(start, end - start));
    parts.emplace_back(text.substr(start));
    return parts;
}

void CheckOperandNumber(std::string_view text) {
    const std::optional<uint16_t> value = ParseNumber(text);
    if (!value) return;
    FUZZ_CHECK(ParseNumber(std::to_string(*value)) == value);
    FUZZ_CHECK(ParseNumber("$" + HexText(*value, 4)) == value);
}

void CheckEntryInteger(std::string_view text) {
    const std::optional<int32_t> value = ParseEntryInteger(text);
    if (value) FUZZ_CHECK(ParseEntryInteger(std::to_string(*value)) == value);
}

void CheckNumberText(std::string_view text) {
    TNumberSyntax syntax;
    syntax.Sign = syntax.Dollar = syntax.LetterX = syntax.ZeroX = syntax.Percent = true;
    const TParsedNumber n = ParseNumberText(text, syntax);
    if (!n.Ok() || n.Base != 10) return;
    FUZZ_CHECK(n.Digits > 0 && n.Digits <= text.size());
    const TParsedNumber again = ParseNumberText(std::to_string(n.Magnitude), syntax);
    FUZZ_CHECK(again.Ok() && again.Magnitude == n.Magnitude);
}

void CheckCondition(const std::vector<std::string>& fields) {
    if (fields.size() != 3) return;
    const std::optional<TraceCondition> c = ParseCondition(fields[0], fields[1], fields[2]);
    if (!c) return;
    FUZZ_CHECK((c->Address & ~c->AddressMask) == 0 && (c->Data & ~c->DataMask) == 0);
    const TraceColumns shown = FormatCondition(*c);
    FUZZ_CHECK(ParseCondition(shown.Address, shown.Data, shown.Direction) == c);
}

void CheckLabelReference(std::string_view reference) {
    TOznake labels;
    labels.AddLabel("TAB", 0x1234);
    uint16_t value = 0;
    if (labels.Resolve(reference, value) != LabelLookup::Found) return;
    // An offset that was folded into a signed byte is reported with what was added.
    if (auto wrap = TOznake::WrappedOffset(reference)) {
        FUZZ_CHECK(wrap->Used >= -128 && wrap->Used <= 127 && wrap->Used != wrap->Written);
        FUZZ_CHECK(value == static_cast<uint16_t>(0x1234 + wrap->Used));
    }
}

void CheckOptions(const std::vector<std::string>& args) {
    TCliOptions options;
    try {
        options = ParseCliOptions(args);
    } catch (const UsageError&) {
        return;
    }
    for (const TMemRange& range : options.Mems)
        FUZZ_CHECK(range.Length >= 1 && range.Address + range.Length <= 0x10000u);
    for (int line : options.Breaks)
        FUZZ_CHECK(line >= 1 && line <= 32767);
    for (const TPinEvent& pin : options.Pins)
        FUZZ_CHECK((pin.Port == 1 && pin.Bit <= 7) || (pin.Port == 2 && pin.Bit <= 4));
    FUZZ_CHECK(options.TimerEvery >= 1 && options.SciEvery >= 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string& line : Split(text, '\n')) {
        CheckOperandNumber(line);
        CheckEntryInteger(line);
        CheckNumberText(line);
        CheckCondition(Split(line, ','));
        CheckLabelReference(line);
    }
    // The whole input as a command line, one argument per line.
    CheckOptions(Split(text, '\n'));
    return 0;
}
