#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// The set of source lines (1-based) that carry a breakpoint. Entries are kept newest first;
// a run halts when a step ends on one of these lines. The lines a cell can carry (1..32767) are
// also kept as a bitmap, so the test after every step costs one bit lookup however many
// breakpoints there are.
class TBreakpoint {
public:
    // Removes every entry.
    void Clear();
    // True if some entry equals `line`.
    bool Contains(int line) const {
        if (line > 0 && line < kBitmapLines) return (bits_[line >> 6] >> (line & 63)) & 1u;
        return ContainsOutside(line);
    }
    // Puts `line` at the head. Callers add only lines not yet contained; a repeated line is
    // stored once all the same, so one Remove always takes it away.
    void Add(int line);
    // Removes every entry equal to `line`.
    void Remove(int line);
    // Follows an edit of the source: every entry >= fromLine moves down by one line when a line
    // was inserted, up by one when a line was deleted. An entry that would move above line 1 is
    // dropped, and entries that meet on one line are merged.
    void Shift(int fromLine, bool inserted);

    // The entries, newest first.
    const std::vector<int>& Lines() const { return lines_; }
    size_t Count() const { return lines_.size(); }
    bool Empty() const { return lines_.empty(); }
    // The lines 1..32767 as a bitmap, bit n of word n / 64, for a run loop's own test.
    const uint64_t* Bitmap() const { return bits_.data(); }

private:
    static constexpr int kBitmapLines = 32768;
    bool ContainsOutside(int line) const;
    void Rebuild();

    std::vector<int> lines_; // newest first
    std::array<uint64_t, kBitmapLines / 64> bits_{};
};
