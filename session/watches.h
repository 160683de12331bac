#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TSession;
class TSymbolTable;

enum class WatchSize : uint8_t { Byte, Word };

// A watched variable: a label reference ("STEVEC", "STEVEC+1") or an address ("$1000"), read
// as a byte or as a word (high byte first, as the processor reads it).
struct TWatch {
    std::string Target; // as entered, upper case, UTF-8
    WatchSize Size = WatchSize::Byte;
    bool operator==(const TWatch&) const = default;
};

// A value in the forms the watch window shows.
struct TWatchText {
    std::string Hex;      // "$2A", "$1234"
    std::string Unsigned; // "42"
    std::string Signed;   // "-1"
    std::string Bcd;      // "42", "0999"; "ni BCD" when a digit is above 9
    std::string Char;     // Windows-1250 characters (UTF-8), "^M" for a control code, "" for an
                          // unassigned code
};
TWatchText FormatWatchValue(uint16_t value, WatchSize size);

// What a watch shows now.
struct TWatchRow {
    bool Resolved = false; // false: the label is not in the last assembly
    uint16_t Address = 0;
    uint16_t Value = 0;
    TWatchText Text;
};

// The watch window's list: adding with the user's text checked, removing, the byte/word
// choice, reading the values without side effects (the displays' peek: a watched on-chip
// register is not cleared by being shown) and the list as text lines for the settings store.
class TWatchList {
public:
    static constexpr size_t MaxTargetLength = 40;

    TWatchList(const TSession& session, const TSymbolTable& symbols);

    const std::vector<TWatch>& Watches() const { return watches_; }
    size_t Count() const { return watches_.size(); }

    // Adds the watch the user typed (UTF-8). Returns an error message (Slovenian, UTF-8), or
    // an empty text when it was added. A label that the last assembly does not know is
    // refused, unless there has been no assembly yet.
    std::string Add(std::string_view text, WatchSize size);
    void Remove(size_t index);
    void SetSize(size_t index, WatchSize size);

    // The address of a target: a number, or a label of the last assembly (offsets allowed).
    std::optional<uint16_t> Resolve(const TWatch& watch) const;
    TWatchRow Row(size_t index) const;

    // The list as lines "TARGET b" / "TARGET w" and back; lines that make no watch are skipped.
    std::vector<std::string> Save() const;
    void Restore(const std::vector<std::string>& lines);

private:
    const TSession& session_;
    const TSymbolTable& symbols_;
    std::vector<TWatch> watches_;
};
