#pragma once
// Reading numbers written as text. Every place that takes a number from the user (assembler
// operands, the value-entry dialog, the command line's options, the serial terminal's HEX
// input) accepts its own set of forms; TNumberSyntax says which, and ParseNumberText reads them
// all the same way.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// Which forms of a number a caller accepts. A form not switched on makes the text invalid.
struct TNumberSyntax {
    bool LeadingBlanks = false;    // spaces and tabs before the number are skipped
    bool Sign = false;             // an optional "+" or "-" before decimal digits
    bool SignBeforePrefix = false; // the sign may stand before a hexadecimal prefix too
    int PlainBase = 10;            // digits without a prefix: 10, 16, or 0 when a prefix is required
    bool Dollar = false;           // "$" introduces hexadecimal digits
    bool LetterX = false;          // "x" or "X" introduces hexadecimal digits
    bool ZeroX = false;            // "0x" or "0X" introduces hexadecimal digits
    bool Percent = false;          // "%" introduces binary digits (no sign), any number of them
};

enum class NumberError : uint8_t {
    None,
    Syntax, // empty, no digits, a character that is not a digit of the base, a sign not allowed
    Range,  // more than 64 bits (binary digits never overflow: see LowBits)
};

// A number as read: its magnitude and sign, the base it was written in and how many digits it
// had (prefix and sign not counted).
struct TParsedNumber {
    NumberError Error = NumberError::None;
    uint64_t Magnitude = 0; // for binary digits: the last 64 digits (the low 64 bits)
    bool Negative = false;
    int Base = 10;
    size_t Digits = 0;

    bool Ok() const { return Error == NumberError::None; }
};

// Reads the whole text as one number in the given syntax; nothing may follow the digits.
TParsedNumber ParseNumberText(std::string_view text, const TNumberSyntax& syntax);

// The value-entry conversion shared by every field that takes a number (register values, memory
// bytes, addresses): leading blanks are skipped, then an optional sign, then either decimal
// digits or hexadecimal digits (either case) after one of the prefixes "$", "x", "X", "0x" or
// "0X". Anything else after the number (trailing blanks included), an empty text or a value
// outside the signed 32-bit range gives nothing.
std::optional<int32_t> ParseEntryInteger(std::string_view text);
