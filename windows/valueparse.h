#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

// The common conversion of entered text to a signed 32-bit integer, shared by every field that
// takes a number (register values, memory bytes, addresses): leading blanks are skipped, then an
// optional sign, then either decimal digits or hexadecimal digits (either case) after one of the
// prefixes "$", "x", "X", "0x" or "0X". Anything else after the number (trailing blanks included),
// an empty text or a value outside the signed 32-bit range gives nothing.
std::optional<int32_t> ParseEntryInteger(std::string_view text);
