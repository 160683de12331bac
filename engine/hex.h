#pragma once
#include <cstdint>
#include <string>

// Upper-case hexadecimal and binary text, as the listing, the log, the reports and the
// displays write numbers.
inline constexpr char kHexDigits[] = "0123456789ABCDEF";

// Appends `digits` hexadecimal digits of `value`, most significant first.
inline void AppendHex(std::string& out, unsigned value, int digits) {
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += kHexDigits[(value >> shift) & 0xF];
}

inline std::string HexText(unsigned value, int digits) {
    std::string text;
    AppendHex(text, value, digits);
    return text;
}

// Appends the eight bits of `value` as "0"/"1", bit 7 first (the condition codes as 11HINZVC).
inline void AppendBits8(std::string& out, uint8_t value) {
    for (int bit = 7; bit >= 0; --bit)
        out += (value >> bit & 1) ? '1' : '0';
}
