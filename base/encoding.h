#pragma once
// Text conversions at the boundary between the Unicode editor and the 8-bit assembler, and the
// rules by which a source file's bytes are read. The simulated machine's character set is
// Windows-1250; the assembler, the listing and the address-space view work on bytes in it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// True when the bytes are well-formed UTF-8 (no overlong forms, no surrogates, <= U+10FFFF).
bool IsValidUtf8(std::string_view text);

// UTF-8 to Windows-1250. Characters the code page cannot represent become '?', and so does
// every byte of a malformed UTF-8 sequence.
std::string Utf8ToCp1250(std::string_view utf8);

// Windows-1250 to UTF-8. The five byte values the code page leaves unassigned
// (0x81 0x83 0x88 0x90 0x98) map to the C1 control of the same value so a round trip is exact.
std::string Cp1250ToUtf8(std::string_view cp1250);

// Splits source text into lines: LF, CR LF and a lone CR each end a line, so a final line
// break ends the last line rather than starting a new one ("a\n" is the one line "a", "a\n\n"
// is "a" and an empty line). Text after the last terminator is a line of its own; an empty
// text has no lines. The terminators are not part of the lines.
std::vector<std::string> SplitLines(std::string_view text);

// The UTF-8 byte order mark, dropped from the front of a source however the rest is decoded.
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

enum class TextEncoding : uint8_t { Utf8, Cp1250 };

// What a source file's bytes are: a leading byte order mark is never text, whatever the rest
// is in (it is dropped and remembered, so that a save can write it back); then valid UTF-8 is
// UTF-8 and anything else Windows-1250. Body views into `bytes`.
struct TSourceBytes {
    std::string_view Body;
    bool ByteOrderMark = false;
    TextEncoding Encoding = TextEncoding::Utf8;
};
TSourceBytes DetectEncoding(std::string_view bytes);

// Upper-cases Windows-1250 text in place: ASCII letters and the code page's accented letters
// (č -> Č, š -> Š, ž -> Ž, ...).
void UpperCase1250(std::string& text);
void UpperCase1250(char* begin, char* end);
