#pragma once
// The shape of one source line: the line walker, the field scanner, the directive names and the
// numbers an operand may hold. Source lines are 8-bit Windows-1250 text.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/sourcelines.h"

// ParseNumber: "%" binary, decimal with optional sign, or hex after "$", "X", "x", "0x", "0X".
// The result is the low 16 bits; an empty text, stray characters or a magnitude beyond 31 bits
// give std::nullopt.
std::optional<uint16_t> ParseNumber(std::string_view text);

// One source line handed out by TCode.
struct SourceLine {
    std::string_view Text; // the line as stored in the editor (with "!" on breakpoint lines)
    int32_t Number = 0;    // 1-based line number
};

// Walks the source lines of one assembly. After the last line it hands out an "END" marker so
// a source without an END line ends as if one followed it. The lines are referenced, not
// copied: they must outlive the TCode (Compile keeps them for the duration of the call).
class TCode {
public:
    static constexpr std::string_view EmptyEndMarker = "  END "; // FirstLine of an empty source
    static constexpr std::string_view EndMarker = " END";        // after the last line

    explicit TCode(const TSourceLines& lines) : lines_(lines) {}

    // Line 1, or for an empty source the marker with Number unchanged (0 at the start).
    SourceLine FirstLine();
    // The following line; after the last one the end marker numbered one past it.
    SourceLine NextLine();

private:
    TSourceLines lines_;
    size_t next_ = 0;
    bool ended_ = false; // the end marker has been handed out
    SourceLine current_;
};

// Longest operand field; a longer one is refused, not cut (an FCC text holds two fewer
// characters than this, the quotes being part of the operand).
constexpr size_t MaxOperandLength = 100;
// Characters of a line the assembler reads (its fields, and for SM its data tokens); a line
// whose fields reach further is refused, not cut. A remark or comment may run on.
constexpr size_t MaxLineLength = 255;

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }
// A text of at least two characters between double quotes.
inline bool Quoted(std::string_view s) { return s.size() >= 2 && s.front() == '"' && s.back() == '"'; }

// A part of a line: the byte offsets [Begin, End).
struct TSpan {
    size_t Begin = 0, End = 0;
    size_t Size() const { return End - Begin; }
};

// The next token of text[from, end): spaces skipped, then the characters up to the next space
// outside double quotes. Empty (Begin == End == end) when only spaces are left.
TSpan NextToken(std::string_view text, size_t from, size_t end);

// Where the parts of one source line lie, as the assembler reads it: the label from column 1
// up to the first space, the mnemonic, the operand (a space inside double quotes does not end
// it), and after the operand text that is ignored (a remark needs no ";"), except on an SM line,
// whose data tokens follow the operand. Only the space separates fields; a TAB is part of the
// field it stands in. Only space, '"', ';' and '*' decide, so the offsets are the same in the
// Windows-1250 text the assembler reads and in the UTF-8 text of the editor.
struct TLineLayout {
    size_t CommentStart = 0; // the first "*" or ";" outside double quotes, or the line's length
    TSpan Label, Mnemonic, Operand;
    size_t ReadEnd = 0;      // end of what the assembler reads: the operand, or SM's last data token
    size_t IgnoredStart = 0; // the remark after the fields, or the comment: ignored from here on
};
TLineLayout LayoutLine(std::string_view text);

// The fields of one source line, as views into the line itself or into the scanner's buffer.
struct TLineFields {
    bool Empty = true;
    bool Breakpoint = false;
    bool TooLong = false;  // what the assembler reads reaches beyond the line limit, or the
                           // operand exceeds its limit: refused rather than silently cut
    size_t ReadLength = 0; // characters up to the end of what the assembler reads
    std::string_view Label, Mnemonic, Operand, Rest;
};

// Cuts the comment ("*" or ";" outside double quotes), splits label / mnemonic / operand and
// upper-cases them. The operand is upper-cased unless it begins with a double quote in the
// second pass. When upper-casing changes nothing the views of `fields` point into the text;
// otherwise the line is copied into `buffer`, upper-cased there, and the views point into it.
void ScanLine(std::string_view text, bool secondPass, std::string& buffer, TLineFields& fields);
// ScanLine for a line whose layout is already known (LayoutLine of the same text). True when the
// views point into the text (nothing needed upper-casing, or the line is empty).
bool ScanFields(std::string_view text, const TLineLayout& layout, bool secondPass, std::string& buffer,
                TLineFields& fields);
// The same for a line whose fields upper-casing leaves as they are: the views point into the
// text itself, nothing is copied.
void ViewFields(std::string_view text, const TLineLayout& layout, TLineFields& fields);

// The line holds a TAB character in what the assembler reads, where it becomes part of a field
// (only spaces separate the fields); one in a remark or comment does not count.
bool HasTabInFields(std::string_view text);

// The 1-based number of the first line whose label field names `name` (compared as the
// assembler compares labels: upper-cased, significant to 15 characters), 0 when none does.
int LabelDefinitionLine(const TSourceLines& lines, std::string_view name);

// What a line's mnemonic field names.
enum class LineKind : uint8_t { None, Org, Equ, Rmb, Fcb, Fcc, Fdb, Sm, End, Nam, Instruction };

// Recognises the directives (IsaDirectives); for an instruction, rewrites the alternative
// spellings (IsaAliases: BHS, LSLA, ...) to their canonical mnemonics.
LineKind ClassifyMnemonic(std::string_view& mnemonic);
